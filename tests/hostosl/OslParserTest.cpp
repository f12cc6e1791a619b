// Declarations read from OSL source: types, defaults, metadata, and the
// messages for bad code.

#include "OslFrontEnd.h"

#include <gtest/gtest.h>

using namespace Norvane::osl;

namespace
{

const char* const STRUCTS_SOURCE =
    "struct vector2 { float x; float y; };\n"
    "struct vector4 { float x, y, z, w; };\n"
    "struct color4 { color rgb; float a; };\n";

std::vector<OslValue> numbers(std::initializer_list<double> values)
{
    std::vector<OslValue> result;
    for (const double value : values)
        result.push_back(OslValue::ofNumber(value));
    return result;
}

} // namespace

class OslParserTest : public ::testing::Test
{
  protected:
    const OslShaderInfo& parse(const std::string& code)
    {
        result_ = parseOslSource(std::string(STRUCTS_SOURCE) + code, "test.osl", {});
        EXPECT_TRUE(result_.ok()) << result_.error;
        return result_.shader;
    }
    const OslParameter& parameter(const std::string& code)
    {
        const OslShaderInfo& info = parse("shader s(" + code + ") {}");
        static const OslParameter none;
        return info.parameters.empty() ? none : info.parameters.front();
    }
    // The message for bad code; the three struct lines come first.
    static std::string errorOf(const std::string& code)
    {
        return parseOslSource(std::string(STRUCTS_SOURCE) + code, "bad.osl", {}).error;
    }

    OslParseResult result_;
};

TEST_F(OslParserTest, ShaderNameKindMetadataAndBodySkipped)
{
    const OslShaderInfo& info = parse(
        "float helper(float a) { return a * 2; }\n"
        "surface mx_thing [[ string mtlx_node = \"thing\", int version = 2 ]]\n"
        "( float amount = 1, output color out = 0 )\n"
        "{ if (amount > 0) { out = color(helper(amount)); } else { string s = \"}{\"; } }\n"
        "vector2 after(vector2 v) { return v; }\n");
    EXPECT_EQ(info.name, "mx_thing");
    EXPECT_EQ(info.kind, OslShaderKind::Surface);
    ASSERT_EQ(info.metadata.size(), 2u);
    EXPECT_EQ(info.metadata[0].name, "mtlx_node");
    EXPECT_EQ(info.metadata[0].values, std::vector<OslValue>{ OslValue::ofString("thing") });
    EXPECT_EQ(info.metadata[1].type.base, OslBaseType::Int);
    EXPECT_EQ(info.metadata[1].values, numbers({ 2 }));
    ASSERT_EQ(info.parameters.size(), 2u);
    EXPECT_FALSE(info.parameters[0].isOutput);
    EXPECT_TRUE(info.parameters[1].isOutput);
}

TEST_F(OslParserTest, EveryParameterTypeWithItsComponents)
{
    const OslShaderInfo& info = parse(
        "displacement d(int i = 3, float f = 0.5, point p = point(1, 2, 3), vector v = vector(1), normal n = normal(0, 0, 1),\n"
        "  color c = color(0.5, 0.25, 0.125), matrix m = matrix(2), string s = \"text\", closure color cc = 0,\n"
        "  vector2 uv = vector2(0.5, 1), vector4 v4 = {1, 2, 3, 4}, color4 c4 = color4(color(0.1, 0.2, 0.3), 0.5),\n"
        "  float fa[3] = {1, 2, 3}, color ca[] = {color(1), 0.5}, vector2 va[2] = {{1, 2}, vector2(3, 4)}) {}");
    ASSERT_EQ(info.parameters.size(), 15u);
    EXPECT_EQ(info.kind, OslShaderKind::Displacement);
    const auto& p = info.parameters;
    EXPECT_EQ(p[0].defaults, numbers({ 3 }));
    EXPECT_EQ(p[1].defaults, numbers({ 0.5 }));
    EXPECT_EQ(p[2].defaults, numbers({ 1, 2, 3 }));
    EXPECT_EQ(p[3].defaults, numbers({ 1, 1, 1 }));
    EXPECT_EQ(p[4].type.base, OslBaseType::Normal);
    EXPECT_EQ(p[5].defaults, numbers({ 0.5, 0.25, 0.125 }));
    EXPECT_EQ(p[6].defaults, numbers({ 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2 }));
    EXPECT_EQ(p[7].defaults, std::vector<OslValue>{ OslValue::ofString("text") });
    EXPECT_EQ(p[8].type.base, OslBaseType::Closure);
    EXPECT_TRUE(p[8].defaults.empty());
    EXPECT_EQ(p[9].type, (OslType{ OslBaseType::Struct, "vector2", 0 }));
    EXPECT_EQ(p[9].defaults, numbers({ 0.5, 1 }));
    EXPECT_EQ(p[10].defaults, numbers({ 1, 2, 3, 4 }));
    EXPECT_EQ(p[11].defaults, numbers({ 0.1f, 0.2f, 0.3f, 0.5 }));
    EXPECT_EQ(p[12].type.arrayLength, 3);
    EXPECT_EQ(p[13].type.arrayLength, 2); // unsized: the initialiser gives the length
    EXPECT_EQ(p[13].defaults, numbers({ 1, 1, 1, 0.5, 0.5, 0.5 }));
    EXPECT_EQ(p[14].defaults, numbers({ 1, 2, 3, 4 }));
    ASSERT_EQ(info.structs.size(), 3u); // only those the parameters use, by first use
    EXPECT_EQ(info.structs[2].name, "color4");
    EXPECT_EQ(info.structs[2].fields[0].type, OslBaseType::Color);
}

