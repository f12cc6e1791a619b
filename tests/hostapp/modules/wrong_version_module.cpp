// Built for an older SDK: the loader must refuse it before initialising it,
// and what it published while loading must go with it.
#include "FunctionPublishing.h"
#include "NorvaneTypes.h"

#include <cstdlib>

namespace
{
FPStaticInterface published(Interface_ID(0x01D, 0x01D), L"OldInterface", 0, nullptr, 0, FP_TAG_END);
}

extern "C"
{
    __attribute__((visibility("default"))) const wchar_t* LibDescription()
    {
        return L"Old module";
    }
    __attribute__((visibility("default"))) int LibNumberClasses()
    {
        return 0;
    }
    __attribute__((visibility("default"))) ClassDesc* LibClassDesc(int)
    {
        return nullptr;
    }
    __attribute__((visibility("default"))) ULONG LibVersion()
    {
        return 0x5DC03B00u;
    }
    __attribute__((visibility("default"))) int LibInitialize()
    {
        std::abort();
    }
    __attribute__((visibility("default"))) int LibShutdown()
    {
        std::abort();
    }
}
