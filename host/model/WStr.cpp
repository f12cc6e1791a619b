#include "WStr.h"

#include "WideFormat.h"

#include <QString>
#include <cstdarg>
#include <ostream>

WStr::WStr(const QString& s) :
    s_(s.toStdWString()) {}

WStr WStr::Substr(int first, int count) const
{
    if (first < 0 || first >= Length())
        return WStr();
    return WStr(s_.substr(static_cast<size_t>(first), count < 0 ? std::wstring::npos : static_cast<size_t>(count)));
}

int WStr::first(wchar_t c) const
{
    auto at = s_.find(c);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int WStr::last(wchar_t c) const
{
    auto at = s_.rfind(c);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CStr WStr::ToUTF8() const
{
    // Plain ASCII (shader code, most names) needs no trip through Qt.
    std::string ascii(s_.size(), '\0');
    for (size_t i = 0; i < s_.size(); ++i)
    {
        if (static_cast<unsigned long>(s_[i]) >= 0x80)
            return CStr(ToQString().toUtf8().toStdString());
        ascii[i] = static_cast<char>(s_[i]);
    }
    return CStr(std::move(ascii));
}

WStr WStr::FromUTF8(const char* utf8)
{
    return WStr(QString::fromUtf8(utf8 ? utf8 : "").toStdWString());
}

WStr WStr::FromUTF8(const std::string& utf8)
{
    return WStr(QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())).toStdWString());
}

QString WStr::ToQString() const
{
    return QString::fromStdWString(s_);
}

WStr WStr::FromQString(const QString& s)
{
    return WStr(s.toStdWString());
}

int WStr::printf(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    s_ = Norvane::FormatWide(format, args);
    va_end(args);
    return Length();
}

std::ostream& operator<<(std::ostream& os, const WStr& s)
{
    return os << s.ToUTF8().str();
}

std::ostream& operator<<(std::ostream& os, const CStr& s)
{
    return os << s.str();
}
