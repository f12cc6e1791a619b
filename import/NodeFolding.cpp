#include "import/NodeFolding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <unordered_map>

namespace rozo::folding
{
namespace
{
// The switch node's inputs, as the library defines them.
constexpr int SWITCH_INPUT_COUNT = 10;

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

/// Operand lookup by input name for one node's computation.
const Operand* operandNamed(const Operands& operands, const std::string& name)
{
    auto it = operands.find(name);
    return it != operands.end() ? &it->second : nullptr;
}

/// One node's computation: its category, definition, outputs and operands.
struct NodeCall
{
    const std::string& category;
    const mx::NodeDef& def;
    const std::vector<OutputDecl>& outputs;
    const Operands& inputs;

    const Operand* get(const std::string& name) const { return operandNamed(inputs, name); }
    const std::string& outputType() const { return outputs.front().type; }
};

using Results = std::vector<Operand>;

Results single(const std::optional<Operand>& op)
{
    return op ? Results{ *op } : Results{};
}

Results single(const Operand* op)
{
    return op ? Results{ *op } : Results{};
}

// --- Arithmetic ---

Results passThrough(const NodeCall& call)
{
    return single(call.get(call.category == "constant" ? "value" : "in"));
}

Results unaryFloat(const NodeCall& call)
{
    const Operand* in = call.get("in");
    if (in && in->kind == Operand::Kind::Integer && (call.category == "absval" || call.category == "sign"))
        return single(call.category == "absval" ? checkedInteger(std::abs(int64_t(in->i))) : integerOperand(in->i > 0 ? 1 : (in->i < 0 ? -1 : 0)));
    UnaryFloat fn = unaryFloatOps().at(call.category);
    return single(toIntegerIfNeeded(perComponent({ in }, [fn](const float* x) { return fn(x[0]); }), call.outputType()));
}

Results binaryFloat(const NodeCall& call)
{
    const Operand* a = call.get("in1");
    const Operand* b = call.get("in2");
    if (a && b && a->kind == Operand::Kind::Integer && b->kind == Operand::Kind::Integer)
        return single(integerBinary(call.category, a->i, b->i));
    BinaryFloat fn = binaryFloatOps().at(call.category);
    return single(perComponent({ a, b }, [fn](const float* x) { return fn(x[0], x[1]); }));
}

Results atan2Node(const NodeCall& call)
{
    // 1.39 names the operands iny/inx; 1.38 took them as in1/in2.
    bool named = call.def.getActiveInput("iny") != nullptr;
    return single(perComponent({ call.get(named ? "iny" : "in1"), call.get(named ? "inx" : "in2") },
                               [](const float* x) { return std::atan2(x[0], x[1]); }));
}

Results invertNode(const NodeCall& call)
{
    return single(perComponent({ call.get("amount"), call.get("in") }, [](const float* x) { return x[0] - x[1]; }));
}

Results clampNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    const Operand* low = call.get("low");
    const Operand* high = call.get("high");
    if (in && low && high && in->kind == Operand::Kind::Integer && low->kind == in->kind && high->kind == in->kind)
        return single(integerOperand(std::min(std::max(in->i, low->i), high->i)));
    return single(perComponent({ in, low, high }, [](const float* x) { return std::min(std::max(x[0], x[1]), x[2]); }));
}

Results mixNode(const NodeCall& call)
{
    return single(perComponent({ call.get("bg"), call.get("fg"), call.get("mix") },
                               [](const float* x) { return x[0] * (1.0f - x[2]) + x[1] * x[2]; }));
}

Results remapNode(const NodeCall& call)
{
    return single(perComponent({ call.get("in"), call.get("inlow"), call.get("inhigh"), call.get("outlow"), call.get("outhigh") },
                               [](const float* x) { return x[3] + (x[0] - x[1]) * (x[4] - x[3]) / (x[2] - x[1]); }));
}

Results smoothstepNode(const NodeCall& call)
{
    return single(perComponent({ call.get("in"), call.get("low"), call.get("high") },
                               [](const float* x) {
                                   if (x[0] >= x[2])
                                       return 1.0f;
                                   if (x[0] <= x[1])
                                       return 0.0f;
                                   float t = (x[0] - x[1]) / (x[2] - x[1]);
                                   return t * t * (3.0f - 2.0f * t);
                               }));
}

// --- Vectors ---

Results lengthNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    if (!in || in->kind != Operand::Kind::Float)
        return {};
    float length = lengthOf(*in);
    if (call.category == "magnitude")
        return single(floatOperand(1, length));
    if (length == 0.0f)
        return {};
    Operand out = *in;
    for (size_t k = 0; k < out.size; ++k)
        out.f[k] = in->f[k] / length;
    return single(out);
}

Results productNode(const NodeCall& call)
{
    const Operand* a = call.get("in1");
    const Operand* b = call.get("in2");
    if (!a || !b || a->kind != Operand::Kind::Float || b->kind != a->kind || a->size != b->size)
        return {};
    if (call.category == "dotproduct")
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

Results luminanceNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    const Operand* coeffs = call.get("lumacoeffs");
    if (!in || !coeffs || in->kind != Operand::Kind::Float || in->size < 3 || coeffs->size != 3)
        return {};
    float luma = in->f[0] * coeffs->f[0] + in->f[1] * coeffs->f[1] + in->f[2] * coeffs->f[2];
    Operand out = floatOperand(in->size, luma);
    out.f[3] = in->f[3]; // alpha stays; unused for color3
    return single(out);
}

// --- Channels ---

Results convertNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    return single(in ? convertTo(*in, call.outputType()) : std::nullopt);
}

