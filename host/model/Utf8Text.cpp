#include "Utf8Text.h"

#include <QString>

namespace Norvane
{
std::string Utf8FromWide(const std::wstring& text)
{
    return QString::fromStdWString(text).toStdString();
}

std::wstring WideFromUtf8(const std::string& text)
{
    return QString::fromStdString(text).toStdWString();
}
} // namespace Norvane
