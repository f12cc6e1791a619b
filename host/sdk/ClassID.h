#pragma once
// Two-word identifiers of classes and interfaces.
#include "NorvaneTypes.h"
#include <cstddef>
#include <functional>

class Class_ID
{
  public:
    constexpr Class_ID() :
        a_(0xFFFFFFFFu),
        b_(0xFFFFFFFFu) {}
    constexpr Class_ID(ULONG a, ULONG b) :
        a_(a),
        b_(b) {}
    constexpr ULONG PartA() const { return a_; }
    constexpr ULONG PartB() const { return b_; }
    void SetPartA(ULONG a) { a_ = a; }
    void SetPartB(ULONG b) { b_ = b; }
    constexpr bool operator==(const Class_ID& o) const { return a_ == o.a_ && b_ == o.b_; }
    constexpr bool operator!=(const Class_ID& o) const { return !(*this == o); }
    constexpr bool operator<(const Class_ID& o) const { return a_ < o.a_ || (a_ == o.a_ && b_ < o.b_); }

  private:
    ULONG a_;
    ULONG b_;
};

class Interface_ID
{
  public:
    constexpr Interface_ID() :
        a_(0xFFFFFFFFu),
        b_(0xFFFFFFFFu) {}
    constexpr Interface_ID(ULONG a, ULONG b) :
        a_(a),
        b_(b) {}
    constexpr ULONG PartA() const { return a_; }
    constexpr ULONG PartB() const { return b_; }
    void SetPartA(ULONG a) { a_ = a; }
    void SetPartB(ULONG b) { b_ = b; }
    constexpr bool operator==(const Interface_ID& o) const { return a_ == o.a_ && b_ == o.b_; }
    constexpr bool operator!=(const Interface_ID& o) const { return !(*this == o); }
    constexpr bool operator<(const Interface_ID& o) const { return a_ < o.a_ || (a_ == o.a_ && b_ < o.b_); }

  private:
    ULONG a_;
    ULONG b_;
};

namespace std
{
template <> struct hash<Class_ID>
{
    size_t operator()(const Class_ID& id) const noexcept
    {
        return (static_cast<size_t>(id.PartA()) << 32) ^ id.PartB();
    }
};
} // namespace std
