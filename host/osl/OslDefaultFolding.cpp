#include "OslDefaultFolding.h"

#include <cmath>

namespace Norvane::osl
{

namespace
{

bool isScalar(int count)
{
    return count == 1;
}

std::vector<OslValue> zeros(const OslType& type, const OslStructDecl* decl)
{
    std::vector<OslValue> values;
    for (const OslBaseType scalar : componentScalarTypes(type, decl))
        values.push_back(scalar == OslBaseType::String ? OslValue::ofString("") : OslValue::ofNumber(0.0));
    return values;
}

double toFloat(double value)
{
    return static_cast<double>(static_cast<float>(value));
}

} // namespace

void DefaultFolder::fail(const Expr& at, const std::string& message) const
{
    fail_(*at.at, message);
    throw OslSyntaxError{ message }; // fail_ never returns; this keeps the compiler sure of it
}

std::string DefaultFolder::shapeName(const Folded& value)
{
    switch (value.shape)
    {
        case Shape::Int:
            return "an int";
        case Shape::Float:
            return "a float";
        case Shape::Triple:
            return "a triple";
        case Shape::Matrix:
            return "a matrix";
        case Shape::String:
            return "a string";
        case Shape::Struct:
            return "a " + value.structName;
    }
    return "a value";
}

DefaultFolder::Folded DefaultFolder::notConstant()
{
    Folded value;
    value.constant = false;
    return value;
}

FoldedDefault DefaultFolder::foldTo(const Expr& expr, OslType& type, const std::string& what)
{
    if (type.arrayLength == 0)
        return foldElement(expr, type, what);

    OslType element = type;
    element.arrayLength = 0;
    const auto found = structs_.find(type.structName);
    const OslStructDecl* decl = found == structs_.end() ? nullptr : &found->second;
    if (expr.kind != Expr::Kind::InitList)
    {
        const Folded value = fold(expr);
        if (value.constant || type.arrayLength == UNSIZED_ARRAY)
            fail(expr, what + " is an array and needs an initialiser list {...}");
        return FoldedDefault{ false, zeros(type, decl) };
    }
    const int count = static_cast<int>(expr.operands.size());
    if (type.arrayLength == UNSIZED_ARRAY)
    {
        if (count == 0)
            fail(expr, what + " is an unsized array with an empty initialiser list");
        type.arrayLength = count;
    }
    if (count > type.arrayLength)
        fail(expr, what + " holds " + std::to_string(type.arrayLength) + " elements, " + std::to_string(count) + " given");
    FoldedDefault result;
    for (const Expr& item : expr.operands)
    {
        FoldedDefault folded = foldElement(item, element, what);
        result.constant = result.constant && folded.constant;
        result.components.insert(result.components.end(), folded.components.begin(), folded.components.end());
    }
    for (int missing = count; missing < type.arrayLength; ++missing)
    {
        const std::vector<OslValue> padding = zeros(element, decl);
        result.components.insert(result.components.end(), padding.begin(), padding.end());
    }
    if (!result.constant)
        result.components = zeros(type, decl);
    return result;
}

FoldedDefault DefaultFolder::foldElement(const Expr& expr, const OslType& type, const std::string& what)
{
    if (type.base == OslBaseType::Closure)
        return {}; // closures default to the empty closure
    if (type.isStruct())
    {
        const OslStructDecl& decl = structs_.at(type.structName);
        if (expr.kind == Expr::Kind::InitList || (expr.kind == Expr::Kind::Call && expr.text == decl.name))
            return foldStruct(expr, expr.operands, decl, what);
        const Folded value = fold(expr);
        if (!value.constant)
            return FoldedDefault{ false, zeros(type, &decl) };
        if (value.shape != Shape::Struct || value.structName != decl.name)
            fail(expr, what + " of type " + decl.name + " cannot take " + shapeName(value));
        return FoldedDefault{ true, value.components };
    }
    if (expr.kind == Expr::Kind::InitList)
    {
        const int count = componentCount(type.base);
        if (count < 3 || static_cast<int>(expr.operands.size()) != count)
            fail(expr, "an initialiser list of " + std::to_string(expr.operands.size()) + " values cannot initialise " +
                           what + " of type " + typeName(type));
        FoldedDefault result;
        for (const Expr& item : expr.operands)
        {
            OslType scalar{ OslBaseType::Float, {}, 0 };
            const FoldedDefault folded = coerce(item, fold(item), scalar, what);
            result.constant = result.constant && folded.constant;
            result.components.push_back(folded.components.front());
        }
        if (!result.constant)
            result.components = zeros(type, nullptr);
        return result;
    }
    return coerce(expr, fold(expr), type, what);
}

FoldedDefault DefaultFolder::foldStruct(const Expr& at, const std::vector<Expr>& items, const OslStructDecl& decl,
                                        const std::string& what)
{
    if (items.size() != decl.fields.size())
        fail(at, "struct " + decl.name + " has " + std::to_string(decl.fields.size()) + " fields, " +
                     std::to_string(items.size()) + " values given for " + what);
    FoldedDefault result;
    for (size_t i = 0; i < items.size(); ++i)
    {
        const OslType fieldType{ decl.fields[i].type, {}, 0 };
        const FoldedDefault folded = foldElement(items[i], fieldType, what + " field '" + decl.fields[i].name + "'");
        result.constant = result.constant && folded.constant;
        result.components.insert(result.components.end(), folded.components.begin(), folded.components.end());
    }
    if (!result.constant)
        result.components = zeros(OslType{ OslBaseType::Struct, decl.name, 0 }, &decl);
    return result;
}

FoldedDefault DefaultFolder::coerce(const Expr& expr, const Folded& value, const OslType& type, const std::string& what)
{
    if (!value.constant)
        return FoldedDefault{ false, zeros(type, nullptr) };
    const std::string mismatch = what + " of type " + typeName(type) + " cannot take " + shapeName(value);
    const int count = componentCount(type.base);
    const bool numeric = value.shape == Shape::Int || value.shape == Shape::Float;
    FoldedDefault result;
    switch (type.base)
    {
        case OslBaseType::String:
            if (value.shape != Shape::String)
                fail(expr, mismatch);
            result.components = value.components;
            return result;
        case OslBaseType::Int:
        {
            const double number = numeric ? value.components.front().number : 0.5;
            if (!numeric || number != std::floor(number))
                fail(expr, mismatch);
            result.components.push_back(OslValue::ofNumber(number));
            return result;
        }
        case OslBaseType::Matrix:
            if (numeric)
            {
                for (int i = 0; i < 16; ++i)
                    result.components.push_back(OslValue::ofNumber(i % 5 == 0 ? toFloat(value.components.front().number) : 0.0));
                return result;
            }
            if (value.shape != Shape::Matrix)
                fail(expr, mismatch);
            break;
        default:
            if (count == 1 && !numeric)
                fail(expr, mismatch);
            if (count == 3 && numeric)
            {
                result.components.assign(3, OslValue::ofNumber(toFloat(value.components.front().number)));
                return result;
            }
            if (count == 3 && value.shape != Shape::Triple)
                fail(expr, mismatch);
            break;
    }
    for (const OslValue& component : value.components)
        result.components.push_back(OslValue::ofNumber(toFloat(component.number)));
    return result;
}

DefaultFolder::Folded DefaultFolder::fold(const Expr& expr)
{
    Folded value;
    switch (expr.kind)
    {
        case Expr::Kind::IntLiteral:
        case Expr::Kind::FloatLiteral:
            value.shape = expr.kind == Expr::Kind::IntLiteral ? Shape::Int : Shape::Float;
            value.components.push_back(OslValue::ofNumber(expr.number));
            return value;
        case Expr::Kind::StringLiteral:
            value.shape = Shape::String;
            value.components.push_back(OslValue::ofString(expr.text));
            return value;
        case Expr::Kind::Unary:
        {
            value = fold(expr.operands.front());
            if (!value.constant || expr.text == "+")
                return value;
            if (expr.text != "-")
                return notConstant();
            if (value.shape == Shape::String || value.shape == Shape::Struct)
                fail(expr, "cannot negate " + shapeName(value));
            for (OslValue& component : value.components)
                component.number = -component.number;
            return value;
        }
        case Expr::Kind::Binary:
            return foldArithmetic(expr);
        case Expr::Kind::Call:
            return foldCall(expr);
        case Expr::Kind::InitList:
            fail(expr, "an initialiser list {...} cannot be part of an expression");
        default:
            return notConstant(); // names, members, indexing, conditionals: known only when the shader runs
    }
}

DefaultFolder::Folded DefaultFolder::foldArithmetic(const Expr& expr)
{
    const std::string& op = expr.text;
    if (op != "+" && op != "-" && op != "*" && op != "/")
        return notConstant();
    const Folded a = fold(expr.operands[0]);
    const Folded b = fold(expr.operands[1]);
    if (!a.constant || !b.constant)
        return notConstant();
    for (const Folded* side : { &a, &b })
        if (side->shape == Shape::String || side->shape == Shape::Struct)
            fail(expr, "cannot apply '" + op + "' to " + shapeName(*side));
    if (a.shape == Shape::Matrix || b.shape == Shape::Matrix)
        return notConstant();

    Folded result;
    const size_t count = std::max(a.components.size(), b.components.size());
    result.shape = count == 3 ? Shape::Triple : (a.shape == Shape::Int && b.shape == Shape::Int ? Shape::Int : Shape::Float);
    for (size_t i = 0; i < count; ++i)
    {
        const double x = a.components[isScalar(static_cast<int>(a.components.size())) ? 0 : i].number;
        const double y = b.components[isScalar(static_cast<int>(b.components.size())) ? 0 : i].number;
        double r = 0.0;
        if (op == "+")
            r = x + y;
        else if (op == "-")
            r = x - y;
        else if (op == "*")
            r = x * y;
        else
        {
            if (y == 0.0)
                fail(expr, "division by zero");
            r = result.shape == Shape::Int ? std::trunc(x / y) : x / y;
        }
        result.components.push_back(OslValue::ofNumber(r));
    }
    return result;
}

DefaultFolder::Folded DefaultFolder::foldCall(const Expr& call)
{
    const std::string& name = call.text;
    const auto structFound = structs_.find(name);
    if (structFound != structs_.end())
    {
        const FoldedDefault folded = foldStruct(call, call.operands, structFound->second, "a " + name + " value");
        return Folded{ folded.constant, Shape::Struct, name, folded.components };
    }
    const bool triple = name == "color" || name == "point" || name == "vector" || name == "normal";
    if (!triple && name != "matrix" && name != "float" && name != "int")
        return notConstant(); // a function call

    std::vector<Folded> arguments;
    for (const Expr& operand : call.operands)
    {
        arguments.push_back(fold(operand));
        if (!arguments.back().constant)
            return notConstant();
    }
    if (!arguments.empty() && arguments.front().shape == Shape::String)
    {
        // Only the spaces that need no transformation can be folded.
        const std::string& space = arguments.front().components.front().text;
        if (space != (name == "color" ? "rgb" : "common"))
            return notConstant();
        arguments.erase(arguments.begin());
    }
    const auto allScalar = [&arguments] {
        for (const Folded& argument : arguments)
            if (argument.shape != Shape::Int && argument.shape != Shape::Float)
                return false;
        return true;
    };
    Folded result;
    if (triple)
    {
        result.shape = Shape::Triple;
        if (arguments.size() == 1 && arguments.front().shape == Shape::Triple)
            return Folded{ true, Shape::Triple, {}, arguments.front().components };
        if ((arguments.size() != 1 && arguments.size() != 3) || !allScalar())
            fail(call, name + "() takes one or three numbers");
        for (size_t i = 0; i < 3; ++i)
            result.components.push_back(arguments[arguments.size() == 1 ? 0 : i].components.front());
        return result;
    }
    if (name == "matrix")
    {
        result.shape = Shape::Matrix;
        if ((arguments.size() != 1 && arguments.size() != 16) || !allScalar())
            fail(call, "matrix() takes one or sixteen numbers");
        for (int i = 0; i < 16; ++i)
            result.components.push_back(arguments.size() == 16 ? arguments[i].components.front()
                                                               : OslValue::ofNumber(i % 5 == 0 ? arguments[0].components.front().number : 0.0));
        return result;
    }
    if (arguments.size() != 1 || !allScalar())
        fail(call, name + "() takes one number");
    result.shape = name == "int" ? Shape::Int : Shape::Float;
    const double number = arguments.front().components.front().number;
    result.components.push_back(OslValue::ofNumber(name == "int" ? std::trunc(number) : number));
    return result;
}

} // namespace Norvane::osl
