#include <MaterialXCore/Value.h>

#include <charconv>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale.h>

MATERIALX_NAMESPACE_BEGIN

namespace
{

Value::FloatFormat floatFormat = Value::FloatFormatDefault;
int floatPrecision = 6;

//
// Parsing.  Scalars follow the rules of formatted stream extraction: leading
// white space is skipped, the longest numeric prefix is read and anything
// after it is ignored; no digits, or a value out of range, is a failure.
// Vectors, matrices and arrays are split at commas and spaces first.
//

inline bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

locale_t classicLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

// Collect the characters a stream would accept for a floating-point number:
// sign, digits with at most one point, and an exponent after a mantissa.
size_t scanFloat(const char* s, size_t n)
{
    size_t i = 0;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        i++;
    bool mantissa = false;
    bool point = false;
    for (; i < n; i++)
    {
        if (isDigit(s[i]))
            mantissa = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (mantissa && i < n && (s[i] == 'e' || s[i] == 'E'))
    {
        i++;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            i++;
        while (i < n && isDigit(s[i]))
            i++;
    }
    return i;
}

// A character range of the text being parsed.
struct Span
{
    const char* begin;
    const char* end;

    Span(const string& str) :
        begin(str.data()),
        end(str.data() + str.size())
    {
    }
    Span(const char* b, const char* e) :
        begin(b),
        end(e)
    {
    }
    size_t size() const { return size_t(end - begin); }
    bool equals(const string& str) const { return str.size() == size() && std::memcmp(begin, str.data(), size()) == 0; }
};

template <class F> F strtoClassic(const char* buf, char** end);
template <> float strtoClassic<float>(const char* buf, char** end)
{
    return strtof_l(buf, end, classicLocale());
}
template <> double strtoClassic<double>(const char* buf, char** end)
{
    return strtod_l(buf, end, classicLocale());
}

// Plain decimals of few digits ("0.8", "-12.5"): the digits as an integer
// and the power of ten are both exact in F, so one division rounds exactly
// as a full conversion would.  False for anything else.
template <class F> bool parseShortDecimal(const char* s, const char* e, F& data)
{
    constexpr int maxDigits = std::numeric_limits<F>::digits10;
    constexpr int maxScale = std::is_same<F, float>::value ? 10 : 22;
    static const F powers[] = { F(1e0), F(1e1), F(1e2), F(1e3), F(1e4), F(1e5), F(1e6), F(1e7), F(1e8),
                                F(1e9), F(1e10), F(1e11), F(1e12), F(1e13), F(1e14), F(1e15), F(1e16),
                                F(1e17), F(1e18), F(1e19), F(1e20), F(1e21), F(1e22) };
    bool negative = false;
    if (s < e && (*s == '+' || *s == '-'))
        negative = *s++ == '-';
    uint64_t mantissa = 0;
    int digits = 0;
    int scale = 0;
    bool point = false;
    bool any = false;
    for (; s < e; s++)
    {
        if (*s == '.')
        {
            point = true;
            continue;
        }
        if (!isDigit(*s))
            return false; // an exponent
        any = true;
        if (point)
            scale++;
        if (mantissa == 0 && *s == '0')
            continue;
        if (++digits > maxDigits)
            return false;
        mantissa = mantissa * 10 + uint64_t(*s - '0');
    }
    if (!any || scale > maxScale)
        return false;
    const F v = F(mantissa) / powers[scale];
    data = negative ? -v : v;
    return true;
}

template <class F> bool parseFloating(Span str, F& data)
{
    const char* s = str.begin;
    while (s < str.end && isSpace(*s))
        s++;
    const size_t len = scanFloat(s, size_t(str.end - s));
    if (len == 0)
        return false;

    F v{};
    if (parseShortDecimal(s, s + len, v))
    {
        data = v;
        return true;
    }

    // Then anything the standard conversion reads in full and in range.
    const char* first = *s == '+' ? s + 1 : s;
    if (first < s + len)
    {
        const std::from_chars_result res = std::from_chars(first, s + len, v, std::chars_format::general);
        if (res.ec == std::errc() && res.ptr == s + len)
        {
            data = v;
            return true;
        }
    }

    // Everything else, decided by the C library: "1e" does not convert in
    // full, an overflow to infinity fails, an underflow does not.
    char local[64];
    string heap;
    const char* buf = local;
    if (len < sizeof(local))
    {
        std::memcpy(local, s, len);
        local[len] = '\0';
    }
    else
    {
        heap.assign(s, len);
        buf = heap.c_str();
    }
    char* end = nullptr;
    v = strtoClassic<F>(buf, &end);
    if (end != buf + len || std::isinf(v))
        return false;
    data = v;
    return true;
}

template <class I> bool parseInteger(Span str, I& data)
{
    const char* s = str.begin;
    const char* e = str.end;
    while (s < e && isSpace(*s))
        s++;
    bool negative = false;
    if (s < e && (*s == '+' || *s == '-'))
        negative = *s++ == '-';
    if (s == e || !isDigit(*s))
        return false;
    // Accumulate as a negative number, which has the larger range.
    const long long limit = negative ? static_cast<long long>(std::numeric_limits<I>::min())
                                     : -static_cast<long long>(std::numeric_limits<I>::max());
    long long v = 0;
    for (; s < e && isDigit(*s); s++)
    {
        const int digit = *s - '0';
        if (v < (limit + digit) / 10)
            return false;
        v = v * 10 - digit;
    }
    data = static_cast<I>(negative ? v : -v);
    return true;
}

bool stringToData(Span str, int& data)
{
    return parseInteger(str, data);
}
bool stringToData(Span str, long& data)
{
    return parseInteger(str, data);
}
bool stringToData(Span str, float& data)
{
    return parseFloating(str, data);
}
bool stringToData(Span str, double& data)
{
    return parseFloating(str, data);
}

bool stringToData(Span str, bool& data)
{
    if (str.equals(VALUE_STRING_TRUE))
        data = true;
    else if (str.equals(VALUE_STRING_FALSE))
        data = false;
    else
        return false;
    return true;
}

bool stringToData(Span str, string& data)
{
    data.assign(str.begin, str.end);
    return true;
}

// Calls f(token, index) for each comma- or space-separated token of str,
// stopping at the first failure.  Returns the token count, or -1 after a
// failure.
template <class F> long forEachToken(Span str, F f)
{
    long count = 0;
    const char* i = str.begin;
    while (true)
    {
        while (i < str.end && (*i == ',' || *i == ' '))
            i++;
        if (i == str.end)
            break;
        const char* j = i;
        while (j < str.end && *j != ',' && *j != ' ')
            j++;
        if (!f(Span(i, j), count))
            return -1;
        count++;
        i = j;
    }
    return count;
}

template <class V> bool parseVector(Span str, V& data)
{
    const size_t size = V::numElements();
    const long count = forEachToken(str, [&](Span token, long index) {
        return size_t(index) < size && stringToData(token, data[size_t(index)]);
    });
    return count == long(size);
}

template <class M> bool parseMatrix(Span str, M& data)
{
    const size_t rows = M::numRows();
    const size_t size = rows * M::numColumns();
    const long count = forEachToken(str, [&](Span token, long index) {
        const size_t i = size_t(index);
        return i < size && stringToData(token, data[i / rows][i % rows]);
    });
    return count == long(size);
}

template <class T> bool parseArray(Span str, vector<T>& data)
{
    return forEachToken(str, [&](Span token, long) {
               T v{};
               if (!stringToData(token, v))
                   return false;
               data.push_back(v);
               return true;
           }) >= 0;
}

bool stringToData(Span str, Vector2& data)
{
    return parseVector(str, data);
}
bool stringToData(Span str, Vector3& data)
{
    return parseVector(str, data);
}
bool stringToData(Span str, Vector4& data)
{
    return parseVector(str, data);
}
bool stringToData(Span str, Color3& data)
{
    return parseVector(str, data);
}
bool stringToData(Span str, Color4& data)
{
    return parseVector(str, data);
}
bool stringToData(Span str, Matrix33& data)
{
    return parseMatrix(str, data);
}
bool stringToData(Span str, Matrix44& data)
{
    return parseMatrix(str, data);
}
bool stringToData(Span str, IntVec& data)
{
    return parseArray(str, data);
}
bool stringToData(Span str, BoolVec& data)
{
    return parseArray(str, data);
}
bool stringToData(Span str, FloatVec& data)
{
    return parseArray(str, data);
}
bool stringToData(Span str, StringVec& data)
{
    return parseArray(str, data);
}

//
// Formatting, as a stream with the current float format and precision would.
//

void appendFloating(double v, string& str)
{
    // to_chars with a precision is specified as printf's %.*g / %.*f / %.*e,
    // which is what a stream writes, without the locale and format parsing.
    const std::chars_format format = floatFormat == Value::FloatFormatFixed ? std::chars_format::fixed : floatFormat == Value::FloatFormatScientific ? std::chars_format::scientific
                                                                                                                                                     : std::chars_format::general;
    char buf[128];
    std::to_chars_result res = std::to_chars(buf, buf + sizeof(buf), v, format, floatPrecision);
    if (res.ec == std::errc())
    {
        str.append(buf, res.ptr);
        return;
    }
    // Very large fixed-format values.
    vector<char> big(512 + size_t(std::max(floatPrecision, 0)));
    res = std::to_chars(big.data(), big.data() + big.size(), v, format, floatPrecision);
    str.append(big.data(), res.ptr);
}

void appendData(float data, string& str)
{
    appendFloating(data, str);
}
void appendData(double data, string& str)
{
    appendFloating(data, str);
}
void appendData(int data, string& str)
{
    str += std::to_string(data);
}
void appendData(long data, string& str)
{
    str += std::to_string(data);
}
void appendData(bool data, string& str)
{
    str += data ? VALUE_STRING_TRUE : VALUE_STRING_FALSE;
}
void appendData(const string& data, string& str)
{
    str += data;
}

template <class V> void appendElements(const V& data, string& str)
{
    bool first = true;
    for (const auto& element : data)
    {
        if (!first)
            str += ARRAY_PREFERRED_SEPARATOR;
        first = false;
        appendData(element, str);
    }
}

template <class V, class S, size_t N> void appendData(const VectorN<V, S, N>& data, string& str)
{
    appendElements(data, str);
}

template <class M, class S, size_t N> void appendData(const MatrixN<M, S, N>& data, string& str)
{
    for (size_t i = 0; i < N; i++)
    {
        if (i)
            str += ARRAY_PREFERRED_SEPARATOR;
        appendElements(data[i], str);
    }
}

void appendData(const BoolVec& data, string& str)
{
    for (size_t i = 0; i < data.size(); i++)
    {
        if (i)
            str += ARRAY_PREFERRED_SEPARATOR;
        appendData(bool(data[i]), str);
    }
}

template <class T> void appendData(const vector<T>& data, string& str)
{
    appendElements(data, str);
}

using CreatorFunction = ValuePtr (*)(const string&);

struct TypeCreator
{
    const string* type;
    CreatorFunction create;
};

} // anonymous namespace

//
// Value
//

Value::ScopedFloatFormatting::ScopedFloatFormatting(FloatFormat format, int precision) :
    format_(floatFormat),
    precision_(floatPrecision)
{
    floatFormat = format;
    if (precision >= 0)
        floatPrecision = precision;
}

Value::ScopedFloatFormatting::~ScopedFloatFormatting()
{
    floatFormat = format_;
    floatPrecision = precision_;
}

void Value::setFloatFormat(FloatFormat format)
{
    floatFormat = format;
}

void Value::setFloatPrecision(int precision)
{
    floatPrecision = precision;
}

Value::FloatFormat Value::getFloatFormat()
{
    return floatFormat;
}

int Value::getFloatPrecision()
{
    return floatPrecision;
}

//
// Type functions
//

template <class T> const string& getTypeString()
{
    return TypedValue<T>::TYPE;
}

template <class T> string toValueString(const T& data)
{
    string str;
    appendData(data, str);
    return str;
}

template <class T> T fromValueString(const string& value)
{
    T data{};
    if (!stringToData(value, data))
        throw ExceptionTypeError("Type mismatch in value string: " + value);
    return data;
}

template <class T> const string& TypedValue<T>::getTypeString() const
{
    return TYPE;
}

template <class T> string TypedValue<T>::getValueString() const
{
    return toValueString<T>(data_);
}

template <class T> ValuePtr TypedValue<T>::createFromString(const string& value)
{
    T data{};
    if (!stringToData(value, data))
        return ValuePtr();
    return Value::createValue<T>(data);
}

#define MATERIALX_INSTANTIATE_VALUE_TYPE(T, name)        \
    template <> const string TypedValue<T>::TYPE = name; \
    template class TypedValue<T>;                        \
    template const string& getTypeString<T>();           \
    template string toValueString(const T& data);        \
    template T fromValueString(const string& value);

MATERIALX_INSTANTIATE_VALUE_TYPE(int, "integer")
MATERIALX_INSTANTIATE_VALUE_TYPE(bool, "boolean")
MATERIALX_INSTANTIATE_VALUE_TYPE(float, "float")
MATERIALX_INSTANTIATE_VALUE_TYPE(Color3, "color3")
MATERIALX_INSTANTIATE_VALUE_TYPE(Color4, "color4")
MATERIALX_INSTANTIATE_VALUE_TYPE(Vector2, "vector2")
MATERIALX_INSTANTIATE_VALUE_TYPE(Vector3, "vector3")
MATERIALX_INSTANTIATE_VALUE_TYPE(Vector4, "vector4")
MATERIALX_INSTANTIATE_VALUE_TYPE(Matrix33, "matrix33")
MATERIALX_INSTANTIATE_VALUE_TYPE(Matrix44, "matrix44")
MATERIALX_INSTANTIATE_VALUE_TYPE(string, "string")
MATERIALX_INSTANTIATE_VALUE_TYPE(IntVec, "integerarray")
MATERIALX_INSTANTIATE_VALUE_TYPE(BoolVec, "booleanarray")
MATERIALX_INSTANTIATE_VALUE_TYPE(FloatVec, "floatarray")
MATERIALX_INSTANTIATE_VALUE_TYPE(StringVec, "stringarray")
MATERIALX_INSTANTIATE_VALUE_TYPE(long, "integer64")
MATERIALX_INSTANTIATE_VALUE_TYPE(double, "float64")

#undef MATERIALX_INSTANTIATE_VALUE_TYPE

ValuePtr Value::createValueFromStrings(const string& value, const string& type)
{
    // A short table searched linearly beats hashing for a few dozen types.
    static const TypeCreator creators[] = {
        { &TypedValue<float>::TYPE, &TypedValue<float>::createFromString },
        { &TypedValue<Color3>::TYPE, &TypedValue<Color3>::createFromString },
        { &TypedValue<Vector2>::TYPE, &TypedValue<Vector2>::createFromString },
        { &TypedValue<Vector3>::TYPE, &TypedValue<Vector3>::createFromString },
        { &TypedValue<int>::TYPE, &TypedValue<int>::createFromString },
        { &TypedValue<bool>::TYPE, &TypedValue<bool>::createFromString },
        { &TypedValue<Color4>::TYPE, &TypedValue<Color4>::createFromString },
        { &TypedValue<Vector4>::TYPE, &TypedValue<Vector4>::createFromString },
        { &TypedValue<Matrix33>::TYPE, &TypedValue<Matrix33>::createFromString },
        { &TypedValue<Matrix44>::TYPE, &TypedValue<Matrix44>::createFromString },
        { &TypedValue<string>::TYPE, &TypedValue<string>::createFromString },
        { &TypedValue<IntVec>::TYPE, &TypedValue<IntVec>::createFromString },
        { &TypedValue<BoolVec>::TYPE, &TypedValue<BoolVec>::createFromString },
        { &TypedValue<FloatVec>::TYPE, &TypedValue<FloatVec>::createFromString },
        { &TypedValue<StringVec>::TYPE, &TypedValue<StringVec>::createFromString },
        { &TypedValue<long>::TYPE, &TypedValue<long>::createFromString },
        { &TypedValue<double>::TYPE, &TypedValue<double>::createFromString },
    };
    for (const TypeCreator& creator : creators)
    {
        if (*creator.type == type)
            return creator.create(value);
    }
    // Types without a data form of their own (filename, shader types, ...)
    // are held as strings.
    return TypedValue<string>::createFromString(value);
}

MATERIALX_NAMESPACE_END
