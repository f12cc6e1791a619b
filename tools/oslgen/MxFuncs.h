#pragma once
// The shared include of the prepared shaders: the struct types for vector2, vector4 and
// color4, their operators, and helpers overloaded for every data type.
#include <string>
#include <vector>

namespace oslgen
{

// Text of mx_funcs.h.
std::string mxFuncsHeader();

// The MaterialX types the generic helpers are overloaded for.
const std::vector<std::string>& genericHelperTypes();

} // namespace oslgen
