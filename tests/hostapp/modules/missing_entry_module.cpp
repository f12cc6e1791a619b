// Exports only three of the six entry points.
#include "NorvaneTypes.h"
#include "SdkVersion.h"

extern "C"
{
    __attribute__((visibility("default"))) const wchar_t* LibDescription()
    {
        return L"Incomplete module";
    }
    __attribute__((visibility("default"))) int LibNumberClasses()
    {
        return 0;
    }
    __attribute__((visibility("default"))) ULONG LibVersion()
    {
        return NORVANE_SDK_VERSION;
    }
}
