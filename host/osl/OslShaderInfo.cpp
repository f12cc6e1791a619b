#include "OslShaderInfo.h"

#include <map>

namespace Norvane::osl
{

namespace
{
template <typename Item>
const Item* findByName(const std::vector<Item>& items, const std::string& name)
{
    for (const Item& item : items)
        if (item.name == name)
            return &item;
    return nullptr;
}

OslBaseType scalarOf(OslBaseType type)
{
    switch (type)
    {
        case OslBaseType::Int:
            return OslBaseType::Int;
        case OslBaseType::String:
            return OslBaseType::String;
        default:
            return OslBaseType::Float;
    }
}
} // namespace

const OslMetadata* OslParameter::findMetadata(const std::string& metadataName) const
{
    return findByName(metadata, metadataName);
}

const OslParameter* OslShaderInfo::findParameter(const std::string& parameterName) const
{
    return findByName(parameters, parameterName);
}

const OslStructDecl* OslShaderInfo::findStruct(const std::string& structName) const
{
    return findByName(structs, structName);
}

const OslMetadata* OslShaderInfo::findMetadata(const std::string& metadataName) const
{
    return findByName(metadata, metadataName);
}

std::string baseTypeName(OslBaseType type)
{
    switch (type)
    {
        case OslBaseType::Int:
            return "int";
        case OslBaseType::Float:
            return "float";
        case OslBaseType::Point:
            return "point";
        case OslBaseType::Vector:
            return "vector";
        case OslBaseType::Normal:
            return "normal";
        case OslBaseType::Color:
            return "color";
        case OslBaseType::Matrix:
            return "matrix";
        case OslBaseType::String:
            return "string";
        case OslBaseType::Closure:
            return "closure color";
        case OslBaseType::Struct:
            return "struct";
        case OslBaseType::Void:
            return "void";
    }
    return "?";
}

std::optional<OslBaseType> baseTypeFromName(const std::string& name)
{
    static const std::map<std::string, OslBaseType> types = {
        { "int", OslBaseType::Int }, { "float", OslBaseType::Float }, { "point", OslBaseType::Point }, { "vector", OslBaseType::Vector }, { "normal", OslBaseType::Normal }, { "color", OslBaseType::Color }, { "matrix", OslBaseType::Matrix }, { "string", OslBaseType::String }, { "void", OslBaseType::Void }, { "closure", OslBaseType::Closure }
    };
    const auto found = types.find(name);
    if (found == types.end())
        return std::nullopt;
    return found->second;
}

std::string typeName(const OslType& type)
{
    std::string name = type.isStruct() ? type.structName : baseTypeName(type.base);
    if (type.isArray())
        name += "[" + std::to_string(type.arrayLength) + "]";
    return name;
}

std::string shaderKindName(OslShaderKind kind)
{
    switch (kind)
    {
        case OslShaderKind::Shader:
            return "shader";
        case OslShaderKind::Surface:
            return "surface";
        case OslShaderKind::Displacement:
            return "displacement";
        case OslShaderKind::Volume:
            return "volume";
    }
    return "shader";
}

std::string quoteOslString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        switch (c)
        {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                quoted += c;
        }
    }
    return quoted + "\"";
}

int componentCount(OslBaseType type)
{
    switch (type)
    {
        case OslBaseType::Point:
        case OslBaseType::Vector:
        case OslBaseType::Normal:
        case OslBaseType::Color:
            return 3;
        case OslBaseType::Matrix:
            return 16;
        case OslBaseType::Closure:
        case OslBaseType::Void:
        case OslBaseType::Struct:
            return 0;
        default:
            return 1;
    }
}

int elementComponentCount(const OslType& type, const OslStructDecl* decl)
{
    if (!type.isStruct())
        return componentCount(type.base);
    int count = 0;
    if (decl)
        for (const OslStructField& field : decl->fields)
            count += componentCount(field.type);
    return count;
}

std::vector<OslBaseType> componentScalarTypes(const OslType& type, const OslStructDecl* decl)
{
    std::vector<OslBaseType> element;
    if (type.isStruct())
    {
        if (decl)
            for (const OslStructField& field : decl->fields)
                element.insert(element.end(), componentCount(field.type), scalarOf(field.type));
    }
    else
    {
        element.assign(componentCount(type.base), scalarOf(type.base));
    }
    std::vector<OslBaseType> all;
    const int elements = type.isArray() ? type.arrayLength : 1;
    for (int i = 0; i < elements; ++i)
        all.insert(all.end(), element.begin(), element.end());
    return all;
}

} // namespace Norvane::osl
