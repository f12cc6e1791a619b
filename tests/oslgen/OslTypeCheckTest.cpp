// The type check must catch the mistakes that would make a prepared shader fail to
// compile, and the generated files must pass it.
#include "OslTypeCheck.h"
#include "ShaderCheck.h"

#include <gtest/gtest.h>

namespace
{

const char* DECLARATIONS = R"(
struct vector2 { float x; float y; };
vector2 __operator__add__(vector2 a, vector2 b) { return vector2(a.x + b.x, a.y + b.y); }
vector2 __operator__mul__(vector2 a, float b) { return vector2(a.x * b, a.y * b); }
float mx_twice(float a) { return a * 2.0; }
color mx_twice(color a) { return a * 2.0; }
float mx_pair(color a, float b) { return b; }
float mx_pair(float a, color b) { return a; }
)";

std::vector<std::string> checkBody(const std::string& params, const std::string& body)
{
    std::vector<std::string> problems;
    const oslgen::types::Declarations decls = oslgen::types::readDeclarations(DECLARATIONS, problems);
    EXPECT_TRUE(problems.empty());
    for (const std::string& p : oslgen::types::checkFunctions(decls))
        ADD_FAILURE() << p;
    oslgen::lint::ShaderHeader h;
    std::string error;
    EXPECT_TRUE(oslgen::lint::parseShader("shader s (" + params + ") {" + body + "}", h, error)) << error;
    return oslgen::types::checkShader(h, decls);
}

TEST(OslTypeCheckTest, AcceptsWellTypedCode)
{
    EXPECT_EQ(checkBody("vector2 a = {u, v}, color c = color(0.5), output vector2 out = {0.0, 0.0}",
                        "vector2 b = a + a * 0.5; vector p = P; float n = noise(\"perlin\", p); "
                        "color d = mx_twice(c) * n; if (d[0] > 0.5) out = b; else out.x = mx_twice(1);"),
              std::vector<std::string>{});
}

TEST(OslTypeCheckTest, CatchesTypeErrors)
{
    const std::string params = "vector2 a = {u, v}, color c = color(0.5), vector w = N, matrix m = 1, "
                               "output float out = 0.0";
    auto first = [&](const std::string& body) {
        const std::vector<std::string> p = checkBody(params, body);
        return p.empty() ? std::string("<none>") : p[0];
    };
    EXPECT_EQ(first("color x = c * w;"), "s: mixing colour and point-like values in *");
    EXPECT_EQ(first("vector2 x = a - a;"), "s: no operator sub for vector2 and vector2");
    EXPECT_EQ(first("matrix x = m + m;"), "s: matrix + with matrix and matrix");
    EXPECT_EQ(first("out = noise(\"perlin\", w) * 2.0;"), "s: result-typed built-in used in arithmetic");
    EXPECT_EQ(first("int i = 1.5;"), "s: cannot store float in int (initialiser of i)");
    EXPECT_EQ(first("out = a.z;"), "s: no member 'z' in vector2");
    EXPECT_EQ(first("out = mx_thrice(1.0);"), "s: unknown function 'mx_thrice'");
    EXPECT_EQ(first("vector2 x = out > 0.0 ? a : a;"), "s: conditional expression on struct values");
    EXPECT_EQ(first("out = c[1.0];"), "s: index of type float");
    EXPECT_EQ(first("out = (c * 2.0)[0];"), "s: indexing a computed color");
    EXPECT_EQ(first("out = vector2(1.0, 2.0).x;"), "s: member of a computed vector2");
    EXPECT_EQ(first("out = mx_twice(w);"), "s: no mx_twice(vector)");
    EXPECT_EQ(first("out = mx_pair(1.0, 1.0);"), "s: ambiguous mx_pair(float, float)");
}

TEST(OslTypeCheckTest, CatchesBadDefaults)
{
    const std::vector<std::string> p = checkBody("vector2 a = {1.0, 2.0, 3.0}, color c = vector(1, 2, 3)", "");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0], "s parameter a: cannot store {...} in vector2 (default)");
    EXPECT_EQ(p[1], "s parameter c: cannot store vector in color (default)");
}

TEST(ShaderCheckTest, NoticesHeaderAndIncludeProblems)
{
    const oslgen::ShaderChecker checker(DECLARATIONS);
    ASSERT_EQ(checker.headerProblems(), std::vector<std::string>{});
    EXPECT_EQ(checker.check("shader s [[ string a = \"x\", string b = \"y\" ]] (float in = 0.0) { }"),
              std::vector<std::string>{ "the shader has 2 metadata items" });
    EXPECT_EQ(checker.check("shader s [[ string a = \"x\" ]] (vector2 in = {0.0, 0.0}) { }"),
              std::vector<std::string>{ "mx_funcs.h is used but not included" });
    EXPECT_EQ(checker.check("#include \"mx_funcs.h\"\nshader s [[ string a = \"x\" ]] (float in = 0.0) { }"),
              std::vector<std::string>{ "mx_funcs.h is included but not used" });
    EXPECT_EQ(checker.check("shader s [[ string a = \"x\" ]] (vectr in = 0.0) { }")[0],
              "parameter in has the undeclared type vectr");
    EXPECT_EQ(checker.check("#include \"mx_funcs.h\"\nshader s [[ string a = \"x\" ]] "
                            "(vector2 in[2] = {{0.0, 0.0}, {0.0, 0.0}}) { }"),
              std::vector<std::string>{ "parameter in is an array of structs" });
}

} // namespace
