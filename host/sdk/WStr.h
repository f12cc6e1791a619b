#pragma once
// The host's text types: WStr (wide) for every host call, CStr (narrow, UTF-8).
#include <cwchar>
#include <iosfwd>
#include <string>

class QString;

class CStr
{
  public:
    CStr() = default;
    CStr(const char* s) :
        s_(s ? s : "") {}
    CStr(std::string s) :
        s_(std::move(s)) {}
    const char* data() const { return s_.c_str(); }
    operator const char*() const { return s_.c_str(); }
    int Length() const { return static_cast<int>(s_.size()); }
    int length() const { return Length(); }
    bool isNull() const { return s_.empty(); }
    const std::string& str() const { return s_; }
    bool operator==(const CStr& o) const { return s_ == o.s_; }
    bool operator!=(const CStr& o) const { return s_ != o.s_; }

  private:
    std::string s_;
};

class WStr
{
  public:
    WStr() = default;
    WStr(const wchar_t* s) :
        s_(s ? s : L"") {}
    WStr(std::wstring s) :
        s_(std::move(s)) {}
    WStr(const wchar_t* s, int length) :
        s_(s ? std::wstring(s, static_cast<size_t>(length)) : std::wstring()) {}
    explicit WStr(const QString& s);

    const wchar_t* data() const { return s_.c_str(); }
    operator const wchar_t*() const { return s_.c_str(); }
    const std::wstring& str() const { return s_; }
    int Length() const { return static_cast<int>(s_.size()); }
    int length() const { return Length(); }
    bool isNull() const { return s_.empty(); }
    void Resize(int n) { s_.resize(static_cast<size_t>(n < 0 ? 0 : n)); }
    wchar_t& operator[](int i) { return s_[static_cast<size_t>(i)]; }
    wchar_t operator[](int i) const { return s_[static_cast<size_t>(i)]; }

    // Substring from `first`, `count` characters (all when negative).
    WStr Substr(int first, int count = -1) const;
    // Position of the first / last occurrence of `c`, -1 when absent.
    int first(wchar_t c) const;
    int last(wchar_t c) const;

    WStr& operator+=(const WStr& o)
    {
        s_ += o.s_;
        return *this;
    }
    WStr& operator+=(const wchar_t* o)
    {
        s_ += (o ? o : L"");
        return *this;
    }
    WStr& Append(const WStr& o) { return *this += o; }

    // UTF-8 conversions. ToUTF8 never yields an absent string: empty text converts to "".
    CStr ToUTF8() const;
    static WStr FromUTF8(const char* utf8);
    static WStr FromUTF8(const std::string& utf8);
    // Qt conversions.
    QString ToQString() const;
    static WStr FromQString(const QString& s);
    // Formats like the host's debug output: %s takes a wide string, %hs a narrow one.
    int printf(const wchar_t* format, ...);

    friend bool operator==(const WStr& a, const WStr& b) { return a.s_ == b.s_; }
    friend bool operator!=(const WStr& a, const WStr& b) { return a.s_ != b.s_; }
    friend bool operator==(const WStr& a, const wchar_t* b) { return a.s_ == (b ? b : L""); }
    friend bool operator!=(const WStr& a, const wchar_t* b) { return !(a == b); }
    friend bool operator==(const wchar_t* a, const WStr& b) { return b == a; }
    friend bool operator!=(const wchar_t* a, const WStr& b) { return !(b == a); }
    friend bool operator<(const WStr& a, const WStr& b) { return a.s_ < b.s_; }
    friend WStr operator+(const WStr& a, const WStr& b) { return WStr(a.s_ + b.s_); }
    friend WStr operator+(const WStr& a, const wchar_t* b) { return WStr(a.s_ + (b ? b : L"")); }
    friend WStr operator+(const wchar_t* a, const WStr& b) { return WStr((a ? a : L"") + b.s_); }

  private:
    std::wstring s_;
};

// Narrow-stream output writes the UTF-8 form.
std::ostream& operator<<(std::ostream& os, const WStr& s);
std::ostream& operator<<(std::ostream& os, const CStr& s);
