#include "JsonWriter.h"

#include <QString>

#include <charconv>
#include <cmath>

namespace Norvane
{

void JsonWriter::Separate()
{
    if (afterKey_)
    {
        afterKey_ = false;
        return;
    }
    if (!first_.empty())
    {
        if (!first_.back())
            out_.append(',');
        first_.back() = false;
    }
}

void JsonWriter::BeginObject()
{
    Separate();
    out_.append('{');
    first_.push_back(true);
}

void JsonWriter::EndObject()
{
    first_.pop_back();
    out_.append('}');
}

void JsonWriter::BeginArray()
{
    Separate();
    out_.append('[');
    first_.push_back(true);
}

void JsonWriter::EndArray()
{
    first_.pop_back();
    out_.append(']');
}

JsonWriter& JsonWriter::Key(const char* latin1)
{
    String(latin1);
    out_.append(':');
    afterKey_ = true;
    return *this;
}

void JsonWriter::Null()
{
    Separate();
    out_.append("null", 4);
}

void JsonWriter::Bool(bool v)
{
    Separate();
    v ? out_.append("true", 4) : out_.append("false", 5);
}

void JsonWriter::Int(long long v)
{
    Separate();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    out_.append(text, static_cast<int>(end - text));
}

void JsonWriter::Double(double v)
{
    if (!std::isfinite(v))
        return Null();
    Separate();
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    out_.append(text, static_cast<int>(end - text));
}

void JsonWriter::Escaped(char32_t c)
{
    static const char hex[] = "0123456789abcdef";
    if (c < 0x80)
    {
        switch (c)
        {
            case '"':
                out_.append("\\\"", 2);
                return;
            case '\\':
                out_.append("\\\\", 2);
                return;
            case '\b':
                out_.append("\\b", 2);
                return;
            case '\f':
                out_.append("\\f", 2);
                return;
            case '\n':
                out_.append("\\n", 2);
                return;
            case '\r':
                out_.append("\\r", 2);
                return;
            case '\t':
                out_.append("\\t", 2);
                return;
            default:
                if (c < 0x20)
                {
                    const char u[] = { '\\', 'u', '0', '0', hex[c >> 4], hex[c & 15] };
                    out_.append(u, 6);
                }
                else
                {
                    out_.append(static_cast<char>(c));
                }
                return;
        }
    }
    // What cannot be a character (a lone surrogate, beyond Unicode) becomes U+FFFD.
    if ((c >= 0xd800 && c < 0xe000) || c > 0x10ffff)
        c = 0xfffd;
    char bytes[4];
    int n;
    if (c < 0x800)
    {
        bytes[0] = static_cast<char>(0xc0 | (c >> 6));
        n = 2;
    }
    else if (c < 0x10000)
    {
        bytes[0] = static_cast<char>(0xe0 | (c >> 12));
        bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        n = 3;
    }
    else
    {
        bytes[0] = static_cast<char>(0xf0 | (c >> 18));
        bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        n = 4;
    }
    bytes[n - 1] = static_cast<char>(0x80 | (c & 0x3f));
    out_.append(bytes, n);
}

void JsonWriter::String(const QString& s)
{
    Separate();
    out_.append('"');
    const QChar* p = s.constData();
    const QChar* end = p + s.size();
    while (p < end)
    {
        char32_t c = p->unicode();
        ++p;
        if (QChar::isHighSurrogate(c) && p < end && p->isLowSurrogate())
        {
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), p->unicode());
            ++p;
        }
        Escaped(c);
    }
    out_.append('"');
}

void JsonWriter::String(const std::wstring& s)
{
    Separate();
    out_.append('"');
    for (wchar_t c : s)
        Escaped(static_cast<char32_t>(c));
    out_.append('"');
}

void JsonWriter::String(const char* latin1)
{
    Separate();
    out_.append('"');
    for (const char* p = latin1; *p; ++p)
        Escaped(static_cast<unsigned char>(*p));
    out_.append('"');
}

void JsonWriter::Raw(const QByteArray& json)
{
    Separate();
    out_.append(json);
}

} // namespace Norvane
