#pragma once
// Basic scalar types and identifiers shared by every SDK header.
#include <cstdint>
#include <climits>

using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using BOOL = int;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handle of a loaded module (the address the loader gave it, or any token the
// module chooses to identify itself with).
using HINSTANCE = void*;
using ModuleHandle = HINSTANCE;

// Animation time in ticks.
using TimeValue = int;
constexpr int TICKS_PER_FRAME = 160;
constexpr TimeValue TIME_NegInfinity = INT_MIN;
constexpr TimeValue TIME_PosInfinity = INT_MAX;

using ParamID = short;
using BlockID = short;

// Super class IDs: the family a class belongs to.
using SClass_ID = ULONG;
constexpr SClass_ID GEOMOBJECT_CLASS_ID = 0x10;
constexpr SClass_ID NODE_CLASS_ID = 0x1;
constexpr SClass_ID MATERIAL_CLASS_ID = 0xC00;
constexpr SClass_ID TEXMAP_CLASS_ID = 0xC10;
constexpr SClass_ID UVGEN_CLASS_ID = 0xC20;
constexpr SClass_ID UTILITY_CLASS_ID = 0x1020;
constexpr SClass_ID PARAMETER_BLOCK2_CLASS_ID = 0x82;
constexpr SClass_ID REF_TARGET_CLASS_ID = 0x900;

// A span of time; values read from animated parameters narrow it to where
// they stay constant.
class Interval
{
  public:
    Interval() :
        start_(TIME_NegInfinity),
        end_(TIME_PosInfinity) {}
    Interval(TimeValue start, TimeValue end) :
        start_(start),
        end_(end) {}
    TimeValue Start() const { return start_; }
    TimeValue End() const { return end_; }
    void Set(TimeValue start, TimeValue end)
    {
        start_ = start;
        end_ = end;
    }
    void SetInfinite()
    {
        start_ = TIME_NegInfinity;
        end_ = TIME_PosInfinity;
    }
    void SetInstant(TimeValue t) { start_ = end_ = t; }
    bool InInterval(TimeValue t) const { return t >= start_ && t <= end_; }
    bool Empty() const { return start_ > end_; }
    Interval& operator&=(const Interval& o)
    {
        if (o.start_ > start_)
            start_ = o.start_;
        if (o.end_ < end_)
            end_ = o.end_;
        return *this;
    }
    bool operator==(const Interval& o) const { return start_ == o.start_ && end_ == o.end_; }

  private:
    TimeValue start_;
    TimeValue end_;
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval(TIME_PosInfinity, TIME_NegInfinity)
