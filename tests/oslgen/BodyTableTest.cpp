// Bodies for definitions as the 1.38 and 1.39 libraries write them: each shader must
// pass the checks the generator runs, and the version decides what a node computes.
#include "MxFuncs.h"
#include "NodeLibrary.h"
#include "ShaderCheck.h"
#include "ShaderWriter.h"
#include "plugin/contracts/OslNaming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace oslgen;

namespace
{

class BodyTableTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { checker_ = std::make_unique<ShaderChecker>(mxFuncsHeader()); }
    static void TearDownTestSuite() { checker_.reset(); }

    // The shader text of the one definition in `nodedef`, read from a document of
    // `version`; fails the test when the generator's checks reject it.
    static std::string shaderFor(const std::string& nodedef, const std::string& version = "1.39")
    {
        NodeLibrary library;
        std::string error;
        EXPECT_TRUE(readLibraryDocument("<materialx version=\"" + version + "\">" + nodedef + "</materialx>",
                                        "stdlib", "/lib/stdlib/defs.mtlx", library, error))
            << error;
        if (library.definitions.size() != 1)
        {
            ADD_FAILURE() << "expected one definition";
            return {};
        }
        const ShaderText shader = writeShader(library.definitions.front());
        EXPECT_FALSE(shader.fallback);
        EXPECT_EQ(checker_->check(shader.text), std::vector<std::string>{}) << shader.text;
        return shader.text;
    }

    static std::string convert(const std::string& from, const std::string& to, const std::string& version)
    {
        return shaderFor("<nodedef name=\"ND_convert_" + from + "_" + to + "\" node=\"convert\"><input name=\"in\" type=\"" +
                             from + "\"/><output name=\"out\" type=\"" + to + "\"/></nodedef>",
                         version);
    }

    static std::unique_ptr<ShaderChecker> checker_;
};

std::unique_ptr<ShaderChecker> BodyTableTest::checker_;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(BodyTableTest, SharedHeaderPassesItsOwnChecks)
{
    EXPECT_EQ(checker_->headerProblems(), std::vector<std::string>{});
}

TEST_F(BodyTableTest, ConvertFillsChannelsAsTheLibraryVersionSays)
{
    EXPECT_TRUE(contains(convert("vector2", "vector3", "1.38"), "out = vector(in.x, in.y, 1.0);"));
    EXPECT_TRUE(contains(convert("vector2", "vector3", "1.39"), "out = vector(in.x, in.y, 0.0);"));
    EXPECT_TRUE(contains(convert("vector2", "color4", "1.39"), "out = color4(color(in.x, in.y, 0.0), 1.0);"));
    EXPECT_TRUE(contains(convert("boolean", "vector3", "1.39"), "out = vector(float(in), float(in), float(in));"));
    // Any integer that is not zero is true, not only 1.
    EXPECT_TRUE(contains(convert("integer", "boolean", "1.39"), "if (in != 0)\n        out = 1;"));
}

TEST_F(BodyTableTest, ComparisonsWithoutBranchesGiveBooleans)
{
    const std::string shader = shaderFor("<nodedef name=\"ND_ifgreatereq_booleanI\" node=\"ifgreatereq\">"
                                         "<input name=\"value1\" type=\"integer\" value=\"1\"/>"
                                         "<input name=\"value2\" type=\"integer\" value=\"0\"/>"
                                         "<output name=\"out\" type=\"boolean\"/></nodedef>");
    EXPECT_TRUE(contains(shader, "if (value1 >= value2)\n        out = 1;\n    else\n        out = 0;")) << shader;
}

TEST_F(BodyTableTest, NormalMapWithoutSpaceUsesTheGivenFrame)
{
    const std::string shader = shaderFor("<nodedef name=\"ND_normalmap_float\" node=\"normalmap\">"
                                         "<input name=\"in\" type=\"vector3\" value=\"0.5, 0.5, 1.0\"/>"
                                         "<input name=\"scale\" type=\"float\" value=\"1.0\"/>"
                                         "<input name=\"normal\" type=\"vector3\" defaultgeomprop=\"Nworld\"/>"
                                         "<input name=\"tangent\" type=\"vector3\" defaultgeomprop=\"Tworld\"/>"
                                         "<input name=\"bitangent\" type=\"vector3\" defaultgeomprop=\"Bworld\"/>"
                                         "<output name=\"out\" type=\"vector3\"/></nodedef>");
    EXPECT_TRUE(contains(shader, "vector bitangent = dPdv"));
    EXPECT_TRUE(contains(shader, "out = normalize(tangent * mapped[0] + bitangent * mapped[1] + normal1 * mapped[2]);"));
}

