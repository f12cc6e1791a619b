#pragma once
// Composes the text of one prepared shader from a node definition.
#include "NodeLibrary.h"

#include <string>

namespace oslgen
{

// The OSL parameter name of a MaterialX input: "mix", "default", "normal", "color" and
// "color4" clash with OSL names or the types of mx_funcs.h and get a "1" appended;
// other names stay.
std::string oslParameterName(const std::string& inputName);

// The definition name without a leading "ND_" (only names longer than three characters
// lose it).
std::string strippedDefinitionName(const std::string& definitionName);

// "mx_" + the stripped name: export finds the definition again from it.
std::string shaderName(const NodeDefinition& definition);
std::string shaderFileName(const NodeDefinition& definition);

// The start of the second line of every shader this generator writes.
extern const char* const GENERATED_MARK;

struct ShaderText
{
    std::string text;
    bool fallback = false; // no body entry: outputs keep their defaults
};

// The definition must be covered (every port type has an OSL form).
ShaderText writeShader(const NodeDefinition& definition);

} // namespace oslgen
