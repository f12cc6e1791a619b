#pragma once
// How MaterialX data types appear in OSL: type names, literals for defaults, and the
// component access and construction the shader bodies are built from.
#include "NodeLibrary.h"

#include <optional>
#include <string>
#include <vector>

namespace oslgen
{

// Array inputs and outputs have this fixed length: OSL parameters need a size, the
// definitions give none. Unused trailing elements hold the type's zero.
constexpr int ARRAY_LENGTH = 8;

struct OslType
{
    std::string mtlx;        // MaterialX type, e.g. "color4" or "floatarray"
    std::string osl;         // OSL type name of one element, e.g. "color4"
    int components = 1;      // float components of one element (0 for string)
    bool isStruct = false;   // declared in mx_funcs.h
    bool isMatrix33 = false; // a matrix33 held in the upper-left of an OSL matrix
    bool isArray = false;
    std::string elementMtlx; // element type of an array, else mtlx
};

// The OSL form of a MaterialX type, or nothing for closure and unknown types.
std::optional<OslType> oslTypeFor(const std::string& mtlxType);

// Literal of one element: the MaterialX value text, or the zero when `value` is empty.
// Returns nothing when the text does not hold a value of the type.
std::optional<std::string> elementLiteral(const OslType& type, const std::string& value);

// The default of a shader parameter for `port`: its value, else the OSL global matching
// its defaultgeomprop, else the type's zero.
std::string parameterDefault(const OslType& type, const PortDefinition& port);

// Zero of a type (a whole array for array types).
std::string zeroLiteral(const OslType& type);

// Component i of the variable `name` (a plain identifier).
std::string component(const OslType& type, const std::string& name, int i);

// An expression building a value of `type` from its components.
std::string pack(const OslType& type, const std::vector<std::string>& components);

// How `convert` fills the channels the input lacks: 1.38 appends 1 (a homogeneous
// coordinate), 1.39 gives 0 to every added channel but a fourth, which gets 1.
enum class MissingChannels
{
    One,
    ZeroButFourth,
};

// Converts the variable `name` of type `from` to `to`, channel by channel: a single
// float fills every channel, extra channels are dropped, missing channels are filled
// as `missing` says.
std::string convertExpr(const OslType& from, const OslType& to, const std::string& name,
                        MissingChannels missing = MissingChannels::One);

} // namespace oslgen
