#pragma once
// Naming rules shared by OSL map import and export.

#include <string>

namespace rozo
{
/// The OSL Map parameter for a MaterialX input: "mix", "default", "normal" and
/// "color" are reserved in OSL, "color4" is a type of the prepared shaders; they
/// get a "1" appended. Other names are unchanged.
std::string OslParameterName(const std::string& inputName);

/// The prepared shader file for a node definition: its name without a leading
/// "ND_" (when longer than that prefix) and ".osl".
std::string oslSourceFileName(const std::string& nodeDefName);
} // namespace rozo
