#pragma once
// Class IDs of the host's built-in classes that plug-ins create or look for.
#include "ClassID.h"

constexpr Class_ID PHYSICAL_MATERIAL_CLASS_ID(0x3d6b1cec, 0xdeadc001);
constexpr Class_ID NORMAL_MAP_CLASS_ID(0x243e22c6, 0x63f6a014);
constexpr Class_ID OSL_MAP_CLASS_ID(0x7f9a7b9d, 0x6fcdf00d);
constexpr Class_ID BITMAP_CLASS_ID(0x0b17a9a0, 0x5d3e1c44);
constexpr Class_ID TEAPOT_CLASS_ID(0xACAD13D3, 0xACAD26D9);
