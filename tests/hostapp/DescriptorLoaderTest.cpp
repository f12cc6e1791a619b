// The descriptor loader, fed the way a plug-in feeds it.
#include "FunctionPublishing.h"
#include "TestClassDesc.h"

#include <gtest/gtest.h>

namespace
{

const Interface_ID MATERIAL_XID(0x5BEEFB9F, 0xF001F3F1);

class DescriptorLoaderTest : public ::testing::Test
{
  protected:
    TestClassDesc cd{ L"Stub", L"Tests", Class_ID(1, 2) };

    // The script interface descriptor exactly as the MaterialX plug-in gives it.
    bool loadMaterialX(FPInterfaceDesc& d)
    {
        return d.LoadDescriptor(MATERIAL_XID, L"MaterialX", 6, &cd, 8,
                                1, L"ImportMtlX", 7, TYPE_MTL_TAB_BV, 0, 1,
                                L"filename", 9, TYPE_STRING, 0xC0000010, 4,
                                2, L"ExportMtlX", 8, TYPE_BOOL, 0, 2,
                                L"filename", 9, TYPE_STRING, 0xC0000010, 4,
                                L"materials", 10, TYPE_MTL_TAB_BR, 0xC0000010, 4,
                                3, L"GetError", 11, TYPE_STRING, 0, 0,
                                0xC0000400);
    }

    template <typename... Items>
    std::string loadError(Items... items)
    {
        FPInterfaceDesc d;
        EXPECT_FALSE(d.LoadDescriptor(Interface_ID(1, 1), "Broken", 0, &cd, 0, items...));
        EXPECT_TRUE(d.functions.empty()) << "a failed load keeps no functions";
        return d.loadError();
    }
};

TEST_F(DescriptorLoaderTest, MaterialXInterfaceHeader)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(loadMaterialX(d)) << d.loadError();
    EXPECT_EQ(d.ID, MATERIAL_XID);
    EXPECT_EQ(d.internal_name, L"MaterialX");
    EXPECT_EQ(d.local_name_id, 6);
    EXPECT_EQ(d.cd, &cd);
    EXPECT_EQ(d.flags, 8u);
    ASSERT_EQ(d.functions.size(), 3u);
}

TEST_F(DescriptorLoaderTest, MaterialXFunctionsAndParameters)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(loadMaterialX(d)) << d.loadError();

    const FPFunctionDef* import = d.function(1);
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(import->internal_name, L"ImportMtlX");
    EXPECT_EQ(import->local_name_id, 7);
    EXPECT_EQ(import->result_type, 10254);
    EXPECT_EQ(import->flags, 0u);
    ASSERT_EQ(import->params.size(), 1u);
    EXPECT_EQ(import->params[0].internal_name, L"filename");
    EXPECT_EQ(import->params[0].local_name_id, 9);
    EXPECT_EQ(import->params[0].type, TYPE_STRING);

    const FPFunctionDef* exportFn = d.function(L"ExportMtlX");
    ASSERT_NE(exportFn, nullptr);
    EXPECT_EQ(exportFn->ID, 2);
    EXPECT_EQ(exportFn->result_type, TYPE_BOOL);
    ASSERT_EQ(exportFn->params.size(), 2u);
    EXPECT_EQ(exportFn->params[1].internal_name, L"materials");
    EXPECT_EQ(exportFn->params[1].local_name_id, 10);
    EXPECT_EQ(exportFn->params[1].type, 6158);

    const FPFunctionDef* getError = d.function(3);
    ASSERT_NE(getError, nullptr);
    EXPECT_EQ(getError->internal_name, L"GetError");
    EXPECT_EQ(getError->local_name_id, 11);
    EXPECT_EQ(getError->result_type, TYPE_STRING);
    EXPECT_TRUE(getError->params.empty());
    EXPECT_EQ(d.function(4), nullptr);
}

TEST_F(DescriptorLoaderTest, EveryParameterCarriesItsTag)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(loadMaterialX(d));
    for (const FPFunctionDef& fn : d.functions)
        for (const FPParamDef& p : fn.params)
        {
            ASSERT_EQ(p.tags.size(), 1u);
            const FPTagValue* tag = p.tag(0xC0000010);
            ASSERT_NE(tag, nullptr);
            ASSERT_EQ(tag->values.size(), 1u);
            EXPECT_EQ(tag->values[0].number(), 4);
        }
}

TEST_F(DescriptorLoaderTest, NarrowNamesAreUtf8)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(d.LoadDescriptor(Interface_ID(3, 4), "Caf\xC3\xA9", 0, &cd, 0, 7, "f\xC3\xBC", 0, TYPE_VOID, 0, 0,
                                 FP_TAG_END));
    EXPECT_EQ(d.internal_name, L"Caf\u00E9");
    EXPECT_EQ(d.function(7)->internal_name, L"f\u00FC");
}

