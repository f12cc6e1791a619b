// Loading function values by type code.
#include "FunctionPublishing.h"
#include "WStr.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

// Material pointers are only compared, never dereferenced.
Mtl* fakeMtl(std::uintptr_t n)
{
    return reinterpret_cast<Mtl*>(n * 16);
}

MtlTab tableOf(std::initializer_list<Mtl*> mtls)
{
    MtlTab tab;
    for (Mtl* m : mtls)
        tab.Append(1, &m);
    return tab;
}

TEST(FPValueTest, ScalarsKeepTheirTypeCode)
{
    FPValue v;
    EXPECT_TRUE(v.isVoid());
    ASSERT_TRUE(v.Load(TYPE_INT, 42));
    EXPECT_EQ(v.type, TYPE_INT);
    EXPECT_EQ(v.asInt(), 42);
    ASSERT_TRUE(v.Load(TYPE_BOOL, 7));
    EXPECT_EQ(v.type, 4);
    EXPECT_EQ(v.asInt(), 1) << "a boolean holds 1 or 0";
    ASSERT_TRUE(v.Load(TYPE_FLOAT, 0.25f));
    EXPECT_FLOAT_EQ(v.asFloat(), 0.25f);
}

TEST(FPValueTest, StringIsAnOwnedCopy)
{
    FPValue v;
    {
        auto text = std::make_unique<std::wstring>(L"a 'b' \u00E9\n");
        ASSERT_TRUE(v.Load(TYPE_STRING, text->c_str()));
    }
    EXPECT_EQ(v.type, 8);
    EXPECT_EQ(std::wstring(v.asString()), L"a 'b' \u00E9\n");
    ASSERT_TRUE(v.Load(TYPE_FILENAME, WStr(L"a 'b' \u00E9\n")));
    EXPECT_EQ(v.type, TYPE_FILENAME);
    FPValue copy = v;
    v.Free();
    EXPECT_TRUE(v.isVoid());
    EXPECT_EQ(std::wstring(copy.asString()), L"a 'b' \u00E9\n");
}

TEST(FPValueTest, TableByValueIsCopied)
{
    FPValue v;
    {
        MtlTab temporary = tableOf({ fakeMtl(1), fakeMtl(2) });
        ASSERT_TRUE(v.Load(TYPE_MTL_TAB_BV, temporary));
        temporary.ZeroCount();
    }
    EXPECT_EQ(v.type, 10254);
    ASSERT_NE(v.asMtlTab(), nullptr);
    ASSERT_EQ(v.asMtlTab()->Count(), 2);
    EXPECT_EQ((*v.asMtlTab())[1], fakeMtl(2));
}

TEST(FPValueTest, TableByReferenceSeesTheCallersTable)
{
    MtlTab tab = tableOf({ fakeMtl(1) });
    FPValue v(TYPE_MTL_TAB_BR, tab);
    EXPECT_EQ(v.type, 6158);
    EXPECT_EQ(v.asMtlTab(), &tab);
    Mtl* more = fakeMtl(3);
    tab.Append(1, &more);
    EXPECT_EQ(v.asMtlTab()->Count(), 2);
}

TEST(FPValueTest, LoadPtrReadsTheValuePointedAt)
{
    FPValue v;
    int i = 5;
    ASSERT_TRUE(v.LoadPtr(TYPE_INT, &i));
    EXPECT_EQ(v.asInt(), 5);
    float f = 1.5f;
    ASSERT_TRUE(v.LoadPtr(TYPE_FLOAT, &f));
    EXPECT_FLOAT_EQ(v.asFloat(), 1.5f);
    ASSERT_TRUE(v.LoadPtr(TYPE_STRING, L"text"));
    EXPECT_EQ(std::wstring(v.asString()), L"text");
    ASSERT_TRUE(v.LoadPtr(TYPE_MTL, fakeMtl(9)));
    EXPECT_EQ(v.asMtl(), fakeMtl(9));
    MtlTab tab = tableOf({ fakeMtl(4) });
    ASSERT_TRUE(v.LoadPtr(TYPE_MTL_TAB_BV, &tab));
    EXPECT_NE(v.asMtlTab(), &tab);
    EXPECT_EQ((*v.asMtlTab())[0], fakeMtl(4));
    EXPECT_FALSE(v.LoadPtr(TYPE_INT, nullptr));
    EXPECT_TRUE(v.isVoid());
}

TEST(FPValueTest, PayloadThatDoesNotSuitTheCodeLeavesVoid)
{
    FPValue v(TYPE_INT, 3);
    EXPECT_FALSE(v.Load(TYPE_STRING, 3));
    EXPECT_TRUE(v.isVoid());
    EXPECT_FALSE(v.Load(TYPE_MTL, L"x"));
    EXPECT_FALSE(v.Load(TYPE_TEXMAP + TYPE_TAB, tableOf({})));
    EXPECT_FALSE(v.Load(TYPE_MTL_TAB_BV, fakeMtl(1)));
    EXPECT_EQ(v.asMtlTab(), nullptr);
    EXPECT_STREQ(v.asString(), L"");
}

} // namespace
