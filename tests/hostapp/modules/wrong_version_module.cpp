// Built for an older SDK: the loader must refuse it before initialising it.
#include "ClassDesc.h"
#include "NorvaneTypes.h"

#include <cstdlib>

extern "C" {
__attribute__((visibility("default"))) const wchar_t* LibDescription() { return L"Old module"; }
__attribute__((visibility("default"))) int LibNumberClasses() { return 0; }
__attribute__((visibility("default"))) ClassDesc* LibClassDesc(int) { return nullptr; }
__attribute__((visibility("default"))) ULONG LibVersion() { return 0x5DC03B00u; }
__attribute__((visibility("default"))) int LibInitialize() { std::abort(); }
__attribute__((visibility("default"))) int LibShutdown() { std::abort(); }
}