TEST_F(BodyTableTest, ExtractOfAMatrixGivesAClampedRow)
{
    const std::string shader = shaderFor("<nodedef name=\"ND_extract_matrix44\" node=\"extract\">"
                                         "<input name=\"in\" type=\"matrix44\"/>"
                                         "<input name=\"index\" type=\"integer\" value=\"0\"/>"
                                         "<output name=\"out\" type=\"vector4\"/></nodedef>");
    EXPECT_TRUE(contains(shader, "if (r > 3)\n        r = 3;"));
    EXPECT_TRUE(contains(shader, "out = vector4(in[r][0], in[r][1], in[r][2], in[r][3]);"));
}

TEST_F(BodyTableTest, InputsNamedLikeTypesAreRenamedEverywhere)
{
    EXPECT_EQ(rozo::OslParameterName("color4"), "color41");
    EXPECT_EQ(rozo::OslParameterName("color"), "color1");
    EXPECT_EQ(rozo::OslParameterName("color3"), "color3");
    // A ramp with three control points: the third colour is the input "color3", the
    // chain stops where the inputs do.
    const std::string shader = shaderFor(
        "<nodedef name=\"ND_ramp\" node=\"ramp\"><input name=\"texcoord\" type=\"vector2\" defaultgeomprop=\"UV0\"/>"
        "<input name=\"type\" type=\"integer\" value=\"0\"/><input name=\"interpolation\" type=\"integer\" value=\"1\"/>"
        "<input name=\"num_intervals\" type=\"integer\" value=\"2\"/>"
        "<input name=\"interval1\" type=\"float\" value=\"0\"/><input name=\"color1\" type=\"color4\" value=\"0,0,0,1\"/>"
        "<input name=\"interval2\" type=\"float\" value=\"1\"/><input name=\"color2\" type=\"color4\" value=\"1,1,1,1\"/>"
        "<input name=\"interval3\" type=\"float\" value=\"1\"/><input name=\"color3\" type=\"color4\" value=\"1,1,1,1\"/>"
        "<input name=\"interval4\" type=\"float\" value=\"1\"/><input name=\"color4\" type=\"color4\" value=\"1,1,1,1\"/>"
        "<output name=\"out\" type=\"color4\"/></nodedef>");
    EXPECT_TRUE(contains(shader, "color4 color41 = {color(1.0, 1.0, 1.0), 1.0},"));
    EXPECT_TRUE(contains(shader, "mx_ramp_gradient(x, interval1, interval2, color1, color2, interpolation, color1, 1, "));
    EXPECT_TRUE(contains(shader, "mx_ramp_gradient(x, interval3, interval4, color3, color41, interpolation, out, 3, "));
    EXPECT_FALSE(contains(shader, "interval5"));
}

TEST_F(BodyTableTest, ParameterNamedLikeAStructIsRejected)
{
    const std::string shader = "#include \"mx_funcs.h\"\nshader mx_x [[ string mtlx_node = \"x\" ]] "
                               "(color4 color4 = {color(0.0, 0.0, 0.0), 0.0}, output color4 out = "
                               "{color(0.0, 0.0, 0.0), 0.0}) { out = color4; }";
    const std::vector<std::string> problems = checker_->check(shader);
    EXPECT_NE(std::find(problems.begin(), problems.end(), "parameter color4 is named like a type of mx_funcs.h"),
              problems.end())
        << ::testing::PrintToString(problems);
}

TEST_F(BodyTableTest, SeveralOutputsAreWrittenByOneCall)
{
    const std::string shader = shaderFor(
        "<nodedef name=\"ND_flake2d\" node=\"flake2d\"><input name=\"size\" type=\"float\" value=\"0.01\"/>"
        "<input name=\"roughness\" type=\"float\" value=\"0.1\"/><input name=\"coverage\" type=\"float\" value=\"0.5\"/>"
        "<input name=\"texcoord\" type=\"vector2\" defaultgeomprop=\"UV0\"/>"
        "<input name=\"normal\" type=\"vector3\" defaultgeomprop=\"Nworld\"/>"
        "<input name=\"tangent\" type=\"vector3\" defaultgeomprop=\"Tworld\"/>"
        "<input name=\"bitangent\" type=\"vector3\" defaultgeomprop=\"Bworld\"/>"
        "<output name=\"id\" type=\"integer\"/><output name=\"rand\" type=\"float\"/>"
        "<output name=\"presence\" type=\"float\"/><output name=\"flakenormal\" type=\"vector3\"/></nodedef>");
    EXPECT_TRUE(contains(shader, "output int id = 0,"));
    EXPECT_TRUE(contains(shader, ", id, rand, presence, flakenormal);"));
}

} // namespace
