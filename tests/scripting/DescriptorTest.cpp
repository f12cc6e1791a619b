// The script interface as the host reads it from the loaded module.
#include "ClassDesc.h"
#include "FunctionPublishing.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace
{

class ScriptInterfaceDescriptorTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { module = dlopen(ROZO_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL); }

    void SetUp() override
    {
        ASSERT_NE(module, nullptr) << dlerror();
        fpi = GetFPStaticInterface(L"MaterialX");
        ASSERT_NE(fpi, nullptr);
    }

    static void expectFileNameParam(const FPParamDef& p)
    {
        EXPECT_EQ(p.internal_name, L"filename");
        EXPECT_EQ(p.local_name_id, 9);
        EXPECT_EQ(p.type, TYPE_STRING);
        ASSERT_NE(p.tag(FP_TAG_PARAM_FLAGS), nullptr);
        EXPECT_EQ(p.tag(FP_TAG_PARAM_FLAGS)->values.at(0).number(), 4);
    }

    static void* module;
    FPStaticInterface* fpi = nullptr;
};
void* ScriptInterfaceDescriptorTest::module = nullptr;

TEST_F(ScriptInterfaceDescriptorTest, InterfaceIdentity)
{
    EXPECT_TRUE(fpi->isValid()) << fpi->loadError();
    EXPECT_EQ(fpi->ID, Interface_ID(0x5BEEFB9F, 0xF001F3F1));
    EXPECT_EQ(fpi->local_name_id, 6);
    EXPECT_EQ(fpi->flags, 8u);
    ASSERT_NE(fpi->cd, nullptr);
    EXPECT_EQ(fpi->cd->ClassID(), Class_ID(0x75559941, 0x7AF4F8E0));
    EXPECT_EQ(GetFPStaticInterface(Interface_ID(0x5BEEFB9F, 0xF001F3F1)), fpi);
}

TEST_F(ScriptInterfaceDescriptorTest, FunctionsInOrder)
{
    ASSERT_EQ(fpi->functions.size(), 3u);
    const FPFunctionDef& import = fpi->functions[0];
    EXPECT_EQ(import.ID, 1);
    EXPECT_EQ(import.internal_name, L"ImportMtlX");
    EXPECT_EQ(import.local_name_id, 7);
    EXPECT_EQ(import.result_type, 10254);
    EXPECT_EQ(import.flags, 0u);
    ASSERT_EQ(import.params.size(), 1u);
    expectFileNameParam(import.params[0]);

    const FPFunctionDef& exportFn = fpi->functions[1];
    EXPECT_EQ(exportFn.ID, 2);
    EXPECT_EQ(exportFn.internal_name, L"ExportMtlX");
    EXPECT_EQ(exportFn.local_name_id, 8);
    EXPECT_EQ(exportFn.result_type, TYPE_BOOL);
    ASSERT_EQ(exportFn.params.size(), 3u);
    expectFileNameParam(exportFn.params[0]);
    EXPECT_EQ(exportFn.params[1].internal_name, L"materials");
    EXPECT_EQ(exportFn.params[1].local_name_id, 10);
    EXPECT_EQ(exportFn.params[1].type, 6158);
    ASSERT_NE(exportFn.params[1].tag(FP_TAG_PARAM_FLAGS), nullptr);
    EXPECT_EQ(exportFn.params[1].tag(FP_TAG_PARAM_FLAGS)->values.at(0).number(), 4);
    // The version may be left out: its default is the panel's choice.
    EXPECT_EQ(exportFn.params[2].internal_name, L"version");
    EXPECT_EQ(exportFn.params[2].type, TYPE_STRING);
    ASSERT_NE(exportFn.params[2].tag(FP_TAG_DEFAULT), nullptr);
    EXPECT_EQ(exportFn.params[2].tag(FP_TAG_DEFAULT)->values.at(0).text(), L"");

    const FPFunctionDef& getError = fpi->functions[2];
    EXPECT_EQ(getError.ID, 3);
    EXPECT_EQ(getError.internal_name, L"GetError");
    EXPECT_EQ(getError.local_name_id, 11);
    EXPECT_EQ(getError.result_type, TYPE_STRING);
    EXPECT_TRUE(getError.params.empty());
}

TEST_F(ScriptInterfaceDescriptorTest, UnknownFunctionIdLeavesTheResultAlone)
{
    FPValue result;
    result.Load(TYPE_INT, 7);
    FPParams params;
    EXPECT_EQ(fpi->Invoke(4, result, &params), -1);
    EXPECT_EQ(fpi->Invoke(0, result, nullptr), -1);
    EXPECT_EQ(result.type, TYPE_INT);
    EXPECT_EQ(result.asInt(), 7);
}

} // namespace
