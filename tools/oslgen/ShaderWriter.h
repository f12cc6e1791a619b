#pragma once
// Composes the text of one prepared shader from a node definition.
#include "NodeLibrary.h"

#include <string>

namespace oslgen
{

// Shader, file and parameter names follow plugin/contracts/OslNaming.h, which
// import and export read them back by.

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
