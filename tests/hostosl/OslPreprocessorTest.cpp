// The preprocessor as the parser sees it: includes, macros, conditionals,
// comments, continuations, and the file and line every error names.

#include "OslFrontEnd.h"
#include "OslPreprocessor.h"
#include "OslTestFiles.h"

using namespace Norvane::osl;

namespace
{

const char* const TYPES_SOURCE = "struct vector2 { float x; float y; };\n";

std::string joined(const PreprocessResult& result)
{
    std::string text;
    for (const SourceLine& line : result.lines)
        text += line.text + "\n";
    return text;
}

} // namespace

class OslPreprocessorTest : public OslFilesTest
{
};

TEST_F(OslPreprocessorTest, QuotedIncludeIsFoundBesideTheIncludingFileFirst)
{
    write("lib/types.h", TYPES_SOURCE);
    write("lib/mx_funcs.h", "#include \"types.h\"\n"); // relative to lib/, not to the shader
    write("other/types.h", "#error wrong types.h\n");
    const std::string shader = write("shader.osl", "#include \"lib/mx_funcs.h\"\nshader s(vector2 uv = {1, 2}) {}\n");
    const OslParseResult result = parseOslSource("#include \"lib/mx_funcs.h\"\nshader s(vector2 uv = {1, 2}) {}\n",
                                                 shader, { folder() + "/other" });
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.shader.parameters[0].type.structName, "vector2");
}

TEST_F(OslPreprocessorTest, CodeGivenAsTextUsesTheIncludeFolders)
{
    write("materialx/mx_funcs.h", TYPES_SOURCE);
    const std::string code = "#include \"mx_funcs.h\"\nshader s(vector2 uv = vector2(0, 0)) {}\n";
    EXPECT_FALSE(parseOslSource(code, "", {}).ok());
    const OslParseResult result = parseOslSource(code, "", { folder() + "/missing", folder() + "/materialx" });
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.shader.structs.size(), 1u);
}

TEST_F(OslPreprocessorTest, AbsoluteIncludePathIsUsedAsItStands)
{
    const std::string header = write("deep/inside/mx_funcs.h", TYPES_SOURCE);
    const OslParseResult result =
        parseOslSource("#include \"" + header + "\"\nshader s(vector2 uv = {0, 0}) {}\n", "", {});
    ASSERT_TRUE(result.ok()) << result.error;
}

TEST_F(OslPreprocessorTest, MissingIncludeNamesTheIncludingFileAndLine)
{
    const std::string shader = write("a.osl", "");
    const OslParseResult result = parseOslSource("// header\n\n#include \"nowhere.h\"\n", shader, {});
    EXPECT_EQ(result.error, shader + ":3: error: cannot find include file \"nowhere.h\"");
}

TEST_F(OslPreprocessorTest, IncludeCycleIsReportedNotFollowedForever)
{
    write("a.h", "#include \"b.h\"\n");
    write("b.h", "#include \"a.h\"\n");
    const OslParseResult result = parseOslSource("#include \"a.h\"\n", "", { folder() });
    EXPECT_NE(result.error.find("nested too deeply"), std::string::npos) << result.error;
}

TEST_F(OslPreprocessorTest, PragmaOnceKeepsAStructFromBeingDefinedTwice)
{
    write("once.h", std::string("#pragma once\n") + TYPES_SOURCE);
    write("twice.h", TYPES_SOURCE);
    const std::string body = "shader s(vector2 uv = {0, 0}) {}\n";
    EXPECT_TRUE(parseOslSource("#include \"once.h\"\n#include \"once.h\"\n" + body, "", { folder() }).ok());
    const OslParseResult twice = parseOslSource("#include \"twice.h\"\n#include \"twice.h\"\n" + body, "", { folder() });
    EXPECT_NE(twice.error.find("twice.h:1: error: type 'vector2' is defined already"), std::string::npos) << twice.error;
}

TEST_F(OslPreprocessorTest, StandardLibraryIncludeIsBuiltIn)
{
    EXPECT_TRUE(parseOslSource("#include \"stdosl.h\"\nshader s(float f = M_PI) {}\n", "", {}).ok());
}

