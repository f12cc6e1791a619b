#pragma once
// The values constant folding works on: the float, vector, colour, integer
// and boolean values of the document, held the way a shader holds them.

#include <MaterialXCore/Value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace rozo::folding
{
namespace mx = MaterialX;

/// A value of one of the folded types, held as the shader holds it.
struct Operand
{
    enum class Kind
    {
        Float,
        Integer,
        Boolean
    };
    Kind kind = Kind::Float;
    size_t size = 1; // float components
    std::array<float, 4> f{};
    int i = 0;
    bool b = false;
};

/// A node's operands by input name.
using Operands = std::unordered_map<std::string, Operand>;

/// Float components of a folded type; zero for integer, boolean and the rest.
size_t floatComponents(const std::string& type);
bool isFoldedType(const std::string& type);
std::optional<Operand> operandOf(const mx::ValuePtr& value);
/// The library's typed value for an operand; null when the operand does not
/// fit the type or holds a value no shader would agree on (inf, NaN).
mx::ValuePtr valueOf(const Operand& op, const std::string& type);

Operand floatOperand(size_t size, float fill = 0.0f);
Operand integerOperand(int64_t value);
Operand booleanOperand(bool value);
/// The zero of a type, as a switch yields past its last input.
std::optional<Operand> zeroOf(const std::string& type);
} // namespace rozo::folding
