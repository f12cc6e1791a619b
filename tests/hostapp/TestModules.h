#pragma once
// Where the test modules are built, and what the good one reports.
#include "SdkVersion.h"

#include <cstdio>
#include <string>

#ifdef HOSTAPP_TEST_MODULE_DIR
inline std::string testModulePath(const std::string& name)
{
    return std::string(HOSTAPP_TEST_MODULE_DIR) + "/" + name + ".dlu";
}
#endif

// The host's stamp as its loader prints it.
inline std::string sdkVersionText()
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(NORVANE_SDK_VERSION));
    return text;
}

constexpr unsigned GOOD_CLASS_A = 0x600D0001u, GOOD_CLASS_B = 0x600D0002u;
constexpr unsigned GOOD_INTERFACE_A = 0x600DF00Du, GOOD_INTERFACE_B = 0x0000CAFEu;
