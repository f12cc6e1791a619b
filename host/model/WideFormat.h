#pragma once
// printf-style formatting with the host's wide-format rules: %s and %c take
// wide arguments, %hs / %S and %hc / %C narrow (UTF-8) ones.
#include <cstdarg>
#include <string>

namespace Norvane
{
std::wstring FormatWide(const wchar_t* format, va_list args);
}