TEST(OslMacroTest, ObjectLikeMacrosExpandOutsideStringsOnly)
{
    const PreprocessResult result = preprocessOsl(
        "#define HALF 0.5\n#define TWICE_HALF HALF * 2\n#define SELF SELF + 1\nTWICE_HALF \"HALF\" HALFWAY SELF 1e5\n",
        "", {});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(joined(result), "0.5 * 2 \"HALF\" HALFWAY SELF + 1 1e5\n");
}

TEST(OslMacroTest, FunctionLikeMacrosAreNotExpandedAndUndefWorks)
{
    const PreprocessResult result = preprocessOsl("#define SQ(x) ((x)*(x))\n#define K 1\n#undef K\nSQ(2) K\n", "", {});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(joined(result), "SQ(2) K\n");
}

TEST(OslMacroTest, ContinuedDefineAndMacroInDefault)
{
    const OslParseResult result = parseOslSource(
        "#define GREY \\\n  color(0.25, \\\n        0.25, 0.25)\nshader s(color c = GREY) {}\n", "", {});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.shader.parameters[0].defaults,
              (std::vector<OslValue>(3, OslValue::ofNumber(0.25))));
}

TEST(OslConditionalTest, BranchesAreChosenLikeC)
{
    const PreprocessResult result = preprocessOsl(
        "#define LEVEL 2\n"
        "#ifdef LEVEL\nA\n#else\nB\n#endif\n"
        "#ifndef LEVEL\nC\n#endif\n"
        "#if 0\nD\n#if 1\nE\n#endif\n#elif defined(LEVEL) && LEVEL > 1\nF\n#else\nG\n#endif\n"
        "#if LEVEL == 3\nH\n#elif !defined NOTHING\nI\n#elif 1\nJ\n#endif\n"
        "#if UNKNOWN_NAME\nK\n#endif\n",
        "", {});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(joined(result), "A\nF\nI\n");
}

TEST(OslConditionalTest, SkippedGroupsMayHoldAnything)
{
    const PreprocessResult result = preprocessOsl("#if 0\n#include \"none.h\"\n#frobnicate\n@@@\n#endif\nok\n", "", {});
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(joined(result), "ok\n");
}

TEST(OslConditionalTest, UnbalancedDirectivesNameTheirLine)
{
    EXPECT_EQ(preprocessOsl("\n#ifdef X\n", "t.osl", {}).error, "t.osl:2: error: #if without #endif");
    EXPECT_EQ(preprocessOsl("#else\n", "t.osl", {}).error, "t.osl:1: error: #else without #if");
    EXPECT_EQ(preprocessOsl("#if 1\n#else\n#else\n#endif\n", "t.osl", {}).error, "t.osl:3: error: #else after #else");
    EXPECT_EQ(preprocessOsl("#endif\n", "", {}).error, std::string(UNNAMED_SOURCE_NAME) + ":1: error: #endif without #if");
    EXPECT_EQ(preprocessOsl("#error no luck\n", "t.osl", {}).error, "t.osl:1: error: #error no luck");
    EXPECT_EQ(preprocessOsl("#frobnicate\n", "t.osl", {}).error, "t.osl:1: error: unknown preprocessor directive #frobnicate");
}

TEST(OslCommentTest, CommentsGoAndLineNumbersStay)
{
    const PreprocessResult result =
        preprocessOsl("a // gone\n/* gone\n   gone */ b\nc \"// kept /* kept */\"\n/* x */ d /* y */\n", "t.osl", {});
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.lines.size(), 4u);
    EXPECT_EQ(result.lines[1].text, "  b");
    EXPECT_EQ(result.lines[2].text, "c \"// kept /* kept */\"");
    EXPECT_EQ(result.lines[2].line, 4);
    EXPECT_EQ(result.lines[3].line, 5);
    EXPECT_EQ(preprocessOsl("ok\n/* never closed\n\n", "t.osl", {}).error,
              "t.osl:2: error: comment not closed ('/*' without '*/')");
}

TEST(OslCommentTest, ErrorAfterMultiLineCommentHasThePhysicalLine)
{
    const OslParseResult result = parseOslSource("/*\n\n\n*/\nshader s(float f) {}\n", "t.osl", {});
    EXPECT_EQ(result.error, "t.osl:5: error: parameter 'f' needs a default value");
}