Results extractNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    const Operand* index = call.get("index");
    if (!in || !index || in->kind != Operand::Kind::Float || index->kind != Operand::Kind::Integer || index->i < 0 ||
        static_cast<size_t>(index->i) >= in->size)
        return {};
    return single(floatOperand(1, in->f[static_cast<size_t>(index->i)]));
}

Results separateNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    if (!in || in->kind != Operand::Kind::Float || in->size != call.outputs.size())
        return {};
    Results out;
    for (size_t k = 0; k < in->size; ++k)
        out.push_back(floatOperand(1, in->f[k]));
    return out;
}

Results combineNode(const NodeCall& call)
{
    // The inputs' components in definition order: also the color3 +
    // float and vector2 + vector2 forms.
    Operand out = floatOperand(0);
    for (const mx::InputPtr& declared : call.def.getActiveInputs())
    {
        const Operand* part = call.get(declared->getName());
        if (!part || part->kind != Operand::Kind::Float || out.size + part->size > 4)
            return {};
        for (size_t k = 0; k < part->size; ++k)
            out.f[out.size++] = part->f[k];
    }
    return single(out);
}

// --- Logic ---

Results comparisonNode(const NodeCall& call)
{
    std::optional<bool> condition = compareValues(call.category, call.get("value1"), call.get("value2"));
    if (!condition)
        return {};
    if (!call.def.getActiveInput("in1"))
        return single(booleanOperand(*condition));
    return single(call.get(*condition ? "in1" : "in2"));
}

Results switchNode(const NodeCall& call)
{
    std::optional<int> k = switchedInput(call.get("which"));
    if (!k)
        return {};
    const Operand* chosen = *k > 0 ? call.get("in" + std::to_string(*k)) : nullptr;
    return single(chosen ? std::optional<Operand>(*chosen) : zeroOf(call.outputType()));
}

Results logicNode(const NodeCall& call)
{
    const Operand* a = call.get("in1");
    const Operand* b = call.get("in2");
    if (!a || !b || a->kind != Operand::Kind::Boolean || b->kind != a->kind)
        return {};
    const std::string& category = call.category;
    bool result = category == "and" ? (a->b && b->b) : (category == "or" ? (a->b || b->b) : (a->b != b->b));
    return single(booleanOperand(result));
}

Results notNode(const NodeCall& call)
{
    const Operand* in = call.get("in");
    return single(in && in->kind == Operand::Kind::Boolean ? std::optional<Operand>(booleanOperand(!in->b)) : std::nullopt);
}

// --- Microfacet helpers ---

Results roughnessAnisotropyNode(const NodeCall& call)
{
    const Operand* roughness = call.get("roughness");
    const Operand* anisotropy = call.get("anisotropy");
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

Results roughnessDualNode(const NodeCall& call)
{
    const Operand* roughness = call.get("roughness");
    if (!roughness || roughness->kind != Operand::Kind::Float || roughness->size != 2)
        return {};
    Operand out = floatOperand(2);
    out.f[0] = squaredRoughness(roughness->f[0]);
    out.f[1] = squaredRoughness(roughness->f[1] < 0.0f ? roughness->f[0] : roughness->f[1]);
    return single(out);
}

using NodeComputation = Results (*)(const NodeCall&);

/// Every category that folds, with its computation: the one list of them.
const std::unordered_map<std::string, NodeComputation>& nodeComputations()
{
    static const std::unordered_map<std::string, NodeComputation> computations = [] {
        std::unordered_map<std::string, NodeComputation> table = {
            { "constant", passThrough },
            { "dot", passThrough },
            { "atan2", atan2Node },
            { "invert", invertNode },
            { "clamp", clampNode },
            { "mix", mixNode },
            { "remap", remapNode },
            { "smoothstep", smoothstepNode },
            { "magnitude", lengthNode },
            { "normalize", lengthNode },
            { "dotproduct", productNode },
            { "crossproduct", productNode },
            { "luminance", luminanceNode },
            { "convert", convertNode },
            { "extract", extractNode },
            { "separate2", separateNode },
            { "separate3", separateNode },
            { "separate4", separateNode },
            { "combine2", combineNode },
            { "combine3", combineNode },
            { "combine4", combineNode },
            { "ifgreater", comparisonNode },
            { "ifgreatereq", comparisonNode },
            { "ifequal", comparisonNode },
            { "switch", switchNode },
            { "and", logicNode },
            { "or", logicNode },
            { "xor", logicNode },
            { "not", notNode },
            { "roughness_anisotropy", roughnessAnisotropyNode },
            { "roughness_dual", roughnessDualNode },
        };
        for (const auto& op : unaryFloatOps())
            table.emplace(op.first, unaryFloat);
        for (const auto& op : binaryFloatOps())
            table.emplace(op.first, binaryFloat);
        return table;
    }();
    return computations;
}
} // namespace

bool isConditional(const std::string& category)
{
    return category == "ifgreater" || category == "ifgreatereq" || category == "ifequal" || category == "switch";
}

bool isSelector(const std::string& inputName)
{
    return inputName == "value1" || inputName == "value2" || inputName == "which";
}

std::optional<std::string> chosenInput(const std::string& category, const mx::NodeDef& def,
                                       const Operands& selectors)
{
    auto get = [&selectors](const std::string& name) { return operandNamed(selectors, name); };
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

bool foldsCategory(const std::string& category)
{
    return nodeComputations().count(category) != 0;
}

std::vector<Operand> computeNode(const std::string& category, const mx::NodeDef& def,
                                 const std::vector<OutputDecl>& outputs, const Operands& inputs)
{
    auto computation = nodeComputations().find(category);
    if (computation == nodeComputations().end())
        return {};
    return computation->second(NodeCall{ category, def, outputs, inputs });
}
} // namespace rozo::folding
