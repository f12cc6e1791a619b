#pragma once
// Type codes of parameter-block parameters and of published function values.

enum ParamType
{
    TYPE_FLOAT = 0,
    TYPE_INT = 1,
    TYPE_RGBA = 2, // colour, three floats
    TYPE_POINT3 = 3,
    TYPE_BOOL = 4,
    TYPE_ANGLE = 5,
    TYPE_PCNT_FRAC = 6,
    TYPE_WORLD = 7, // a distance in world units, one float
    TYPE_STRING = 8,
    TYPE_FILENAME = 9,
    TYPE_HSV = 10,
    TYPE_COLOR_CHANNEL = 11,
    TYPE_TIMEVALUE = 12,
    TYPE_RADIOBTN_INDEX = 13,
    TYPE_MTL = 14,
    TYPE_TEXMAP = 15,
    TYPE_BITMAP = 16,
    TYPE_INODE = 17,
    TYPE_REFTARG = 18,
    TYPE_INDEX = 19,
    TYPE_MATRIX3 = 20,
    TYPE_PBLOCK2 = 21,
    TYPE_POINT4 = 22,
    TYPE_FRGBA = 23, // colour with alpha, four floats
    TYPE_ENUM = 24,
    TYPE_VOID = 25,
    TYPE_INTERVAL = 26,
    TYPE_ANGAXIS = 27,
    TYPE_QUAT = 28,
    TYPE_RAY = 29,
    TYPE_POINT2 = 30,
    TYPE_BITARRAY = 31,
    TYPE_CLASS = 32,
    TYPE_MESH = 33,
    TYPE_OBJECT = 34,
    TYPE_CONTROL = 35,
    TYPE_POINT = 36,
    TYPE_TSTR = 37,
    TYPE_IOBJECT = 38,
    TYPE_INTERFACE = 39,
    TYPE_HWND = 40,
    TYPE_NAME = 41,
    TYPE_COLOR = 42,
    TYPE_FPVALUE = 43,
    TYPE_VALUE = 44,
    TYPE_DWORD = 45,
    TYPE_bool = 46,
    TYPE_INTPTR = 47,
    TYPE_INT64 = 48,
    TYPE_DOUBLE = 49,
};

// Modifier bits added to a base code.
constexpr int TYPE_TAB = 0x0800;                            // a table of the base type
constexpr int TYPE_BY_REF = 0x1000;                         // passed by reference
constexpr int TYPE_BY_VAL = 0x2000;                         // passed by value
constexpr int TYPE_BY_PTR = 0x4000;                         // passed by pointer
constexpr int TYPE_MTL_TAB = TYPE_MTL + TYPE_TAB;           // 2062
constexpr int TYPE_MTL_TAB_BR = TYPE_MTL_TAB + TYPE_BY_REF; // 6158
constexpr int TYPE_MTL_TAB_BV = TYPE_MTL_TAB + TYPE_BY_VAL; // 10254
constexpr int TYPE_BASE_MASK = 0x07FF;

inline int BaseParamType(int type)
{
    return type & TYPE_BASE_MASK;
}
inline bool IsTableParamType(int type)
{
    return (type & TYPE_TAB) != 0;
}

// Value classes of the base codes: which typed accessor reads a parameter.
inline bool IsFloatParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_FLOAT || t == TYPE_ANGLE || t == TYPE_PCNT_FRAC || t == TYPE_WORLD || t == TYPE_COLOR_CHANNEL;
}
inline bool IsIntParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_INT || t == TYPE_BOOL || t == TYPE_TIMEVALUE || t == TYPE_RADIOBTN_INDEX || t == TYPE_INDEX;
}
inline bool IsPoint3ParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_RGBA || t == TYPE_POINT3 || t == TYPE_HSV;
}
inline bool IsPoint4ParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_POINT4 || t == TYPE_FRGBA;
}
inline bool IsStringParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_STRING || t == TYPE_FILENAME;
}
// Number of floats of a point or colour type (0 for other types).
inline int ParamTypeComponents(int t)
{
    if (BaseParamType(t) == TYPE_POINT2)
        return 2;
    if (IsPoint3ParamType(t))
        return 3;
    if (IsPoint4ParamType(t))
        return 4;
    return 0;
}

inline bool IsReferenceParamType(int t)
{
    t = BaseParamType(t);
    return t == TYPE_MTL || t == TYPE_TEXMAP || t == TYPE_INODE || t == TYPE_REFTARG;
}
