#include "WideFormat.h"

#include <QString>
#include <cstdio>
#include <cwchar>

namespace Norvane
{
namespace
{

std::wstring Pad(std::wstring text, int width, bool left, int precision)
{
    if (precision >= 0 && static_cast<int>(text.size()) > precision)
        text.resize(static_cast<size_t>(precision));
    if (width > static_cast<int>(text.size()))
    {
        std::wstring fill(static_cast<size_t>(width) - text.size(), L' ');
        text = left ? text + fill : fill + text;
    }
    return text;
}

// Formats one numeric conversion through the C library, which needs no locale
// for numbers beyond the decimal point.
template <class T> std::wstring One(const std::string& conversion, T value)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, conversion.c_str(), value);
    return QString::fromUtf8(buf).toStdWString();
}

} // namespace

std::wstring FormatWide(const wchar_t* format, va_list args)
{
    std::wstring out;
    if (!format)
        return out;
    for (const wchar_t* p = format; *p; ++p)
    {
        if (*p != L'%')
        {
            out += *p;
            continue;
        }
        ++p;
        if (*p == L'%')
        {
            out += L'%';
            continue;
        }
        std::string conversion = "%";
        bool left = false;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0')
        {
            if (*p == L'-')
                left = true;
            conversion += static_cast<char>(*p++);
        }
        int width = -1;
        if (*p == L'*')
        {
            width = va_arg(args, int);
            if (width < 0)
            {
                left = true;
                width = -width;
            }
            conversion += std::to_string(width);
            ++p;
        }
        else
        {
            while (*p >= L'0' && *p <= L'9')
            {
                width = (width < 0 ? 0 : width * 10) + (*p - L'0');
                conversion += static_cast<char>(*p++);
            }
        }
        int precision = -1;
        if (*p == L'.')
        {
            conversion += '.';
            ++p;
            precision = 0;
            if (*p == L'*')
            {
                precision = va_arg(args, int);
                conversion += std::to_string(precision);
                ++p;
            }
            else
            {
                while (*p >= L'0' && *p <= L'9')
                {
                    precision = precision * 10 + (*p - L'0');
                    conversion += static_cast<char>(*p++);
                }
            }
        }
        std::string length;
        while (*p == L'h' || *p == L'l' || *p == L'L' || *p == L'z' || *p == L'j' || *p == L't' || *p == L'I')
        {
            if (*p == L'I')
            { // I64 / I32 / I
                ++p;
                if (p[0] == L'6' && p[1] == L'4')
                {
                    length = "ll";
                    p += 2;
                }
                else if (p[0] == L'3' && p[1] == L'2')
                {
                    p += 2;
                }
                else
                    length = "z";
                continue;
            }
            length += static_cast<char>(*p++);
        }
        const wchar_t conv = *p;
        if (!conv)
            break;
        switch (conv)
        {
            case L's':
            case L'S':
            {
                const bool narrow = conv == L'S' || length == "h";
                std::wstring text;
                if (narrow)
                {
                    const char* s = va_arg(args, const char*);
                    text = s ? QString::fromUtf8(s).toStdWString() : L"(null)";
                }
                else
                {
                    const wchar_t* s = va_arg(args, const wchar_t*);
                    text = s ? s : L"(null)";
                }
                out += Pad(text, width, left, precision);
                break;
            }
            case L'c':
            case L'C':
            {
                const bool narrow = conv == L'C' || length == "h";
                wchar_t c = narrow ? static_cast<wchar_t>(static_cast<unsigned char>(va_arg(args, int)))
                                   : static_cast<wchar_t>(va_arg(args, wint_t));
                out += Pad(std::wstring(1, c), width, left, -1);
                break;
            }
            case L'd':
            case L'i':
                if (length == "ll" || length == "j")
                    out += One(conversion + "lld", va_arg(args, long long));
                else if (length == "l" || length == "z" || length == "t")
                    out += One(conversion + "ld", va_arg(args, long));
                else
                    out += One(conversion + "d", va_arg(args, int));
                break;
            case L'u':
            case L'x':
            case L'X':
            case L'o':
            {
                const char c = static_cast<char>(conv);
                if (length == "ll" || length == "j")
                    out += One(conversion + "ll" + c, va_arg(args, unsigned long long));
                else if (length == "l" || length == "z" || length == "t")
                    out += One(conversion + "l" + c, va_arg(args, unsigned long));
                else
                    out += One(conversion + c, va_arg(args, unsigned int));
                break;
            }
            case L'f':
            case L'F':
            case L'e':
            case L'E':
            case L'g':
            case L'G':
            case L'a':
            case L'A':
                if (length == "L")
                    out += One(conversion + "L" + static_cast<char>(conv), va_arg(args, long double));
                else
                    out += One(conversion + static_cast<char>(conv), va_arg(args, double));
                break;
            case L'p':
                out += One(conversion + "p", va_arg(args, void*));
                break;
            default:
                out += L'%';
                out += conv;
                break;
        }
    }
    return out;
}

} // namespace Norvane