TEST_F(DescriptorLoaderTest, TagsWithSeveralValuesAndFunctionTags)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(d.LoadDescriptor(Interface_ID(3, 4), L"Tags", 0, &cd, 0,
                                 1, L"f", 0, TYPE_FLOAT, 0, 1,
                                 L"x", 0, TYPE_FLOAT, FP_TAG_RANGE, 0.0f, 10.0f, FP_TAG_DEFAULT, 2.5f,
                                 2, L"g", 0, TYPE_VOID, 0, 0, FP_TAG_PARAM_FLAGS, 1,
                                 FP_TAG_END))
        << d.loadError();
    const FPParamDef& x = d.function(1)->params[0];
    ASSERT_NE(x.tag(FP_TAG_RANGE), nullptr);
    EXPECT_DOUBLE_EQ(x.tag(FP_TAG_RANGE)->values[1].real(), 10.0);
    EXPECT_DOUBLE_EQ(x.tag(FP_TAG_DEFAULT)->values[0].real(), 2.5);
    ASSERT_EQ(d.function(2)->tags.size(), 1u);
}

TEST_F(DescriptorLoaderTest, EmptyListNeedsOnlyTheEndMarker)
{
    FPInterfaceDesc d;
    EXPECT_TRUE(d.LoadDescriptor(Interface_ID(3, 4), L"Empty", 0, &cd, 0, FP_TAG_END));
    EXPECT_TRUE(d.functions.empty());
}

TEST_F(DescriptorLoaderTest, MalformedListsSayWhatIsWrongAndWhere)
{
    EXPECT_EQ(loadError(1, L"f", 0, TYPE_INT, 0, 0),
              "interface \"Broken\": the list has no end marker 0xC0000400");
    EXPECT_EQ(loadError(1, L"f", 0, TYPE_INT, 0, 1, L"x", 0, TYPE_INT, 0xC0000999, 1, FP_TAG_END),
              "interface \"Broken\", function 1 \"f\", parameter 1: unknown tag 0xC0000999");
    EXPECT_EQ(loadError(1, L"f", 0, TYPE_INT, 0, 1, L"x", 0, TYPE_INT, FP_TAG_PARAM_FLAGS, FP_TAG_END),
              "interface \"Broken\", function 1 \"f\", parameter 1: tag 0xC0000010 lacks its value");
    EXPECT_EQ(loadError(1, L"f", 0, TYPE_INT, 0, 2, L"x", 0, TYPE_INT, FP_TAG_END),
              "interface \"Broken\", function 1 \"f\", parameter 2: expected a parameter name, found the end marker");
    EXPECT_EQ(loadError(1, 5, 0, TYPE_INT, 0, 0, FP_TAG_END),
              "interface \"Broken\", function 1: expected a function name, found the number 5");
    EXPECT_EQ(loadError(1, L"f", 0, 999, 0, 0, FP_TAG_END),
              "interface \"Broken\", function 1 \"f\": unknown type code 999 (0x3E7) as the result type");
    EXPECT_EQ(loadError(1, L"f", 0, TYPE_INT, 0, 0, 1, L"g", 0, TYPE_INT, 0, 0, FP_TAG_END),
              "interface \"Broken\", function 2: function ID 1 is used twice");
    EXPECT_EQ(loadError(70000, L"f", 0, TYPE_INT, 0, 0, FP_TAG_END),
              "interface \"Broken\", function 1: function ID 70000 does not fit 16 bits");
    EXPECT_EQ(loadError(FP_TAG_END, 1), "interface \"Broken\": items follow the end marker, starting with the number 1");
}

TEST_F(DescriptorLoaderTest, ReloadReplacesTheContent)
{
    FPInterfaceDesc d;
    ASSERT_TRUE(loadMaterialX(d));
    ASSERT_FALSE(d.LoadDescriptor(Interface_ID(1, 1), L"Other", 0, &cd, 0, 1));
    EXPECT_TRUE(d.functions.empty());
    ASSERT_TRUE(loadMaterialX(d));
    EXPECT_TRUE(d.isValid());
    EXPECT_EQ(d.functions.size(), 3u);
}

TEST(FPTypeNameTest, NamesTheMaterialTables)
{
    EXPECT_EQ(FPTypeName(10254), "material table (by value)");
    EXPECT_EQ(FPTypeName(6158), "material table (by reference)");
    EXPECT_EQ(FPTypeName(TYPE_STRING), "string");
    EXPECT_EQ(FPTypeName(TYPE_INT | TYPE_BY_REF | TYPE_BY_VAL), "");
    EXPECT_EQ(FPTypeName(0x10000), "");
}

} // namespace
