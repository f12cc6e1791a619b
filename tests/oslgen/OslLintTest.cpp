// The syntax reading the shader tests rely on must itself notice broken code.
#include "OslLint.h"

#include <gtest/gtest.h>

namespace
{

TEST(OslLintTest, NoticesUnbalancedBrackets)
{
    EXPECT_EQ(oslgen::lint::bracketProblem(oslgen::lint::tokenize("shader a() { if (x } )")), "unexpected '}'");
    EXPECT_EQ(oslgen::lint::bracketProblem(oslgen::lint::tokenize("f(\"(\") { [ ] }")), "");
    EXPECT_EQ(oslgen::lint::bracketProblem(oslgen::lint::tokenize("// {\n{")), "unclosed '{'");
}

TEST(OslLintTest, NoticesUndeclaredNamesAndTypes)
{
    std::vector<std::string> problems;
    const oslgen::lint::Library lib = oslgen::lint::readLibrary(
        "struct vector2 { float x; float y; };\n"
        "float mx_twice(float a) { float b = a * 2.0; return b + c; }\n",
        problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "mx_twice: 'c' is not declared");

    oslgen::lint::ShaderHeader h;
    std::string error;
    ASSERT_TRUE(oslgen::lint::parseShader(
        "#include \"mx_funcs.h\"\nshader mx_s [[ string mtlx_node = \"s\" ]] (float in = 0.0, "
        "output vector2 out = {u, v}) { vectr t = mx_twice(in); out.x = mx_thrice(t) + P[0]; }",
        h, error))
        << error;
    EXPECT_TRUE(h.includesFuncs);
    ASSERT_EQ(h.parameters.size(), 2u);
    EXPECT_TRUE(h.parameters[1].isOutput);
    EXPECT_EQ(h.parameters[1].defaultText, "{ u , v }");
    const std::vector<std::string> found = oslgen::lint::undeclaredNames(h.body, { "in", "out" }, lib);
    EXPECT_EQ(found, (std::vector<std::string>{ "'vectr' is used as a type", "'vectr' is not declared",
                                                "'mx_thrice' is not declared" }));
}

TEST(OslLintTest, NoticesWritesToInputsAndHiddenFunctions)
{
    const oslgen::lint::Library lib;
    const std::vector<oslgen::lint::Token> body = oslgen::lint::tokenize(
        "if (in == 0.0) out = in; in.x = 1.0; amount += 2.0; float min = 0.0; out = min(out, 1.0);");
    EXPECT_EQ(oslgen::lint::undeclaredNames(body, { "in", "amount", "out" }, lib, { "in", "amount" }),
              (std::vector<std::string>{ "the local 'min' clashes with a library function",
                                         "'in' is read-only but assigned", "'amount' is read-only but assigned",
                                         "'min' is called but a variable of that name hides it" }));
}

TEST(OslLintTest, FunctionsSeeOnlyEarlierFunctions)
{
    std::vector<std::string> problems;
    oslgen::lint::readLibrary("float mx_a(float x) { return mx_b(x); }\n"
                              "float mx_b(float x) { x = 1.0; return x; }\n"
                              "void mx_c(output float x) { x = mx_b(x); }\n",
                              problems);
    EXPECT_EQ(problems, (std::vector<std::string>{ "mx_a: 'mx_b' is not declared",
                                                   "mx_b: 'x' is read-only but assigned" }));
}

TEST(OslLintTest, RejectsShadersWithoutDefaults)
{
    oslgen::lint::ShaderHeader h;
    std::string error;
    EXPECT_FALSE(oslgen::lint::parseShader("shader s (float in) { }", h, error));
    EXPECT_EQ(error, "parameter in has no default");
}

} // namespace
