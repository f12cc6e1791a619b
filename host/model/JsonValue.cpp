#include "JsonValue.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>

namespace Norvane
{

namespace
{

const JsonValue& Undefined()
{
    static const JsonValue none;
    return none;
}

// Whether [p, end) is well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond Unicode).
bool IsUtf8(const unsigned char* p, const unsigned char* end)
{
    while (p < end)
    {
        const unsigned char c = *p;
        if (c < 0x80)
        {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xc2 && c <= 0xdf)
        {
            extra = 1;
            cp = c & 0x1f;
        }
        else if (c >= 0xe0 && c <= 0xef)
        {
            extra = 2;
            cp = c & 0x0f;
        }
        else if (c >= 0xf0 && c <= 0xf4)
        {
            extra = 3;
            cp = c & 0x07;
        }
        else
        {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int k = 1; k <= extra; ++k)
        {
            if ((p[k] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3f);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xd800 && cp < 0xe000))) || (extra == 3 && (cp < 0x10000 || cp > 0x10ffff)))
            return false;
        p += extra + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
    else
    {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

// Where a document's entries, members and keys live: in chunks that are
// freed together, instead of a vector per array and object.
struct JsonArena
{
    static constexpr size_t CHUNK_SIZE = 4096;

    template <typename T> struct Pool
    {
        std::vector<std::unique_ptr<T[]>> chunks;
        T* next = nullptr;
        size_t left = 0;
        T* Take(size_t n)
        {
            if (n > left)
            {
                const size_t size = std::max(n, CHUNK_SIZE);
                chunks.push_back(std::make_unique<T[]>(size));
                next = chunks.back().get();
                left = size;
            }
            T* out = next;
            next += n;
            left -= n;
            return out;
        }
    };

    // Moves `values` (and `keys`, for an object) into place as the entries of `out`.
    template <typename Values, typename Keys> void Fill(JsonValue& out, Values first, size_t n, Keys keyFirst)
    {
        out.count_ = static_cast<unsigned>(n);
        if (!n)
            return;
        out.items_ = values.Take(n);
        for (size_t i = 0; i < n; ++i)
            out.items_[i] = std::move(first[i]);
        if (out.type_ == JsonValue::Type::Object)
        {
            out.keys_ = keys.Take(n);
            for (size_t i = 0; i < n; ++i)
                out.keys_[i] = keyFirst[i];
        }
    }

    std::string_view Keep(std::string key)
    {
        decoded.push_back(std::move(key));
        return decoded.back();
    }

    QByteArray source; // keys without escapes are views of it
    Pool<JsonValue> values;
    Pool<std::string_view> keys;
    std::deque<std::string> decoded;
};

// Strict JSON: whatever it refuses, Qt's parser gets to judge (and to word the error).
class JsonParser
{
  public:
    JsonParser(const char* begin, const char* end, JsonArena& arena) :
        p_(begin),
        end_(end),
        arena_(arena) {}

    bool Document(JsonValue& out)
    {
        Space();
        if (p_ == end_ || *p_ != '{' || !Value(out, 0))
            return false;
        Space();
        return p_ == end_;
    }

  private:
    static constexpr int MAX_DEPTH = 256;

    void Space()
    {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t'))
            ++p_;
    }

    bool Literal(const char* word, size_t length)
    {
        if (static_cast<size_t>(end_ - p_) < length || std::memcmp(p_, word, length) != 0)
            return false;
        p_ += length;
        return true;
    }

    bool Value(JsonValue& out, int depth)
    {
        if (p_ == end_)
            return false;
        switch (*p_)
        {
            case '{':
                return Container(out, depth + 1, true);
            case '[':
                return Container(out, depth + 1, false);
            case '"':
                out.type_ = JsonValue::Type::String;
                return Text(out.text_);
            case 't':
                out.type_ = JsonValue::Type::Bool;
                out.number_ = 1.0;
                return Literal("true", 4);
            case 'f':
                out.type_ = JsonValue::Type::Bool;
                return Literal("false", 5);
            case 'n':
                out.type_ = JsonValue::Type::Null;
                return Literal("null", 4);
            default:
                return Number(out);
        }
    }

    // Entries are gathered on shared stacks and moved into place once their count is known.
    bool Container(JsonValue& out, int depth, bool object)
    {
        if (depth > MAX_DEPTH)
            return false;
        out.type_ = object ? JsonValue::Type::Object : JsonValue::Type::Array;
        const char close = object ? '}' : ']';
        ++p_;
        Space();
        if (p_ < end_ && *p_ == close)
        {
            ++p_;
            return true;
        }
        const size_t base = values_.size();
        for (;;)
        {
            if (object)
            {
                std::string_view key;
                if (p_ == end_ || *p_ != '"' || !Key(key))
                    return false;
                Space();
                if (p_ == end_ || *p_ != ':')
                    return false;
                ++p_;
                Space();
                keys_.push_back(key);
            }
            JsonValue item;
            if (!Value(item, depth))
                return false;
            values_.push_back(std::move(item));
            Space();
            if (p_ == end_)
                return false;
            if (*p_ == close)
            {
                ++p_;
                Collect(out, base, object);
                return true;
            }
            if (*p_ != ',')
                return false;
            ++p_;
            Space();
        }
    }

    void Collect(JsonValue& out, size_t base, bool withKeys)
    {
        const size_t n = values_.size() - base;
        arena_.Fill(out, values_.begin() + static_cast<std::ptrdiff_t>(base), n,
                    withKeys ? keys_.end() - static_cast<std::ptrdiff_t>(n) : keys_.end());
        values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(base), values_.end());
        if (withKeys)
            keys_.erase(keys_.end() - static_cast<std::ptrdiff_t>(n), keys_.end());
    }

    bool Number(JsonValue& out)
    {
        const char* start = p_;
        if (p_ < end_ && *p_ == '-')
            ++p_;
        if (p_ == end_ || *p_ < '0' || *p_ > '9')
            return false;
        if (*p_ == '0')
            ++p_;
        else
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9')
                ++p_;
        bool whole = true;
        if (p_ < end_ && *p_ == '.')
        {
            whole = false;
            ++p_;
            if (p_ == end_ || *p_ < '0' || *p_ > '9')
                return false;
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9')
                ++p_;
        }
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E'))
        {
            whole = false;
            ++p_;
            if (p_ < end_ && (*p_ == '+' || *p_ == '-'))
                ++p_;
            if (p_ == end_ || *p_ < '0' || *p_ > '9')
                return false;
            while (p_ < end_ && *p_ >= '0' && *p_ <= '9')
                ++p_;
        }
        double d = 0.0;
        const auto read = std::from_chars(start, p_, d);
        if (read.ec != std::errc() || read.ptr != p_ || !std::isfinite(d))
            return false;
        out.type_ = JsonValue::Type::Number;
        // A written whole number is an integer to Qt: "-0" is 0.
        out.number_ = whole && d == 0.0 ? 0.0 : d;
        return true;
    }

    // Four hex digits after "\u".
    bool Unit(char16_t& unit)
    {
        if (end_ - p_ < 4)
            return false;
        unit = 0;
        for (int k = 0; k < 4; ++k)
        {
            const int digit = HexDigit(p_[k]);
            if (digit < 0)
                return false;
            unit = static_cast<char16_t>((unit << 4) | digit);
        }
        p_ += 4;
        return true;
    }

    // Scans a string's plain run: stops at the closing quote or a backslash.
    bool Run(const char*& runEnd, bool& ascii)
    {
        ascii = true;
        const char* q = p_;
        while (q < end_)
        {
            const auto c = static_cast<unsigned char>(*q);
            if (c == '"' || c == '\\')
                break;
            if (c < 0x20)
                return false;
            if (c >= 0x80)
                ascii = false;
            ++q;
        }
        if (q == end_)
            return false;
        if (!ascii && !IsUtf8(reinterpret_cast<const unsigned char*>(p_), reinterpret_cast<const unsigned char*>(q)))
            return false;
        runEnd = q;
        return true;
    }

    // One escape after the backslash, as UTF-16 units.
    bool Escape(char16_t& unit)
    {
        if (p_ == end_)
            return false;
        const char c = *p_++;
        switch (c)
        {
            case '"':
                unit = '"';
                return true;
            case '\\':
                unit = '\\';
                return true;
            case '/':
                unit = '/';
                return true;
            case 'b':
                unit = '\b';
                return true;
            case 'f':
                unit = '\f';
                return true;
            case 'n':
                unit = '\n';
                return true;
            case 'r':
                unit = '\r';
                return true;
            case 't':
                unit = '\t';
                return true;
            case 'u':
                return Unit(unit);
            default:
                return false;
        }
    }

    bool Text(QString& out)
    {
        ++p_;
        const char* runEnd;
        bool ascii;
        if (!Run(runEnd, ascii))
            return false;
        for (;;)
        {
            // Appending to an empty string shares the run: a text without escapes is not copied again.
            const int length = static_cast<int>(runEnd - p_);
            out += ascii ? QString::fromLatin1(p_, length) : QString::fromUtf8(p_, length);
            p_ = runEnd;
            if (*p_ == '"')
            {
                ++p_;
                return true;
            }
            ++p_;
            char16_t unit;
            if (!Escape(unit))
                return false;
            out += QChar(unit);
            if (!Run(runEnd, ascii))
                return false;
        }
    }

    bool Key(std::string_view& out)
    {
        ++p_;
        const char* runEnd;
        bool ascii;
        if (!Run(runEnd, ascii))
            return false;
        if (*runEnd == '"')
        {
            out = std::string_view(p_, static_cast<size_t>(runEnd - p_));
            p_ = runEnd + 1;
            return true;
        }
        std::string key;
        for (;;)
        {
            key.append(p_, runEnd);
            p_ = runEnd + 1;
            if (*runEnd == '"')
            {
                out = arena_.Keep(std::move(key));
                return true;
            }
            char16_t unit;
            if (!Escape(unit))
                return false;
            char32_t c = unit;
            // A pair of escaped surrogates is one character; a lone one stays as it is.
            if (QChar::isHighSurrogate(unit) && end_ - p_ >= 6 && p_[0] == '\\' && p_[1] == 'u')
            {
                const char* at = p_;
                p_ += 2;
                char16_t low;
                if (Unit(low) && QChar::isLowSurrogate(low))
                    c = QChar::surrogateToUcs4(unit, low);
                else
                    p_ = at;
            }
            AppendUtf8(key, c);
            if (!Run(runEnd, ascii))
                return false;
        }
    }

    const char* p_;
    const char* end_;
    JsonArena& arena_;
    std::vector<JsonValue> values_;
    std::vector<std::string_view> keys_;
};

JsonValue::JsonValue() = default;
JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
JsonValue::~JsonValue() = default;

bool JsonValue::Parse(const QByteArray& json, JsonValue& out)
{
    auto arena = std::make_unique<JsonArena>();
    arena->source = json;
    JsonParser parser(json.constData(), json.constData() + json.size(), *arena);
    JsonValue doc;
    if (!parser.Document(doc))
    {
        out = JsonValue();
        return false;
    }
    doc.arena_ = std::move(arena);
    out = std::move(doc);
    return true;
}

void JsonValue::FromQt(const QJsonValue& v, JsonValue& out, JsonArena& arena)
{
    switch (v.type())
    {
        case QJsonValue::Null:
            out.type_ = Type::Null;
            break;
        case QJsonValue::Bool:
            out.type_ = Type::Bool;
            out.number_ = v.toBool() ? 1.0 : 0.0;
            break;
        case QJsonValue::Double:
            out.type_ = Type::Number;
            out.number_ = v.toDouble();
            break;
        case QJsonValue::String:
            out.type_ = Type::String;
            out.text_ = v.toString();
            break;
        case QJsonValue::Array:
        {
            out.type_ = Type::Array;
            const QJsonArray a = v.toArray();
            std::vector<JsonValue> items(static_cast<size_t>(a.size()));
            for (int i = 0; i < a.size(); ++i)
                FromQt(a[i], items[static_cast<size_t>(i)], arena);
            arena.Fill(out, items.begin(), items.size(), static_cast<std::string_view*>(nullptr));
            break;
        }
        case QJsonValue::Object:
        {
            out.type_ = Type::Object;
            const QJsonObject o = v.toObject();
            std::vector<JsonValue> items(static_cast<size_t>(o.size()));
            std::vector<std::string_view> keys;
            size_t i = 0;
            for (auto it = o.begin(); it != o.end(); ++it, ++i)
            {
                keys.push_back(arena.Keep(it.key().toStdString()));
                FromQt(it.value(), items[i], arena);
            }
            arena.Fill(out, items.begin(), items.size(), keys.begin());
            break;
        }
        case QJsonValue::Undefined:
            break;
    }
}

JsonValue JsonValue::FromQt(const QJsonValue& v)
{
    auto arena = std::make_unique<JsonArena>();
    JsonValue out;
    FromQt(v, out, *arena);
    out.arena_ = std::move(arena);
    return out;
}

int JsonValue::toInt(int otherwise) const
{
    if (type_ != Type::Number || std::floor(number_) != number_ || number_ < -2147483648.0 || number_ > 2147483647.0)
        return otherwise;
    return static_cast<int>(number_);
}

const JsonValue& JsonValue::operator[](int i) const
{
    return type_ == Type::Array && i >= 0 && static_cast<unsigned>(i) < count_ ? items_[i] : Undefined();
}

const JsonValue* JsonValue::Find(std::string_view key) const
{
    if (type_ != Type::Object)
        return nullptr;
    for (unsigned i = count_; i-- > 0;)
        if (keys_[i] == key)
            return &items_[i];
    return nullptr;
}

std::vector<std::string_view> JsonValue::keys() const
{
    return type_ == Type::Object ? std::vector<std::string_view>(keys_, keys_ + count_)
                                 : std::vector<std::string_view>();
}

const JsonValue& JsonValue::value(std::string_view key) const
{
    const JsonValue* found = Find(key);
    return found ? *found : Undefined();
}

} // namespace Norvane
