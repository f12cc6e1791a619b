#pragma once
// What the OSL front end knows about one shader: its name, kind, metadata and
// parameters with types and defaults. Both the source parser and the reader of
// the precompiled text produce it, so a consumer never cares which form it had.

#include <optional>
#include <string>
#include <vector>

namespace Norvane::osl
{

enum class OslBaseType
{
    Int,
    Float,
    Point,
    Vector,
    Normal,
    Color,
    Matrix,
    String,
    Closure,
    Struct,
    Void
};

enum class OslShaderKind
{
    Shader,
    Surface,
    Displacement,
    Volume
};

// One field of a struct type; fields are plain (non-struct, non-array) types.
struct OslStructField
{
    std::string name;
    OslBaseType type = OslBaseType::Float;
    bool operator==(const OslStructField& other) const { return name == other.name && type == other.type; }
};

struct OslStructDecl
{
    std::string name;
    std::vector<OslStructField> fields;
    bool operator==(const OslStructDecl& other) const { return name == other.name && fields == other.fields; }
};

struct OslType
{
    OslBaseType base = OslBaseType::Float;
    std::string structName; // set when base is Struct
    int arrayLength = 0;    // 0: not an array; otherwise the element count

    bool isArray() const { return arrayLength > 0; }
    bool isStruct() const { return base == OslBaseType::Struct; }
    bool operator==(const OslType& other) const
    {
        return base == other.base && structName == other.structName && arrayLength == other.arrayLength;
    }
    bool operator!=(const OslType& other) const { return !(*this == other); }
};

// One default or metadata component: a number (int and float alike) or a string.
struct OslValue
{
    bool isString = false;
    double number = 0.0;
    std::string text;

    static OslValue ofNumber(double value) { return OslValue{ false, value, {} }; }
    static OslValue ofString(std::string value) { return OslValue{ true, 0.0, std::move(value) }; }
    bool operator==(const OslValue& other) const
    {
        return isString == other.isString && (isString ? text == other.text : number == other.number);
    }
};

struct OslMetadata
{
    OslType type; // int, float or string, possibly an array
    std::string name;
    std::vector<OslValue> values;
    bool operator==(const OslMetadata& other) const
    {
        return type == other.type && name == other.name && values == other.values;
    }
};

struct OslParameter
{
    std::string name;
    OslType type;
    bool isOutput = false;
    // Flattened components: one per scalar, three per triple, sixteen per matrix,
    // the struct's fields in order, all of that per array element. Closures have none.
    std::vector<OslValue> defaults;
    // A default that needs the shader's globals (u, v, N, ...) is not a constant:
    // its components are zero and the expression text is kept here.
    std::string defaultExpression;
    std::vector<OslMetadata> metadata;

    bool hasConstantDefault() const { return defaultExpression.empty(); }
    const OslMetadata* findMetadata(const std::string& metadataName) const;
    bool operator==(const OslParameter& other) const
    {
        return name == other.name && type == other.type && isOutput == other.isOutput && defaults == other.defaults &&
               defaultExpression == other.defaultExpression && metadata == other.metadata;
    }
};

struct OslShaderInfo
{
    std::string name;
    OslShaderKind kind = OslShaderKind::Shader;
    std::vector<OslMetadata> metadata;
    std::vector<OslParameter> parameters;
    // The struct types the parameters use, in order of first use.
    std::vector<OslStructDecl> structs;

    const OslParameter* findParameter(const std::string& parameterName) const;
    const OslStructDecl* findStruct(const std::string& structName) const;
    const OslMetadata* findMetadata(const std::string& metadataName) const;
    bool operator==(const OslShaderInfo& other) const
    {
        return name == other.name && kind == other.kind && metadata == other.metadata &&
               parameters == other.parameters && structs == other.structs;
    }
};

// Type names as OSL spells them ("closure color", "float", "vector2[3]").
std::string baseTypeName(OslBaseType type);
// The other way round: "float" is Float, "closure" (the first word of
// "closure color") is Closure; none for names that are no built-in type.
std::optional<OslBaseType> baseTypeFromName(const std::string& name);
std::string typeName(const OslType& type);
std::string shaderKindName(OslShaderKind kind);

// A string as an OSL literal: in double quotes, with \\ \" \n \t escaped.
std::string quoteOslString(const std::string& text);

// Components of one element of the type (no array): 1, 3 for triples, 16 for
// a matrix, the field components for a struct (needs its declaration), 0 for closures.
int componentCount(OslBaseType type);
int elementComponentCount(const OslType& type, const OslStructDecl* decl);
// Scalar type (Int, Float or String) of every flattened component, in order,
// array elements included.
std::vector<OslBaseType> componentScalarTypes(const OslType& type, const OslStructDecl* decl);

} // namespace Norvane::osl
