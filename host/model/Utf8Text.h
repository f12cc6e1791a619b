#pragma once
// Conversions between the host's wide strings and UTF-8 for the host's own
// messages, names and command line.
#include <string>

namespace Norvane
{
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
} // namespace Norvane
