#pragma once
// Names of the prepared OSL shaders: the generator writes them, import loads
// them and export reads the definition back from them.

#include <string>

namespace rozo
{
/// The OSL parameter for a MaterialX input: "mix", "default", "normal" and
/// "color" are reserved in OSL, "color4" is a type of the prepared shaders; they
/// get a "1" appended. Other names are unchanged.
std::string OslParameterName(const std::string& inputName);

/// A node definition's name without its leading "ND_" (only names longer than
/// that prefix lose it).
std::string strippedDefinitionName(const std::string& nodeDefName);

/// The shader of a node definition: "mx_" and the stripped name.
std::string preparedShaderName(const std::string& nodeDefName);

/// The stripped definition name behind a shader name made by preparedShaderName;
/// empty for any other name.
std::string strippedNameOfShader(const std::string& shaderName);

/// The prepared shader file of a node definition: the stripped name and ".osl".
std::string oslSourceFileName(const std::string& nodeDefName);
} // namespace rozo
