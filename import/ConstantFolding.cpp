#include "import/ConstantFolding.h"

#include "plugin/contracts/AttributeNames.h"

#include <MaterialXCore/Definition.h>
#include <MaterialXCore/Document.h>
#include <MaterialXCore/Interface.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace rozo
{
namespace
{
// Ports lead to ports through graph outputs and interfaces; a loop among them
// must not hang the import.
constexpr int MAX_PORT_HOPS = 64;
// The switch node's inputs, as the library defines them.
constexpr int SWITCH_INPUT_COUNT = 10;

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

size_t floatComponents(const std::string& type)
{
    if (type == "float")
        return 1;
    if (type == "vector2")
        return 2;
    if (type == "color3" || type == "vector3")
        return 3;
    if (type == "color4" || type == "vector4")
        return 4;
    return 0;
}

bool isFoldedType(const std::string& type)
{
    return floatComponents(type) != 0 || type == "integer" || type == "boolean";
}

std::optional<Operand> operandOf(const mx::ValuePtr& value)
{
    Operand op;
    if (!value)
        return std::nullopt;
    auto fill = [&op](const float* data, size_t size) {
        op.size = size;
        std::copy(data, data + size, op.f.begin());
        return op;
    };
    if (value->isA<float>())
        return fill(&value->asA<float>(), 1);
    if (value->isA<mx::Color3>())
        return fill(value->asA<mx::Color3>().data(), 3);
    if (value->isA<mx::Color4>())
        return fill(value->asA<mx::Color4>().data(), 4);
    if (value->isA<mx::Vector2>())
        return fill(value->asA<mx::Vector2>().data(), 2);
    if (value->isA<mx::Vector3>())
        return fill(value->asA<mx::Vector3>().data(), 3);
    if (value->isA<mx::Vector4>())
        return fill(value->asA<mx::Vector4>().data(), 4);
    if (value->isA<int>())
    {
        op.kind = Operand::Kind::Integer;
        op.i = value->asA<int>();
        return op;
    }
    if (value->isA<bool>())
    {
        op.kind = Operand::Kind::Boolean;
        op.b = value->asA<bool>();
        return op;
    }
    return std::nullopt;
}

/// The library's typed value for an operand; null when the operand does not
/// fit the type or holds a value no shader would agree on (inf, NaN).
mx::ValuePtr valueOf(const Operand& op, const std::string& type)
{
    if (type == "integer")
        return op.kind == Operand::Kind::Integer ? mx::Value::createValue(op.i) : nullptr;
    if (type == "boolean")
        return op.kind == Operand::Kind::Boolean ? mx::Value::createValue(op.b) : nullptr;
    size_t size = floatComponents(type);
    if (size == 0 || op.kind != Operand::Kind::Float || op.size != size)
        return nullptr;
    for (size_t k = 0; k < size; ++k)
        if (!std::isfinite(op.f[k]))
            return nullptr;
    const std::array<float, 4>& f = op.f;
    if (type == "float")
        return mx::Value::createValue(f[0]);
    if (type == "color3")
        return mx::Value::createValue(mx::Color3(f[0], f[1], f[2]));
    if (type == "color4")
        return mx::Value::createValue(mx::Color4(f[0], f[1], f[2], f[3]));
    if (type == "vector2")
        return mx::Value::createValue(mx::Vector2(f[0], f[1]));
    if (type == "vector3")
        return mx::Value::createValue(mx::Vector3(f[0], f[1], f[2]));
    return mx::Value::createValue(mx::Vector4(f[0], f[1], f[2], f[3]));
}

Operand floatOperand(size_t size, float fill = 0.0f)
{
    Operand op;
    op.size = size;
    op.f.fill(fill);
    return op;
}

Operand integerOperand(int64_t value)
{
    Operand op;
    op.kind = Operand::Kind::Integer;
    op.i = static_cast<int>(value);
    return op;
}

Operand booleanOperand(bool value)
{
    Operand op;
    op.kind = Operand::Kind::Boolean;
    op.b = value;
    return op;
}

/// The zero of a type, as a switch yields past its last input.
std::optional<Operand> zeroOf(const std::string& type)
{
    if (type == "integer")
        return integerOperand(0);
    if (type == "boolean")
        return booleanOperand(false);
    if (size_t size = floatComponents(type))
        return floatOperand(size);
    return std::nullopt;
}

/// Applies fn per component; a one-component operand is broadcast, as the
/// library's "FA" signatures take a float where a vector is expected.
std::optional<Operand> perComponent(std::initializer_list<const Operand*> args,
                                    const std::function<float(const float*)>& fn)
{
    size_t size = 1;
    for (const Operand* arg : args)
    {
        if (!arg || arg->kind != Operand::Kind::Float)
            return std::nullopt;
        if (arg->size != 1)
        {
            if (size != 1 && size != arg->size)
                return std::nullopt;
            size = arg->size;
        }
    }
    Operand result = floatOperand(size);
    std::array<float, 8> x{};
    for (size_t k = 0; k < size; ++k)
    {
        size_t n = 0;
        for (const Operand* arg : args)
            x[n++] = arg->f[arg->size == 1 ? 0 : k];
        result.f[k] = fn(x.data());
    }
    return result;
}

std::optional<Operand> checkedInteger(int64_t value)
{
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return integerOperand(value);
}

float signOf(float x)
{
    return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
}

/// Float results of a node whose output is an integer (floor, ceil, round).
std::optional<Operand> toIntegerIfNeeded(const std::optional<Operand>& result, const std::string& outputType)
{
    if (!result || outputType != "integer")
        return result;
    float x = result->f[0];
    if (result->size != 1 || !(x >= -2147483648.0f && x < 2147483648.0f))
        return std::nullopt;
    return integerOperand(static_cast<int64_t>(x));
}

using Inputs = std::unordered_map<std::string, Operand>;

// The categories folded besides the one- and two-operand float functions.
const std::unordered_set<std::string> OTHER_CATEGORIES = {
    "constant", "dot", "atan2", "invert", "clamp", "mix", "remap", "smoothstep", "magnitude", "normalize",
    "dotproduct", "crossproduct", "luminance", "convert", "extract", "separate2", "separate3", "separate4",
    "combine2", "combine3", "combine4", "ifgreater", "ifgreatereq", "ifequal", "switch", "and", "or", "xor", "not",
    "roughness_anisotropy", "roughness_dual"
};
using UnaryFloat = float (*)(float);
using BinaryFloat = float (*)(float, float);

const std::unordered_map<std::string, UnaryFloat>& unaryFloatOps()
{
    static const std::unordered_map<std::string, UnaryFloat> ops = {
        { "absval", [](float x) { return std::fabs(x); } },
        { "sign", signOf },
        { "floor", [](float x) { return std::floor(x); } },
        { "ceil", [](float x) { return std::ceil(x); } },
        { "round", [](float x) { return std::round(x); } },
        { "sqrt", [](float x) { return std::sqrt(x); } },
        { "ln", [](float x) { return std::log(x); } },
        { "exp", [](float x) { return std::exp(x); } },
        { "sin", [](float x) { return std::sin(x); } },
        { "cos", [](float x) { return std::cos(x); } },
        { "tan", [](float x) { return std::tan(x); } },
        { "asin", [](float x) { return std::asin(x); } },
        { "acos", [](float x) { return std::acos(x); } },
    };
    return ops;
}

const std::unordered_map<std::string, BinaryFloat>& binaryFloatOps()
{
    static const std::unordered_map<std::string, BinaryFloat> ops = {
        { "add", [](float a, float b) { return a + b; } },
        { "subtract", [](float a, float b) { return a - b; } },
        { "multiply", [](float a, float b) { return a * b; } },
        { "divide", [](float a, float b) { return a / b; } },
        { "modulo", [](float a, float b) { return a - b * std::floor(a / b); } },
        { "power", [](float a, float b) { return std::pow(a, b); } },
        { "safepower", [](float a, float b) { return signOf(a) * std::pow(std::fabs(a), b); } },
        { "min", [](float a, float b) { return std::min(a, b); } },
        { "max", [](float a, float b) { return std::max(a, b); } },
    };
    return ops;
}

std::optional<Operand> integerBinary(const std::string& category, int64_t a, int64_t b)
{
    if (category == "add")
        return checkedInteger(a + b);
    if (category == "subtract")
        return checkedInteger(a - b);
    if (category == "multiply")
        return checkedInteger(a * b);
    if (category == "divide")
        return b != 0 ? checkedInteger(a / b) : std::nullopt;
    if (category == "modulo")
        return b != 0 ? checkedInteger(a % b) : std::nullopt;
    if (category == "min")
        return integerOperand(std::min(a, b));
    if (category == "max")
        return integerOperand(std::max(a, b));
    return std::nullopt;
}

// The microfacet nodes keep a squared roughness away from zero and one.
constexpr float MIN_SQUARED_ROUGHNESS = 1e-8f;
constexpr float MAX_ANISOTROPY = 0.98f;

float squaredRoughness(float roughness)
{
    return std::min(std::max(roughness * roughness, MIN_SQUARED_ROUGHNESS), 1.0f);
}

float lengthOf(const Operand& v)
{
    float sum = 0.0f;
    for (size_t k = 0; k < v.size; ++k)
        sum += v.f[k] * v.f[k];
    return std::sqrt(sum);
}

/// A conversion as the library's convert definitions do it: scalars
/// broadcast, vectors keep their leading components and pad with zero, the
/// fourth component with one.
std::optional<Operand> convertTo(const Operand& in, const std::string& outputType)
{
    if (outputType == "boolean")
    {
        if (in.kind == Operand::Kind::Integer)
            return booleanOperand(in.i != 0);
        return in.kind == Operand::Kind::Boolean ? std::optional<Operand>(in) : std::nullopt;
    }
    if (outputType == "integer")
    {
        if (in.kind == Operand::Kind::Boolean)
            return integerOperand(in.b ? 1 : 0);
        return in.kind == Operand::Kind::Integer ? std::optional<Operand>(in) : std::nullopt;
    }
    size_t size = floatComponents(outputType);
    if (size == 0)
        return std::nullopt;
    if (in.kind == Operand::Kind::Boolean)
        return floatOperand(size, in.b ? 1.0f : 0.0f);
    if (in.kind == Operand::Kind::Integer)
        return floatOperand(size, static_cast<float>(in.i));
    if (in.size == 1)
        return floatOperand(size, in.f[0]);
    Operand out = floatOperand(size);
    for (size_t k = 0; k < size; ++k)
        out.f[k] = k < in.size ? in.f[k] : (k == 3 ? 1.0f : 0.0f);
    return out;
}

/// value1 against value2, by the comparison a conditional node names.
std::optional<bool> compareValues(const std::string& category, const Operand* a, const Operand* b)
{
    if (!a || !b || a->kind != b->kind)
        return std::nullopt;
    if (a->kind == Operand::Kind::Boolean)
    {
        if (category == "ifequal")
            return a->b == b->b;
        return std::nullopt;
    }
    if (a->kind == Operand::Kind::Integer)
    {
        if (category == "ifgreater")
            return a->i > b->i;
        if (category == "ifgreatereq")
            return a->i >= b->i;
        return a->i == b->i;
    }
    if (a->size != 1 || b->size != 1)
        return std::nullopt;
    if (category == "ifgreater")
        return a->f[0] > b->f[0];
    if (category == "ifgreatereq")
        return a->f[0] >= b->f[0];
    return a->f[0] == b->f[0];
}

bool isConditional(const std::string& category)
{
    return category == "ifgreater" || category == "ifgreatereq" || category == "ifequal" || category == "switch";
}

bool isSelector(const std::string& inputName)
{
    return inputName == "value1" || inputName == "value2" || inputName == "which";
}

/// The switch input a selector picks, numbered from one, as the library's
/// chain of ifgreater nodes picks it; zero past the last input.
std::optional<int> switchedInput(const Operand* which)
{
    if (!which || which->kind == Operand::Kind::Boolean || which->size != 1)
        return std::nullopt;
    float selector = which->kind == Operand::Kind::Integer ? static_cast<float>(which->i) : which->f[0];
    for (int k = 1; k <= SWITCH_INPUT_COUNT; ++k)
        if (static_cast<float>(k) > selector)
            return k;
    return 0;
}

/// The one input a conditional node passes on, once its selectors are known;
/// empty when it passes none (a comparison's own boolean, a switch past its
/// inputs); nothing when the selectors do not compare.
std::optional<std::string> chosenInput(const std::string& category, const mx::NodeDef& def,
                                       const std::unordered_map<std::string, Operand>& selectors)
{
    auto get = [&selectors](const std::string& name) -> const Operand* {
        auto it = selectors.find(name);
        return it != selectors.end() ? &it->second : nullptr;
    };
    if (category == "switch")
    {
        std::optional<int> k = switchedInput(get("which"));
        if (!k)
            return std::nullopt;
        return *k > 0 ? "in" + std::to_string(*k) : std::string();
    }
    std::optional<bool> condition = compareValues(category, get("value1"), get("value2"));
    if (!condition)
        return std::nullopt;
    if (!def.getActiveInput("in1"))
        return std::string();
    return std::string(*condition ? "in1" : "in2");
}

struct OutputDecl
{
    std::string name;
    std::string type;
};

/// The outputs of a node of a known category, in the order of its
/// definition; empty when the category is not one that folds.
std::vector<Operand> computeNode(const std::string& category, const mx::NodeDef& def,
                                 const std::vector<OutputDecl>& outputs, const Inputs& inputs)
{
    auto get = [&inputs](const std::string& name) -> const Operand* {
        auto it = inputs.find(name);
        return it != inputs.end() ? &it->second : nullptr;
    };
    auto single = [](const std::optional<Operand>& op) { return op ? std::vector<Operand>{ *op } : std::vector<Operand>{}; };
    const std::string& outputType = outputs.front().type;

    if (category == "constant")
        return single(get("value") ? std::optional<Operand>(*get("value")) : std::nullopt);
    if (category == "dot")
        return single(get("in") ? std::optional<Operand>(*get("in")) : std::nullopt);

    auto unary = unaryFloatOps().find(category);
    if (unary != unaryFloatOps().end())
    {
        const Operand* in = get("in");
        if (in && in->kind == Operand::Kind::Integer && (category == "absval" || category == "sign"))
            return single(category == "absval" ? checkedInteger(std::abs(int64_t(in->i))) : integerOperand(in->i > 0 ? 1 : (in->i < 0 ? -1 : 0)));
        UnaryFloat fn = unary->second;
        return single(toIntegerIfNeeded(perComponent({ in }, [fn](const float* x) { return fn(x[0]); }), outputType));
    }

    auto binary = binaryFloatOps().find(category);
    if (binary != binaryFloatOps().end())
    {
        const Operand* a = get("in1");
        const Operand* b = get("in2");
        if (a && b && a->kind == Operand::Kind::Integer && b->kind == Operand::Kind::Integer)
            return single(integerBinary(category, a->i, b->i));
        BinaryFloat fn = binary->second;
        return single(perComponent({ a, b }, [fn](const float* x) { return fn(x[0], x[1]); }));
    }

    if (category == "atan2")
    {
        // 1.39 names the operands iny/inx; 1.38 took them as in1/in2.
        bool named = def.getActiveInput("iny") != nullptr;
        return single(perComponent({ get(named ? "iny" : "in1"), get(named ? "inx" : "in2") },
                                   [](const float* x) { return std::atan2(x[0], x[1]); }));
    }
    if (category == "invert")
        return single(perComponent({ get("amount"), get("in") }, [](const float* x) { return x[0] - x[1]; }));
    if (category == "clamp")
    {
        const Operand* in = get("in");
        const Operand* low = get("low");
        const Operand* high = get("high");
        if (in && low && high && in->kind == Operand::Kind::Integer && low->kind == in->kind && high->kind == in->kind)
            return single(integerOperand(std::min(std::max(in->i, low->i), high->i)));
        return single(perComponent({ in, low, high }, [](const float* x) { return std::min(std::max(x[0], x[1]), x[2]); }));
    }
    if (category == "mix")
        return single(perComponent({ get("bg"), get("fg"), get("mix") },
                                   [](const float* x) { return x[0] * (1.0f - x[2]) + x[1] * x[2]; }));
    if (category == "remap")
        return single(perComponent({ get("in"), get("inlow"), get("inhigh"), get("outlow"), get("outhigh") },
                                   [](const float* x) { return x[3] + (x[0] - x[1]) * (x[4] - x[3]) / (x[2] - x[1]); }));
    if (category == "smoothstep")
        return single(perComponent({ get("in"), get("low"), get("high") },
                                   [](const float* x) {
                                       if (x[0] >= x[2])
                                           return 1.0f;
                                       if (x[0] <= x[1])
                                           return 0.0f;
                                       float t = (x[0] - x[1]) / (x[2] - x[1]);
                                       return t * t * (3.0f - 2.0f * t);
                                   }));

    const Operand* in = get("in");
    if (category == "magnitude" || category == "normalize")
    {
        if (!in || in->kind != Operand::Kind::Float)
            return {};
        float length = lengthOf(*in);
        if (category == "magnitude")
            return single(floatOperand(1, length));
        if (length == 0.0f)
            return {};
        Operand out = *in;
        for (size_t k = 0; k < out.size; ++k)
            out.f[k] = in->f[k] / length;
        return single(out);
    }
    if (category == "dotproduct" || category == "crossproduct")
    {
        const Operand* a = get("in1");
        const Operand* b = get("in2");
        if (!a || !b || a->kind != Operand::Kind::Float || b->kind != a->kind || a->size != b->size)
            return {};
        if (category == "dotproduct")
        {
            float sum = 0.0f;
            for (size_t k = 0; k < a->size; ++k)
                sum += a->f[k] * b->f[k];
            return single(floatOperand(1, sum));
        }
        if (a->size != 3)
            return {};
        Operand out = floatOperand(3);
        out.f[0] = a->f[1] * b->f[2] - a->f[2] * b->f[1];
        out.f[1] = a->f[2] * b->f[0] - a->f[0] * b->f[2];
        out.f[2] = a->f[0] * b->f[1] - a->f[1] * b->f[0];
        return single(out);
    }
    if (category == "luminance")
    {
        const Operand* coeffs = get("lumacoeffs");
        if (!in || !coeffs || in->kind != Operand::Kind::Float || in->size < 3 || coeffs->size != 3)
            return {};
        float luma = in->f[0] * coeffs->f[0] + in->f[1] * coeffs->f[1] + in->f[2] * coeffs->f[2];
        Operand out = floatOperand(in->size, luma);
        out.f[3] = in->f[3]; // alpha stays; unused for color3
        return single(out);
    }
    if (category == "convert")
        return single(in ? convertTo(*in, outputType) : std::nullopt);
    if (category == "extract")
    {
        const Operand* index = get("index");
        if (!in || !index || in->kind != Operand::Kind::Float || index->kind != Operand::Kind::Integer || index->i < 0 ||
            static_cast<size_t>(index->i) >= in->size)
            return {};
        return single(floatOperand(1, in->f[static_cast<size_t>(index->i)]));
    }
    if (category == "separate2" || category == "separate3" || category == "separate4")
    {
        if (!in || in->kind != Operand::Kind::Float || in->size != outputs.size())
            return {};
        std::vector<Operand> out;
        for (size_t k = 0; k < in->size; ++k)
            out.push_back(floatOperand(1, in->f[k]));
        return out;
    }
    if (category == "combine2" || category == "combine3" || category == "combine4")
    {
        // The inputs' components in definition order: also the color3 +
        // float and vector2 + vector2 forms.
        Operand out = floatOperand(0);
        for (const mx::InputPtr& declared : def.getActiveInputs())
        {
            const Operand* part = get(declared->getName());
            if (!part || part->kind != Operand::Kind::Float || out.size + part->size > 4)
                return {};
            for (size_t k = 0; k < part->size; ++k)
                out.f[out.size++] = part->f[k];
        }
        return single(out);
    }
    if (category == "ifgreater" || category == "ifgreatereq" || category == "ifequal")
    {
        std::optional<bool> condition = compareValues(category, get("value1"), get("value2"));
        if (!condition)
            return {};
        if (!def.getActiveInput("in1"))
            return single(booleanOperand(*condition));
        const Operand* chosen = get(*condition ? "in1" : "in2");
        return single(chosen ? std::optional<Operand>(*chosen) : std::nullopt);
    }
    if (category == "switch")
    {
        std::optional<int> k = switchedInput(get("which"));
        if (!k)
            return {};
        const Operand* chosen = *k > 0 ? get("in" + std::to_string(*k)) : nullptr;
        return single(chosen ? std::optional<Operand>(*chosen) : zeroOf(outputType));
    }
    if (category == "and" || category == "or" || category == "xor")
    {
        const Operand* a = get("in1");
        const Operand* b = get("in2");
        if (!a || !b || a->kind != Operand::Kind::Boolean || b->kind != a->kind)
            return {};
        bool result = category == "and" ? (a->b && b->b) : (category == "or" ? (a->b || b->b) : (a->b != b->b));
        return single(booleanOperand(result));
    }
    if (category == "not")
        return single(in && in->kind == Operand::Kind::Boolean ? std::optional<Operand>(booleanOperand(!in->b)) : std::nullopt);
    if (category == "roughness_anisotropy")
    {
        const Operand* roughness = get("roughness");
        const Operand* anisotropy = get("anisotropy");
        if (!roughness || !anisotropy || roughness->size != 1 || anisotropy->size != 1)
            return {};
        float squared = squaredRoughness(roughness->f[0]);
        Operand out = floatOperand(2, squared);
        if (anisotropy->f[0] > 0.0f)
        {
            float aspect = std::sqrt(1.0f - std::min(std::max(anisotropy->f[0], 0.0f), MAX_ANISOTROPY));
            out.f[0] = std::min(squared / aspect, 1.0f);
            out.f[1] = squared * aspect;
        }
        return single(out);
    }
    if (category == "roughness_dual")
    {
        const Operand* roughness = get("roughness");
        if (!roughness || roughness->kind != Operand::Kind::Float || roughness->size != 2)
            return {};
        Operand out = floatOperand(2);
        out.f[0] = squaredRoughness(roughness->f[0]);
        out.f[1] = squaredRoughness(roughness->f[1] < 0.0f ? roughness->f[0] : roughness->f[1]);
        return single(out);
    }
    return {};
}

/// Where a port's value comes from: a stated value, an upstream node's
/// output, or nothing known.
struct Source
{
    mx::ValuePtr value;
    mx::NodePtr node;
    std::string output;
};

mx::ValuePtr declaredDefault(const mx::NodeDefPtr& def, const std::string& inputName)
{
    mx::InputPtr declared = def ? def->getActiveInput(inputName) : nullptr;
    if (!declared || declared->hasDefaultGeomPropString() || !declared->hasValueString())
        return nullptr;
    return declared->getValue();
}

mx::OutputPtr graphOutput(const mx::NodeGraphPtr& graph, const std::string& outputName)
{
    if (!graph)
        return nullptr;
    if (!outputName.empty())
        return graph->getOutput(outputName);
    std::vector<mx::OutputPtr> outputs = graph->getOutputs();
    return outputs.size() == 1 ? outputs.front() : nullptr;
}

/// Follows a node's input through graph outputs and interfaces to its source.
Source resolveSource(const mx::InputPtr& nodeInput, const mx::NodeDefPtr& nodeDef)
{
    mx::PortElementPtr port = nodeInput;
    for (int hop = 0; hop < MAX_PORT_HOPS && port; ++hop)
    {
        if (port->hasAttribute(rozo::CHANNELS_ATTRIBUTE))
            return {};
        mx::ElementPtr parent = port->getParent();
        bool onNode = parent && parent->isA<mx::Node>();
        bool onGraphInterface = parent && port->isA<mx::Input>() && parent->isA<mx::NodeGraph>();
        if (port->hasNodeName())
        {
            // A node's or graph output's connection names a node of the same
            // graph; a graph interface's names a node beside the graph.
            mx::ElementPtr scope = (onNode || onGraphInterface) ? parent->getParent() : parent;
            mx::ElementPtr upstream = scope ? scope->getChild(port->getNodeName()) : nullptr;
            if (!upstream || !upstream->isA<mx::Node>())
                return {};
            return { nullptr, upstream->asA<mx::Node>(), port->getOutputString() };
        }
        if (port->hasNodeGraphString())
        {
            mx::DocumentPtr doc = port->getDocument();
            port = graphOutput(doc ? doc->getNodeGraph(port->getNodeGraphString()) : nullptr, port->getOutputString());
            continue;
        }
        mx::ValueElementPtr valued = port;
        if (valued->hasInterfaceName() && !onGraphInterface)
        {
            mx::ElementPtr graphElement = onNode ? parent->getParent() : parent;
            mx::NodeGraphPtr graph = graphElement ? graphElement->asA<mx::NodeGraph>() : nullptr;
            if (!graph)
                return {};
            mx::InputPtr graphInput = graph->getInput(valued->getInterfaceName());
            if (!graphInput)
                return { declaredDefault(graph->getNodeDef(), valued->getInterfaceName()), nullptr, {} };
            port = graphInput;
            continue;
        }
        if (valued->hasValueString())
            return { valued->getValue(), nullptr, {} };
        if (port == nodeInput)
            break;
        if (onGraphInterface)
            return { declaredDefault(parent->asA<mx::NodeGraph>()->getNodeDef(), port->getName()), nullptr, {} };
        return {};
    }
    if (port == nodeInput)
        return { declaredDefault(nodeDef, nodeInput->getName()), nullptr, {} };
    return {};
}

/// Evaluates nodes without recursion, remembering each node's outputs, so a
/// long chain costs one pass and a cycle is seen as a node met again before
/// its value is known.
class ConstantEvaluator
{
  public:
    mx::ValuePtr evaluate(const mx::NodePtr& root, const std::string& outputName)
    {
        if (!root)
            return nullptr;
        std::vector<mx::NodePtr> path{ root };
        while (!path.empty())
        {
            mx::NodePtr node = path.back();
            NodeState& state = _states[node.get()];
            if (state.finished)
            {
                path.pop_back();
                continue;
            }
            if (!state.prepared)
            {
                state.prepared = true;
                if (!prepare(node, state))
                {
                    finish(state);
                    path.pop_back();
                    continue;
                }
            }
            if (mx::NodePtr next = nextUnknownUpstream(state))
            {
                path.push_back(next);
                continue;
            }
            if (!state.finished)
                compute(node, state);
            path.pop_back();
        }
        return outputValue(_states[root.get()], outputName);
    }

  private:
    struct PendingInput
    {
        std::string name;
        std::string type;
        Source source;
    };

    struct NodeState
    {
        bool prepared = false;
        bool finished = false;
        mx::NodeDefPtr def;
        std::vector<PendingInput> inputs;
        size_t cursor = 0;
        // A conditional node's selectors come first; once they are known,
        // only the input they choose is evaluated.
        size_t selectorCount = 0;
        bool conditional = false;
        std::string category;
        std::vector<std::pair<std::string, mx::ValuePtr>> outputs; // empty: not constant
    };

    static void finish(NodeState& state)
    {
        state.finished = true;
        state.inputs.clear();
        state.inputs.shrink_to_fit();
        state.def.reset();
    }

    static mx::ValuePtr outputValue(const NodeState& state, const std::string& outputName)
    {
        if (outputName.empty())
            return state.outputs.size() == 1 ? state.outputs.front().second : nullptr;
        for (const auto& [name, value] : state.outputs)
            if (name == outputName)
                return value;
        return nullptr;
    }

    static bool prepare(const mx::NodePtr& node, NodeState& state)
    {
        // Unknown categories are not worth their upstream's evaluation.
        const std::string& category = node->getCategory();
        if (!unaryFloatOps().count(category) && !binaryFloatOps().count(category) && !OTHER_CATEGORIES.count(category))
            return false;
        state.def = node->getNodeDef();
        if (!state.def)
            return false;
        state.category = category;
        state.conditional = isConditional(category);
        for (const mx::InputPtr& declared : state.def->getActiveInputs())
        {
            // Notes, file names and the like are no operand of a folded node.
            if (!isFoldedType(declared->getType()))
                continue;
            mx::InputPtr stated = node->getInput(declared->getName());
            Source source = stated ? resolveSource(stated, state.def) : Source{ declaredDefault(state.def, declared->getName()), nullptr, {} };
            // A branch left unknown matters only when chosen.
            if (!source.value && !source.node && !(state.conditional && !isSelector(declared->getName())))
                return false;
            state.inputs.push_back({ declared->getName(), declared->getType(), std::move(source) });
        }
        if (state.conditional)
        {
            auto firstBranch = std::stable_partition(state.inputs.begin(), state.inputs.end(),
                                                     [](const PendingInput& input) { return isSelector(input.name); });
            state.selectorCount = static_cast<size_t>(firstBranch - state.inputs.begin());
        }
        return true;
    }

    /// Drops the branches a conditional node's known selectors do not choose.
    bool chooseBranch(NodeState& state)
    {
        std::unordered_map<std::string, Operand> selectors;
        for (size_t k = 0; k < state.selectorCount; ++k)
        {
            std::optional<Operand> operand = operandOf(inputValue(state.inputs[k]));
            if (!operand)
                return false;
            selectors.emplace(state.inputs[k].name, *operand);
        }
        std::optional<std::string> chosen = chosenInput(state.category, *state.def, selectors);
        if (!chosen)
            return false;
        state.inputs.erase(std::remove_if(state.inputs.begin() + static_cast<std::ptrdiff_t>(state.selectorCount),
                                          state.inputs.end(),
                                          [&chosen](const PendingInput& input) { return input.name != *chosen; }),
                           state.inputs.end());
        state.conditional = false;
        return true;
    }

    mx::ValuePtr inputValue(const PendingInput& input)
    {
        mx::ValuePtr value =
            input.source.node ? outputValue(_states[input.source.node.get()], input.source.output) : input.source.value;
        return value && value->getTypeString() == input.type ? value : nullptr;
    }

    /// The next upstream node not evaluated yet; marks the state finished
    /// (not constant) when an upstream node is not constant or is on the path.
    mx::NodePtr nextUnknownUpstream(NodeState& state)
    {
        for (; state.cursor < state.inputs.size(); ++state.cursor)
        {
            if (state.conditional && state.cursor == state.selectorCount && !chooseBranch(state))
            {
                finish(state);
                return nullptr;
            }
            if (state.cursor >= state.inputs.size())
                break;
            const Source& source = state.inputs[state.cursor].source;
            if (!source.node)
                continue;
            auto it = _states.find(source.node.get());
            if (it == _states.end())
                return source.node;
            if (!it->second.finished || it->second.outputs.empty())
            {
                finish(state);
                return nullptr;
            }
        }
        return nullptr;
    }

    void compute(const mx::NodePtr& node, NodeState& state)
    {
        Inputs operands;
        bool known = true;
        for (const PendingInput& input : state.inputs)
        {
            std::optional<Operand> operand = operandOf(inputValue(input));
            if (!operand)
            {
                known = false;
                break;
            }
            operands.emplace(input.name, *operand);
        }
        std::vector<OutputDecl> outputs;
        for (const mx::OutputPtr& output : state.def->getActiveOutputs())
            outputs.push_back({ output->getName(), output->getType() });
        if (known && !outputs.empty())
        {
            std::vector<Operand> results = computeNode(node->getCategory(), *state.def, outputs, operands);
            if (results.size() == outputs.size())
            {
                for (size_t k = 0; k < results.size(); ++k)
                {
                    mx::ValuePtr value = valueOf(results[k], outputs[k].type);
                    if (!value)
                    {
                        state.outputs.clear();
                        break;
                    }
                    state.outputs.emplace_back(outputs[k].name, value);
                }
            }
        }
        finish(state);
    }

    std::unordered_map<const mx::Node*, NodeState> _states;
};

const std::string NODE_NAME_ATTRIBUTE = "nodename";
const std::string NODE_GRAPH_ATTRIBUTE = "nodegraph";
const std::string OUTPUT_ATTRIBUTE = "output";
} // namespace

mx::ValuePtr evaluateConstantOutput(const mx::NodePtr& node, const std::string& outputName)
{
    ConstantEvaluator evaluator;
    return evaluator.evaluate(node, outputName);
}

size_t foldConstantInputs(const mx::NodePtr& node)
{
    if (!node)
        return 0;
    // Every value is found before the document changes: a change drops the
    // document's lookup caches, which each definition lookup would rebuild.
    ConstantEvaluator evaluator;
    std::vector<std::pair<mx::InputPtr, mx::ValuePtr>> replacements;
    size_t changed = 0;
    std::vector<mx::NodePtr> pending{ node };
    std::unordered_set<const mx::Node*> visited{ node.get() };
    while (!pending.empty())
    {
        mx::NodePtr current = pending.back();
        pending.pop_back();
        for (const mx::InputPtr& input : current->getInputs())
        {
            // Interface bindings are the graph's to keep.
            if (input->hasInterfaceName() || input->hasAttribute(rozo::CHANNELS_ATTRIBUTE) || (!input->hasNodeName() && !input->hasNodeGraphString()))
                continue;
            // A graph output may lead straight to a stated value of the graph.
            Source source = resolveSource(input, nullptr);
            mx::ValuePtr value = source.node ? evaluator.evaluate(source.node, source.output) : source.value;
            if (value && value->getTypeString() == input->getType())
            {
                replacements.emplace_back(input, value);
                if (current == node)
                    ++changed;
            }
            else if (source.node && visited.insert(source.node.get()).second)
                pending.push_back(source.node);
        }
    }
    for (const auto& [input, value] : replacements)
    {
        input->setValueString(value->getValueString());
        input->removeAttribute(NODE_NAME_ATTRIBUTE);
        input->removeAttribute(NODE_GRAPH_ATTRIBUTE);
        input->removeAttribute(OUTPUT_ATTRIBUTE);
    }
    return changed;
}
} // namespace rozo
