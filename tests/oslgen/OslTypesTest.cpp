// Literals of parameter defaults and channel conversions where the MaterialX text and
// the OSL form differ.
#include "OslTypes.h"

#include <gtest/gtest.h>

using namespace oslgen;

namespace
{

std::string defaultFor(const std::string& type, const std::string& value, bool hasValue = true,
                       const std::string& geomProp = "")
{
    PortDefinition port;
    port.name = "in";
    port.type = type;
    port.value = value;
    port.hasValue = hasValue;
    port.defaultGeomProp = geomProp;
    return parameterDefault(*oslTypeFor(type), port);
}

TEST(OslTypesTest, ValuesBecomeOslLiterals)
{
    EXPECT_EQ(defaultFor("float", "1"), "1.0");
    EXPECT_EQ(defaultFor("float", "1e38"), "1e38");
    EXPECT_EQ(defaultFor("boolean", "true"), "1");
    EXPECT_EQ(defaultFor("color4", "0.1, 0.2, 0.3, 1"), "{color(0.1, 0.2, 0.3), 1.0}");
    EXPECT_EQ(defaultFor("string", "say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(defaultFor("matrix33", "1,2,3, 4,5,6, 7,8,9"),
              "matrix(1.0, 2.0, 3.0, 0.0, 4.0, 5.0, 6.0, 0.0, 7.0, 8.0, 9.0, 0.0, 0.0, 0.0, 0.0, 1.0)");
}

TEST(OslTypesTest, MalformedValuesFallBackToTheZero)
{
    EXPECT_EQ(defaultFor("float", "abc"), "0.0");
    EXPECT_EQ(defaultFor("vector3", "1, 2"), "vector(0.0, 0.0, 0.0)");
    EXPECT_EQ(defaultFor("integer", "1.5"), "0");
    EXPECT_EQ(defaultFor("boolean", "yes"), "0");
}

TEST(OslTypesTest, GeometricDefaultsUseOslGlobals)
{
    EXPECT_EQ(defaultFor("vector2", "", false, "UV0"), "{u, v}");
    EXPECT_EQ(defaultFor("vector3", "", false, "Pobject"), "P");
    EXPECT_EQ(defaultFor("vector3", "", false, "Nworld"), "N");
    // A value given beside the geometric property wins.
    EXPECT_EQ(defaultFor("vector2", "0.5, 0.5", true, "UV0"), "{0.5, 0.5}");
}

TEST(OslTypesTest, ArraysHaveTheFixedLength)
{
    const std::string padded = defaultFor("floatarray", "1, 2");
    EXPECT_EQ(padded, "{1.0, 2.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}");
    EXPECT_EQ(defaultFor("floatarray", "1,2,3,4,5,6,7,8,9"), zeroLiteral(*oslTypeFor("floatarray")));
    EXPECT_EQ(defaultFor("vector2array", "0,0, 1,1"),
              "{{0.0, 0.0}, {1.0, 1.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}}");
    EXPECT_FALSE(oslTypeFor("matrix44array"));
}

TEST(OslTypesTest, ConversionsFillMissingChannels)
{
    const OslType f = *oslTypeFor("float");
    const OslType v3 = *oslTypeFor("vector3");
    const OslType v4 = *oslTypeFor("vector4");
    const OslType c4 = *oslTypeFor("color4");
    EXPECT_EQ(convertExpr(v3, v4, "in"), "vector4(in[0], in[1], in[2], 1.0)");
    EXPECT_EQ(convertExpr(*oslTypeFor("vector2"), v3, "in"), "vector(in.x, in.y, 1.0)");
    EXPECT_EQ(convertExpr(f, c4, "in"), "color4(color(in, in, in), in)");
    EXPECT_EQ(convertExpr(c4, v3, "in"), "vector(in.rgb[0], in.rgb[1], in.rgb[2])");
    EXPECT_EQ(convertExpr(*oslTypeFor("boolean"), f, "in"), "float(in)");

    // 1.39: added channels are zero, a fourth one is one.
    const OslType v2 = *oslTypeFor("vector2");
    const MissingChannels zero = MissingChannels::ZeroButFourth;
    EXPECT_EQ(convertExpr(v2, v3, "in", zero), "vector(in.x, in.y, 0.0)");
    EXPECT_EQ(convertExpr(v2, c4, "in", zero), "color4(color(in.x, in.y, 0.0), 1.0)");
    EXPECT_EQ(convertExpr(v3, v4, "in", zero), "vector4(in[0], in[1], in[2], 1.0)");
    EXPECT_EQ(convertExpr(f, v4, "in", zero), "vector4(in, in, in, in)");
}

TEST(OslTypesTest, ClosureTypesHaveNoOslForm)
{
    for (const char* type : { "BSDF", "EDF", "VDF", "surfaceshader", "material", "unknowntype" })
        EXPECT_FALSE(oslTypeFor(type)) << type;
}

} // namespace
