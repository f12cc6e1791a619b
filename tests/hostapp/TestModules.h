#pragma once
// Where the test modules are built, and what the good one reports.
#include <string>

#ifdef HOSTAPP_TEST_MODULE_DIR
inline std::string testModulePath(const std::string& name) {
  return std::string(HOSTAPP_TEST_MODULE_DIR) + "/" + name + ".dlu";
}
#endif

constexpr unsigned kGoodClassA = 0x600D0001u, kGoodClassB = 0x600D0002u;
constexpr unsigned kGoodInterfaceA = 0x600DF00Du, kGoodInterfaceB = 0x0000CAFEu;
