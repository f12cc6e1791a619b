#pragma once
// Locale services.
#include "NorvaneTypes.h"
#include <clocale>
#include <string>

// Puts a locale (the "C" locale by default) in force for its lifetime and
// restores the previous one afterwards, so numbers use a full stop.
class LocaleGuard
{
  public:
    explicit LocaleGuard(int category = LC_ALL, const char* locale = "C");
    ~LocaleGuard();
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

  private:
    int category_;
    std::string previous_;
};
using CLocaleGuard = LocaleGuard;

// Asks the host to use its language-pack locale for the resources of `module`.
void UseLanguagePackLocale(HINSTANCE module);
