#pragma once
// Type codes of published functions' parameters and results: the parameter
// type codes, optionally marked as a table and as passed by value or by
// reference (TYPE_MTL_TAB_BV = 10254 is a table of materials returned by value).

#include "ClassID.h"
#include "NorvaneTypes.h"
#include "ParamType.h"
#include "Tab.h"

class Mtl;

using ParamType2 = int;
using MtlTab = Tab<Mtl*>;

constexpr int TYPE_BR = TYPE_BY_REF;
constexpr int TYPE_BV = TYPE_BY_VAL;
constexpr int TYPE_BP = TYPE_BY_PTR;
constexpr int TYPE_STRING_BV = TYPE_STRING + TYPE_BY_VAL;
constexpr int TYPE_PASSING_MASK = TYPE_BY_REF | TYPE_BY_VAL | TYPE_BY_PTR;

inline bool IsByRefParamType(int type)
{
    return (type & TYPE_BY_REF) != 0;
}
inline bool IsByValueParamType(int type)
{
    return (type & TYPE_BY_VAL) != 0;
}
