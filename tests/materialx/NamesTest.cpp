#include <MaterialXCore/Util.h>

#include <gtest/gtest.h>

namespace mx = MaterialX;

namespace
{

TEST(Names, CreateValidNameReplacesEveryInvalidByte)
{
    EXPECT_EQ(mx::createValidName("Red Paint"), "Red_Paint");
    EXPECT_EQ(mx::createValidName("Map #1"), "Map__1");
    EXPECT_EQ(mx::createValidName("ns:node_1"), "ns:node_1");
    EXPECT_EQ(mx::createValidName("a.b-c/d"), "a_b_c_d");
    EXPECT_EQ(mx::createValidName(""), "");
    EXPECT_EQ(mx::createValidName("1st"), "1st"); // leading digits stay
    // Each byte of a multi-byte character is replaced on its own.
    EXPECT_EQ(mx::createValidName("caf\xc3\xa9"), "caf__");
    EXPECT_EQ(mx::createValidName("\xff\x80 x"), "___x");
    EXPECT_EQ(mx::createValidName("a b", '-'), "a-b");
}

TEST(Names, IsValidNameAcceptsLettersDigitsUnderscoreAndColon)
{
    EXPECT_TRUE(mx::isValidName("node_1"));
    EXPECT_TRUE(mx::isValidName("ns:node"));
    EXPECT_TRUE(mx::isValidName("2d"));
    EXPECT_FALSE(mx::isValidName("bad name"));
    EXPECT_FALSE(mx::isValidName("a/b"));
    EXPECT_FALSE(mx::isValidName("caf\xc3\xa9"));
    for (const char* name : { "Red Paint", "Map #1", "x\ty", "\xc3\xa9" })
        EXPECT_TRUE(mx::isValidName(mx::createValidName(name))) << name;
}

TEST(Names, IncrementNameBumpsTheTrailingNumber)
{
    EXPECT_EQ(mx::incrementName("node1"), "node2");
    EXPECT_EQ(mx::incrementName("node9"), "node10");
    EXPECT_EQ(mx::incrementName("node99"), "node100");
    EXPECT_EQ(mx::incrementName("Red_Paint"), "Red_Paint2");
    EXPECT_EQ(mx::incrementName("Red_Paint2"), "Red_Paint3");
    EXPECT_EQ(mx::incrementName("_"), "_2");
    EXPECT_EQ(mx::incrementName(""), "2");
    EXPECT_EQ(mx::incrementName("7"), "8");
    EXPECT_EQ(mx::incrementName("a1b"), "a1b2");
    // The suffix is a number: leading zeros are not kept.
    EXPECT_EQ(mx::incrementName("node007"), "node8");
    EXPECT_EQ(mx::incrementName("node0"), "node1");
    EXPECT_EQ(mx::incrementName("node000"), "node1");
}

TEST(Names, IncrementNameHandlesNumbersBeyondAnyIntegerType)
{
    EXPECT_EQ(mx::incrementName("n2147483647"), "n2147483648");
    EXPECT_EQ(mx::incrementName("n99999999999999999999999999"), "n100000000000000000000000000");
    const std::string longName(100000, 'a');
    EXPECT_EQ(mx::incrementName(longName), longName + "2");
}

TEST(Names, RepeatedIncrementsGiveDistinctNames)
{
    std::string name = "Red_Paint";
    std::set<std::string> seen{ name };
    for (int i = 0; i < 200; i++)
    {
        name = mx::incrementName(name);
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
    EXPECT_EQ(name, "Red_Paint201");
}

TEST(Strings, SplitAndJoin)
{
    EXPECT_EQ(mx::splitString("a, b,,c ", ", "), (mx::StringVec{ "a", "b", "c" }));
    EXPECT_EQ(mx::splitString("", ","), mx::StringVec{});
    EXPECT_EQ(mx::splitString(",,,", ","), mx::StringVec{});
    EXPECT_EQ(mx::splitString("abc", ""), mx::StringVec{ "abc" });
    EXPECT_EQ(mx::joinStrings({ "a", "b", "c" }, ", "), "a, b, c");
    EXPECT_EQ(mx::joinStrings({}, ", "), "");
    EXPECT_EQ(mx::splitNamePath("graph/node/in"), (mx::StringVec{ "graph", "node", "in" }));
    EXPECT_EQ(mx::createNamePath({ "graph", "node" }), "graph/node");
    EXPECT_EQ(mx::parentNamePath("graph/node/in"), "graph/node");
    EXPECT_EQ(mx::parentNamePath("graph"), "");
}

TEST(Strings, ReplaceTrimAndAffixes)
{
    EXPECT_EQ(mx::replaceSubstrings("a.b.c", { { ".", "::" } }), "a::b::c");
    EXPECT_EQ(mx::replaceSubstrings("aaa", { { "a", "aa" } }), "aaaaaa"); // replacements are not rescanned
    EXPECT_EQ(mx::replaceSubstrings("abc", { { "", "x" } }), "abc");
    EXPECT_EQ(mx::trimSpaces("  a b  "), "a b");
    EXPECT_EQ(mx::trimSpaces("   "), "");
    EXPECT_EQ(mx::trimSpaces("\ta\t"), "\ta\t"); // only spaces are trimmed
    EXPECT_TRUE(mx::stringStartsWith("stdlib_ng.mtlx", "stdlib"));
    EXPECT_FALSE(mx::stringStartsWith("std", "stdlib"));
    EXPECT_TRUE(mx::stringEndsWith("/x/my_stdlib_ng.mtlx", "stdlib_ng.mtlx"));
    EXPECT_FALSE(mx::stringEndsWith("stdlib_ng.mtlx.bak", "stdlib_ng.mtlx"));
    EXPECT_FALSE(mx::stringEndsWith("ng.mtlx", "stdlib_ng.mtlx"));
    EXPECT_EQ(mx::stringToLower("MtLx"), "mtlx");
}

TEST(Version, IsTheReferenceRelease)
{
    EXPECT_EQ(mx::getVersionString(), "1.39.5");
    EXPECT_EQ(mx::getVersionIntegers(), std::make_tuple(1, 39, 5));
}

} // anonymous namespace