TEST_F(OslParserTest, ConstantDefaultsAreFolded)
{
    EXPECT_EQ(parameter("float f = -0.5").defaults, numbers({ -0.5 }));
    EXPECT_EQ(parameter("float f = 1 / 4 + 2 * (0.5 - 0.25)").defaults, numbers({ 0.5 })); // 1 / 4 is an int division
    EXPECT_EQ(parameter("int i = -(3)").defaults, numbers({ -3 }));
    EXPECT_EQ(parameter("color c = -color(1, 2, 3) * 0.5").defaults, numbers({ -0.5, -1, -1.5 }));
    EXPECT_EQ(parameter("color c = color(\"rgb\", 0.1, 0.2, 0.3)").defaults, numbers({ 0.1f, 0.2f, 0.3f }));
    EXPECT_EQ(parameter("float f = float(3) / 2").defaults, numbers({ 1.5 }));
    EXPECT_EQ(parameter("float f = 0.1").defaults, numbers({ 0.1f })); // defaults are single precision
    EXPECT_EQ(parameter("string s = \"a\" \"b\"").defaults, std::vector<OslValue>{ OslValue::ofString("ab") });
}

TEST_F(OslParserTest, DefaultsThatNeedTheShaderKeepTheirExpression)
{
    const OslParameter& uv = parameter("vector2 texcoord = vector2(u, 1 - v)");
    EXPECT_FALSE(uv.hasConstantDefault());
    EXPECT_EQ(uv.defaultExpression, "vector2(u, 1 - v)");
    EXPECT_EQ(uv.defaults, numbers({ 0, 0 }));
    EXPECT_EQ(parameter("normal n = N").defaultExpression, "N");
    EXPECT_EQ(parameter("point p = transform(\"object\", P)").defaultExpression, "transform(\"object\", P)");
    EXPECT_EQ(parameter("point p = point(\"object\", 1, 2, 3)").defaults, numbers({ 0, 0, 0 }));
}

TEST_F(OslParserTest, ParameterMetadata)
{
    const OslParameter& p = parameter(
        "float amount = 1 [[ string label = \"The \\\"amount\\\"\", int lockgeom = 0, float range[2] = {0, 10},"
        " string widget = \"number\" ]]");
    ASSERT_EQ(p.metadata.size(), 4u);
    EXPECT_EQ(p.findMetadata("label")->values, std::vector<OslValue>{ OslValue::ofString("The \"amount\"") });
    EXPECT_EQ(p.findMetadata("lockgeom")->values, numbers({ 0 }));
    EXPECT_EQ(p.findMetadata("range")->type.arrayLength, 2);
    EXPECT_EQ(p.findMetadata("range")->values, numbers({ 0, 10 }));
    EXPECT_EQ(p.findMetadata("nothing"), nullptr);
}

TEST_F(OslParserTest, BadCodeIsReportedWithFileAndLine)
{
    // The struct declarations take lines 1 to 3.
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "shader s(float f) {}", "bad.osl:4: error: parameter 'f' needs a default value" },
        { "shader s(\nfoo f = 1) {}", "bad.osl:5: error: unknown type 'foo'" },
        { "shader s(float f = 1,\n float f = 2) {}", "bad.osl:5: error: shader 's' has two parameters named 'f'" },
        { "\nshader s(float f = 1) {\n if (f) {\n", "bad.osl:5: error: missing '}' to close the body of shader 's'" },
        { "shader a() {}\nshader b() {}", "bad.osl:5: error: a file holds one shader; 'a' was declared already" },
        { "float f(float x) { return x; }", "bad.osl:4: error: no shader declaration found" },
        { "shader s(vector2 uv = {1, 2, 3}) {}", "bad.osl:4: error: struct vector2 has 2 fields, 3 values given for parameter 'uv'" },
        { "shader s(float f = \"x\") {}", "bad.osl:4: error: parameter 'f' of type float cannot take a string" },
        { "shader s(int i = 0.5) {}", "bad.osl:4: error: parameter 'i' of type int cannot take a float" },
        { "shader s(float a[2] = {1, 2, 3}) {}", "bad.osl:4: error: parameter 'a' holds 2 elements, 3 given" },
        { "shader s(float a[2] = 1) {}", "bad.osl:4: error: parameter 'a' is an array and needs an initialiser list {...}" },
        { "shader s(float f = 1 [[ string label = name ]]) {}", "bad.osl:4: error: metadata 'label' needs a constant value" },
        { "shader s(float f = 1 / 0) {}", "bad.osl:4: error: division by zero" },
        { "shader s(float f = 1 @ 2) {}", "bad.osl:4: error: unexpected character '@'" },
        { "shader s(string s = \"open) {}", "bad.osl:4: error: string not closed" },
        { "shader s(float f = 1 float g = 2) {}", "bad.osl:4: error: expected ',' between shader parameters, found 'float'" },
        { "struct vector2 { float x; };", "bad.osl:4: error: type 'vector2' is defined already" },
        { "struct pair { vector2 a; vector2 b; };", "bad.osl:4: error: field of struct 'pair' has unsupported type vector2" },
        { "int x;", "bad.osl:4: error: expected '(' after function name 'x', found ';'" },
        { "+ shader", "bad.osl:4: error: expected a shader, struct or function declaration, found '+'" },
    };
    for (const auto& [code, message] : cases)
        EXPECT_EQ(errorOf(code), message) << code;
}
