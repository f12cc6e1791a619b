#pragma once
// Two-word identifiers of classes and interfaces.
#include "NorvaneTypes.h"
#include <cstddef>
#include <functional>

// Class and interface IDs share their shape but are different types: one
// cannot stand where the other is asked for.
template <typename Id> class TwoPartId
{
  public:
    constexpr TwoPartId() :
        a_(0xFFFFFFFFu),
        b_(0xFFFFFFFFu) {}
    constexpr TwoPartId(ULONG a, ULONG b) :
        a_(a),
        b_(b) {}
    constexpr ULONG PartA() const { return a_; }
    constexpr ULONG PartB() const { return b_; }
    void SetPartA(ULONG a) { a_ = a; }
    void SetPartB(ULONG b) { b_ = b; }
    friend constexpr bool operator==(const Id& l, const Id& r) { return l.PartA() == r.PartA() && l.PartB() == r.PartB(); }
    friend constexpr bool operator!=(const Id& l, const Id& r) { return !(l == r); }
    friend constexpr bool operator<(const Id& l, const Id& r) { return l.PartA() < r.PartA() || (l.PartA() == r.PartA() && l.PartB() < r.PartB()); }

  private:
    ULONG a_;
    ULONG b_;
};

class Class_ID : public TwoPartId<Class_ID>
{
  public:
    using TwoPartId::TwoPartId;
};

class Interface_ID : public TwoPartId<Interface_ID>
{
  public:
    using TwoPartId::TwoPartId;
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
