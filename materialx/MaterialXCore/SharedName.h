#ifndef MATERIALX_SHAREDNAME_H
#define MATERIALX_SHAREDNAME_H

/// @file
/// Texts that many elements hold at once: categories, attribute names and
/// the most common attribute values ("float", "0", "1, 1, 1").

#include <MaterialXCore/Library.h>

#include <cstdint>
#include <string_view>

MATERIALX_NAMESPACE_BEGIN

/// A string such as "input" or "nodename" that thousands of elements carry.
/// The first few thousand distinct short texts of a process are kept once
/// and shared, so a holder is one pointer; any further text is the holder's
/// own copy, so that documents full of made-up names cannot make the shared
/// table grow without bound.
class MX_CORE_API SharedName
{
  public:
    SharedName() = default;
    SharedName(std::string_view text) :
        bits_(bitsFor(text)) {}
    SharedName(const string& text) :
        bits_(bitsFor(text)) {}
    SharedName(const char* text) :
        bits_(bitsFor(text)) {}
    SharedName(const SharedName& other) :
        bits_(other.isOwn() ? ownCopy(*other.text()) : other.bits_) {}
    SharedName(SharedName&& other) noexcept :
        bits_(other.bits_) { other.bits_ = 0; }
    ~SharedName() { release(); }

    SharedName& operator=(const SharedName& other)
    {
        if (this != &other)
        {
            uintptr_t bits = other.isOwn() ? ownCopy(*other.text()) : other.bits_;
            release();
            bits_ = bits;
        }
        return *this;
    }
    SharedName& operator=(SharedName&& other) noexcept
    {
        if (this != &other)
        {
            release();
            bits_ = other.bits_;
            other.bits_ = 0;
        }
        return *this;
    }

    const string& str() const { return bits_ ? *text() : emptyText(); }
    operator const string&() const { return str(); }
    bool empty() const { return str().empty(); }
    size_t size() const { return str().size(); }

    friend bool operator==(const SharedName& a, const SharedName& b)
    {
        // A text is shared under one address or never: two holders differ
        // unless both hold their own copies of it.
        return a.bits_ == b.bits_ || (a.isOwn() && b.isOwn() && *a.text() == *b.text());
    }
    friend bool operator==(const SharedName& a, const string& b) { return a.str() == b; }
    friend bool operator==(const string& a, const SharedName& b) { return a == b.str(); }
    friend bool operator==(const SharedName& a, const char* b) { return a.str() == b; }
    friend bool operator!=(const SharedName& a, const SharedName& b) { return !(a == b); }
    friend bool operator!=(const SharedName& a, const string& b) { return !(a == b); }
    friend bool operator!=(const string& a, const SharedName& b) { return !(a == b); }
    friend bool operator!=(const SharedName& a, const char* b) { return !(a == b); }

    /// How many distinct texts are shared at most; later ones are copied.
    static constexpr size_t SHARED_LIMIT = 8192;
    /// Longer texts are never shared: names of that length rarely repeat.
    static constexpr size_t SHARED_LENGTH_LIMIT = 48;

  private:
    static uintptr_t bitsFor(std::string_view text);
    static uintptr_t ownCopy(std::string_view text);
    static const string& emptyText();
    bool isOwn() const { return (bits_ & 1u) != 0; }
    const string* text() const { return reinterpret_cast<const string*>(bits_ & ~uintptr_t(1)); }
    void release()
    {
        if (isOwn())
            delete text();
    }

    // A shared text, or with the low bit set one of our own; 0 is empty.
    uintptr_t bits_ = 0;
};

MATERIALX_NAMESPACE_END

#endif
