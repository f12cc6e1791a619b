// Dispatch by function ID, argument checks and the registry of static interfaces.
#include "FunctionPublishing.h"

#include <gtest/gtest.h>

namespace
{

// Shaped like the plug-in's script interface: three functions, -1 for others.
class ScriptLike : public FPStaticInterface
{
  public:
    ScriptLike(Interface_ID id, const wchar_t* name) :
        FPStaticInterface(id, name, 0, nullptr, 8,
                          1, L"Import", 0, TYPE_MTL_TAB_BV, 0, 1, L"filename", 0, TYPE_STRING, FP_TAG_PARAM_FLAGS, 4,
                          2, L"Export", 0, TYPE_BOOL, 0, 2, L"filename", 0, TYPE_STRING, FP_TAG_PARAM_FLAGS, 4,
                          L"materials", 0, TYPE_MTL_TAB_BR, FP_TAG_PARAM_FLAGS, 4,
                          3, L"GetError", 0, TYPE_STRING, 0, 0, FP_TAG_END) {}

    int calls = 0;

  protected:
    int _dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) override
    {
        ++calls;
        switch (fid)
        {
            case 1:
                result.Load(TYPE_MTL_TAB_BV, MtlTab());
                return FPS_OK;
            case 2:
                result.Load(TYPE_BOOL, p->Count() == 2 && (*p)[1].asMtlTab() != nullptr);
                return FPS_OK;
            case 3:
                result.Load(TYPE_STRING, L"log");
                return FPS_OK;
            default:
                return FPS_NO_SUCH_FUNCTION;
        }
    }
};

class PlainInterface : public FPStaticInterface
{
  public:
    PlainInterface() :
        FPStaticInterface(Interface_ID(7, 7), L"Plain", 0, nullptr, 0, FP_TAG_END) {}
};

class DispatchTest : public ::testing::Test
{
  protected:
    ScriptLike fpi{ Interface_ID(0xD15A7C, 1), L"DispatchTarget" };
};

TEST_F(DispatchTest, KnownIdsReturnOneWithTheirResult)
{
    FPValue result;
    FPParams noArgs;
    ASSERT_EQ(fpi.Invoke(3, result, &noArgs), 1);
    EXPECT_EQ(result.type, TYPE_STRING);
    EXPECT_STREQ(result.asString(), L"log");

    MtlTab materials;
    FPParams args{ FPValue(TYPE_STRING, L"out.mtlx"), FPValue(TYPE_MTL_TAB_BR, materials) };
    ASSERT_EQ(fpi.Invoke(2, 0, result, &args), FPS_OK);
    EXPECT_EQ(result.type, TYPE_BOOL);
    EXPECT_TRUE(result.asBool());
}

TEST_F(DispatchTest, UnknownIdReturnsMinusOneAndLeavesTheResult)
{
    FPValue result(TYPE_INT, 17);
    FPParams noArgs;
    EXPECT_EQ(fpi.Invoke(99, result, &noArgs), -1);
    EXPECT_EQ(result.type, TYPE_INT);
    EXPECT_EQ(result.asInt(), 17);
}

TEST_F(DispatchTest, BaseDispatchKnowsNoFunction)
{
    PlainInterface plain;
    FPValue result;
    EXPECT_EQ(plain.Invoke(1, result, nullptr), FPS_NO_SUCH_FUNCTION);
}

TEST_F(DispatchTest, ArgumentChecksNameFunctionAndParameter)
{
    MtlTab materials;
    FPParams good{ FPValue(TYPE_STRING, L"a.mtlx"), FPValue(TYPE_MTL_TAB_BR, materials) };
    EXPECT_EQ(fpi.checkArguments(2, &good), "");
    FPParams one{ FPValue(TYPE_STRING, L"a.mtlx") };
    EXPECT_EQ(fpi.checkArguments(2, &one), "DispatchTarget.Export takes 2 arguments, 1 given");
    FPParams swapped{ FPValue(TYPE_MTL_TAB_BR, materials), FPValue(TYPE_STRING, L"a.mtlx") };
    EXPECT_EQ(fpi.checkArguments(2, &swapped),
              "DispatchTarget.Export: argument 1 \"filename\" must be a string, not a material table (by reference)");
    FPParams byValue{ FPValue(TYPE_STRING, L"a.mtlx"), FPValue(TYPE_MTL_TAB_BV, materials) };
    EXPECT_EQ(fpi.checkArguments(2, &byValue), "") << "how a table is passed does not matter to the check";
    EXPECT_EQ(fpi.checkArguments(3, nullptr), "");
    EXPECT_EQ(fpi.checkArguments(9, nullptr), "DispatchTarget has no function with ID 9");
}

TEST_F(DispatchTest, ConstructionRegistersAndDestructionWithdraws)
{
    FPInterfaceRegistry& registry = FPInterfaceRegistry::instance();
    EXPECT_EQ(registry.find(Interface_ID(0xD15A7C, 1)), &fpi);
    EXPECT_EQ(registry.find(std::wstring(L"DispatchTarget")), &fpi);
    EXPECT_EQ(GetFPStaticInterface(Interface_ID(0xD15A7C, 1)), &fpi);
    {
        ScriptLike second{ Interface_ID(0xD15A7C, 2), L"Second" };
        EXPECT_EQ(registry.find(std::wstring(L"Second")), &second);
        EXPECT_EQ(registry.interfaces().back(), &second);
    }
    EXPECT_EQ(registry.find(std::wstring(L"Second")), nullptr);
    EXPECT_EQ(registry.find(Interface_ID(0xD15A7C, 2)), nullptr);
    EXPECT_EQ(registry.find(Interface_ID(0xD15A7C, 1)), &fpi);
}

} // namespace
