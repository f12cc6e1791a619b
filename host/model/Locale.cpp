#include "Locale.h"

LocaleGuard::LocaleGuard(int category, const char* locale) :
    category_(category)
{
    const char* current = std::setlocale(category, nullptr);
    previous_ = current ? current : "C";
    std::setlocale(category, locale ? locale : "C");
}

LocaleGuard::~LocaleGuard()
{
    std::setlocale(category_, previous_.c_str());
}

void UseLanguagePackLocale(HINSTANCE)
{
    // Resources are compiled into each module in one language; nothing to switch.
}
