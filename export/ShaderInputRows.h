#pragma once

#include <array>

// One standard_surface (or displacement) input and the host parameters it is
// written from. Empty fields mean "none".
struct ShaderInputRow
{
    const char* input;
    const char* type;
    const char* valueParam;
    const char* mapParam;
    const char* amountParam;
};

extern const ShaderInputRow DISPLACEMENT_ROW;
extern const std::array<ShaderInputRow, 28> standardSurfaceRows;
