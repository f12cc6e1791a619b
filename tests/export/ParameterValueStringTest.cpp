// Host parameter values as MaterialX value text, over a block holding one
// parameter of every type code the export reads.

#include "export/ParameterValueString.h"

#include <NorvaneSDK.h>

#include <gtest/gtest.h>

#include <locale>

namespace rozo::test
{
namespace
{
// An object owning one block with a parameter of each type.
class Probe : public ReferenceTarget
{
  public:
    explicit Probe(const ParamBlockDesc2* desc) { block = CreateParamBlock(desc); }
    IParamBlock2* block;
};

class ParameterValueText : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        desc = new ParamBlockDesc2(0, L"probe");
        desc->AddParam(L"float", TYPE_FLOAT, ParamValue::Float(1.0f));
        desc->AddParam(L"world", TYPE_WORLD, ParamValue::Float(0.0000001f));
        desc->AddParam(L"angle", TYPE_ANGLE, ParamValue::Float(1.0f));
        desc->AddParam(L"int", TYPE_INT, ParamValue::Int(42));
        desc->AddParam(L"on", TYPE_BOOL, ParamValue::Int(1));
        desc->AddParam(L"off", TYPE_BOOL, ParamValue::Int(0));
        desc->AddParam(L"rgb", TYPE_RGBA, ParamValue::Floats(0.8f, 0.5f, 0.25f));
        desc->AddParam(L"point3", TYPE_POINT3, ParamValue::Floats(1.0f, 2.0f, 3.0f));
        desc->AddParam(L"rgba", TYPE_FRGBA, ParamValue::Floats(0.8f, 0.5f, 0.25f, 1.0f));
        desc->AddParam(L"point4", TYPE_POINT4, ParamValue::Floats(1.0f, 2.0f, 3.0f, 4.5f));
        desc->AddParam(L"point2", TYPE_POINT2, ParamValue::Floats(2.0f, 3.0f));
        desc->AddParam(L"string", TYPE_STRING, ParamValue::Text(WStr::FromUTF8("C:/t\xc3\xa9x/b\xc3\xb6se.png")));
        desc->AddParam(L"filename", TYPE_FILENAME, ParamValue::Text(WStr(L"wood.png")));
    }
    static void TearDownTestSuite()
    {
        delete desc;
        desc = nullptr;
    }
    void SetUp() override { probe = new Probe(desc); }
    void TearDown() override { probe->DeleteThis(); }

    std::string text(const std::string& name, const std::string& type) const
    {
        return parameterValueString(probe->block, name, type);
    }

    static ParamBlockDesc2* desc;
    Probe* probe = nullptr;
};

ParamBlockDesc2* ParameterValueText::desc = nullptr;

// Writes numbers with a decimal comma, as some user locales do.
struct CommaDecimal : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
};
} // namespace

TEST_F(ParameterValueText, FloatsUseSixSignificantDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(text("float", "float"), "1");
    EXPECT_EQ(text("world", "float"), "1e-07");
}

TEST_F(ParameterValueText, IntegersAreBooleanTextOnlyForBooleanInputs)
{
    EXPECT_EQ(text("on", "boolean"), "true");
    EXPECT_EQ(text("off", "boolean"), "false");
    EXPECT_EQ(text("on", "integer"), "1");
    EXPECT_EQ(text("off", "integer"), "0");
    EXPECT_EQ(text("int", "integer"), "42");
    EXPECT_EQ(text("int", "boolean"), "true");
}

TEST_F(ParameterValueText, ThreeFloatsKeepThreeComponentsWhateverIsAsked)
{
    EXPECT_EQ(text("rgb", "color3"), "0.8, 0.5, 0.25");
    EXPECT_EQ(text("rgb", "color4"), "0.8, 0.5, 0.25");
    EXPECT_EQ(text("point3", "float"), "1, 2, 3");
}

TEST_F(ParameterValueText, FourFloatsDropTheFourthOnlyForThreeComponentTypes)
{
    EXPECT_EQ(text("rgba", "color3"), "0.8, 0.5, 0.25");
    EXPECT_EQ(text("rgba", "color4"), "0.8, 0.5, 0.25, 1");
    EXPECT_EQ(text("point4", "vector3"), "1, 2, 3");
    EXPECT_EQ(text("point4", "vector4"), "1, 2, 3, 4.5");
}

TEST_F(ParameterValueText, TwoFloatsAndTexts)
{
    EXPECT_EQ(text("point2", "vector2"), "2, 3");
    EXPECT_EQ(text("string", "string"), "C:/t\xc3\xa9x/b\xc3\xb6se.png");
    EXPECT_EQ(text("filename", "filename"), "wood.png");
}

TEST_F(ParameterValueText, UnknownNamesAndUnlistedTypesGiveNothing)
{
    EXPECT_EQ(text("angle", "float"), "");
    EXPECT_EQ(text("missing", "float"), "");
    EXPECT_EQ(text("", "float"), "");
    EXPECT_EQ(parameterValueString(nullptr, "float", "float"), "");
}

TEST_F(ParameterValueText, GlobalLocaleDoesNotChangeTheText)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string value = text("rgb", "color3");
    std::locale::global(previous);
    EXPECT_EQ(value, "0.8, 0.5, 0.25");
}
} // namespace rozo::test
