// A well-formed module: one utility class and one published interface.
#include "FunctionPublishing.h"
#include "NorvaneTypes.h"
#include "SdkVersion.h"

#include "../TestClassDesc.h"
#include "../TestModules.h"

namespace
{

int initCount = 0;
int shutdownCount = 0;

ClassDesc2& classDesc()
{
    static TestClassDesc desc(L"GoodUtility", L"Testing", Class_ID(GOOD_CLASS_A, GOOD_CLASS_B));
    return desc;
}

class GoodInterface : public FPStaticInterface
{
  public:
    using FPStaticInterface::FPStaticInterface;

  protected:
    int _dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) override
    {
        if (fid != 1)
            return FPS_NO_SUCH_FUNCTION;
        result.Load(TYPE_INT, 2 * (*p)[0].asInt());
        return FPS_OK;
    }
};

GoodInterface theInterface(Interface_ID(GOOD_INTERFACE_A, GOOD_INTERFACE_B), L"Doubler", 1, &classDesc(), 0,
                           1, L"Twice", 2, TYPE_INT, 0, 1,
                           L"value", 3, TYPE_INT, FP_TAG_PARAM_FLAGS, 4,
                           FP_TAG_END);

} // namespace

extern "C"
{
    __attribute__((visibility("default"))) const wchar_t* LibDescription()
    {
        return L"Module for the host's tests";
    }
    __attribute__((visibility("default"))) int LibNumberClasses()
    {
        return 1;
    }
    __attribute__((visibility("default"))) ClassDesc* LibClassDesc(int i)
    {
        return i == 0 ? &classDesc() : nullptr;
    }
    __attribute__((visibility("default"))) ULONG LibVersion()
    {
        return NORVANE_SDK_VERSION;
    }
    __attribute__((visibility("default"))) int LibInitialize()
    {
        ++initCount;
        return 1;
    }
    __attribute__((visibility("default"))) int LibShutdown()
    {
        ++shutdownCount;
        return 1;
    }
    // For the tests: how often the loader called the two.
    __attribute__((visibility("default"))) int TestInitCount()
    {
        return initCount;
    }
    __attribute__((visibility("default"))) int TestShutdownCount()
    {
        return shutdownCount;
    }
}
