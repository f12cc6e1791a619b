// The precompiled text: what it says about the shader, that reading it gives
// the declarations back, and the messages for broken text.

#include "OslFrontEnd.h"

#include <gtest/gtest.h>

#include <regex>

using namespace Norvane::osl;

namespace
{

const char* const SAMPLE_SHADER =
    "struct vector2 { float x; float y; };\n"
    "struct color4 { color rgb; float a; };\n"
    "shader mx_sample [[ string help = \"a, b \\\"c\\\"\", int priority = 3, string mtlx_node = \"image\" ]] (\n"
    "  string file = \"C:/tex/a b.png\" [[ string widget = \"filename\" ]],\n"
    "  color default1 = color(0.1, 0.2, 0.3) [[ string label = \"Default, colour\", float range[2] = {0, 1} ]],\n"
    "  vector2 texcoord = vector2(u, v),\n"
    "  point origin = transform(\"object\", point(0, 0, 0)) [[ string help = \"}{ %meta{\" ]],\n"
    "  color4 tint = {color(0.5), 1},\n"
    "  int count = -2,\n"
    "  float weights[3] = {1e-07, 0.5, 123456.789},\n"
    "  matrix xform = matrix(1),\n"
    "  closure color bsdf = 0,\n"
    "  output color out = 0,\n"
    "  output color4 outa = {color(0), 1})\n"
    "{ out = default1; }\n";

} // namespace

class OslPrecompiledTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const OslParseResult parsed = parseOslSource(SAMPLE_SHADER, "sample.osl", {});
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        source_ = parsed.shader;
        text_ = compileToPrecompiled(source_);
    }
    OslShaderInfo source_;
    std::string text_;
};

TEST_F(OslPrecompiledTest, ReadingTheTextGivesTheSameDeclarations)
{
    const OslParseResult back = parsePrecompiled(text_);
    ASSERT_TRUE(back.ok()) << back.error << "\n"
                           << text_;
    EXPECT_EQ(back.shader, source_);
    EXPECT_EQ(compileToPrecompiled(back.shader), text_);
}

TEST_F(OslPrecompiledTest, LooksLikeACompiledShader)
{
    EXPECT_TRUE(isPrecompiled(text_));
    EXPECT_FALSE(isPrecompiled(SAMPLE_SHADER));
    EXPECT_TRUE(isPrecompiled("\xEF\xBB\xBF\n  OpenShadingLanguage 1.00\n"));
    EXPECT_EQ(text_.substr(0, text_.find('\n')), "OpenShadingLanguage 1.00");
    EXPECT_EQ(text_[text_.find('\n') + 1], '#');
    EXPECT_NE(text_.find("\nparam\tcolor\tdefault1\t0.1 0.2 0.3\t%meta{string,label,\"Default, colour\"} "
                         "%meta{float[2],range,0,1}\n"),
              std::string::npos)
        << text_;
    EXPECT_NE(text_.find("\nparam\tfloat[3]\tweights\t1e-07 0.5 123456.79\n"), std::string::npos) << text_;
    EXPECT_NE(text_.find("\noparam\tcolor\tout\t0 0 0\n"), std::string::npos) << text_;
    EXPECT_NE(text_.find("\ncode ___main___\n"), std::string::npos);
}

TEST_F(OslPrecompiledTest, ExportFindsTheNodeCategoryOnTheShaderLine)
{
    const std::string shaderLine = text_.substr(text_.find("\nshader ") + 1);
    EXPECT_EQ(shaderLine.substr(0, shaderLine.find('\n')),
              "shader mx_sample\t%meta{string,help,\"a, b \\\"c\\\"\"} %meta{int,priority,3} %meta{string,mtlx_node,\"image\"}");
    // The same greedy match export uses: up to the last quote of the first matching line.
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text_, match, std::regex("string,mtlx_node,\"(.*)\"")));
    EXPECT_EQ(match[1].str(), "image");
}

TEST_F(OslPrecompiledTest, MtlxNodeIsWrittenLastWhateverTheSourceOrder)
{
    OslShaderInfo reordered = source_;
    std::rotate(reordered.metadata.begin(), reordered.metadata.begin() + 2, reordered.metadata.end());
    ASSERT_EQ(reordered.metadata.front().name, "mtlx_node");
    EXPECT_EQ(compileToPrecompiled(reordered), text_);
}

TEST(OslPrecompiledReadTest, ForeignAnnotationsAndSymbolsAreIgnored)
{
    const OslParseResult result = parsePrecompiled(
        "OpenShadingLanguage 1.12\n# Compiled elsewhere\nshader s\t%meta{string,mtlx_node,\"add\"}\n"
        "param\tfloat\tin1\t0.5\t%read{0,0} %write{2147483647,-1}\n"
        "local\tfloat\ttmp\n"
        "oparam\tfloat\tout\t0\t%read{2147483647,-1} %write{0,0}\n"
        "code ___main___\n\tadd out in1 in1\n\tend\n");
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.shader.parameters.size(), 2u);
    EXPECT_EQ(result.shader.parameters[0].defaults, std::vector<OslValue>{ OslValue::ofNumber(0.5) });
}

TEST(OslPrecompiledReadTest, BrokenTextIsReportedWithItsLine)
{
    const std::string head = "OpenShadingLanguage 1.00\nshader s\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "shader s\n", "<precompiled OSL>:1: error: not precompiled OSL: it must start with 'OpenShadingLanguage'" },
        { head + "param\tcolor\tc\t1 2\n", "<precompiled OSL>:3: error: parameter 'c' of type color needs 3 values, 2 given" },
        { head + "param\tstring\ts\t1\n", "<precompiled OSL>:3: error: parameter 's': value 1 is a number but should not be" },
        { head + "param\tvector2\tuv\t0 0\n", "<precompiled OSL>:3: error: unknown type 'vector2' (no %struct layout given)" },
        { head + "param\tfloat\tf\tabc\n", "<precompiled OSL>:3: error: bad value 'abc'" },
        { head + "param\tfloat\tf\t0\nparam\tfloat\tf\t0\n", "<precompiled OSL>:4: error: parameter 'f' appears twice" },
        { head + "banana\n", "<precompiled OSL>:3: error: unexpected 'banana'" },
        { "OpenShadingLanguage 1.00\nparam\tfloat\tf\t0\n", "<precompiled OSL>:2: error: a parameter before the shader line" },
        { "OpenShadingLanguage 1.00\n", "<precompiled OSL>:1: error: no shader line" },
        { head + "param\tstring\ts\t\"open\n", "<precompiled OSL>:3: error: string not closed" },
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(parsePrecompiled(text).error, message) << text;
}
