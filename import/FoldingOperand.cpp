#include "import/FoldingOperand.h"

#include <algorithm>
#include <cmath>

namespace rozo::folding
{
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

Operand floatOperand(size_t size, float fill)
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
} // namespace rozo::folding
