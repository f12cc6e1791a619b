#include "OslTypes.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace oslgen
{

namespace
{

struct ElementInfo
{
    const char* osl;
    int components;
    bool isStruct;
};

const std::map<std::string, ElementInfo>& elementTypes()
{
    static const std::map<std::string, ElementInfo> types = {
        { "float", { "float", 1, false } },
        { "integer", { "int", 1, false } },
        { "boolean", { "int", 1, false } },
        { "color3", { "color", 3, false } },
        { "vector3", { "vector", 3, false } },
        { "vector2", { "vector2", 2, true } },
        { "vector4", { "vector4", 4, true } },
        { "color4", { "color4", 4, true } },
        { "matrix33", { "matrix", 9, false } },
        { "matrix44", { "matrix", 16, false } },
        { "string", { "string", 0, false } },
        { "filename", { "string", 0, false } },
    };
    return types;
}

std::vector<std::string> splitValues(const std::string& text)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : text)
    {
        if (c == ',')
        {
            parts.push_back(current);
            current.clear();
        }
        else if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
        {
            current += c;
        }
    }
    if (!current.empty() || !parts.empty())
        parts.push_back(current);
    return parts;
}

std::optional<std::string> floatLiteral(const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    char* end = nullptr;
    std::strtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0')
        return std::nullopt;
    if (token.find_first_of(".eE") == std::string::npos)
        return token + ".0";
    if (token.front() == '.')
        return "0" + token;
    return token;
}

std::optional<std::string> intLiteral(const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    char* end = nullptr;
    std::strtol(token.c_str(), &end, 10);
    if (*end != '\0')
        return std::nullopt;
    return token;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string joined(const std::vector<std::string>& items)
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + items[i];
    return out;
}

// Literal of one element from its float components.
std::string elementFromFloats(const OslType& type, const std::vector<std::string>& f)
{
    const std::string& t = type.elementMtlx;
    if (t == "float")
        return f[0];
    if (t == "color3" || t == "vector3")
        return type.osl + "(" + joined(f) + ")";
    if (t == "vector2" || t == "vector4")
        return "{" + joined(f) + "}";
    if (t == "color4")
        return "{color(" + f[0] + ", " + f[1] + ", " + f[2] + "), " + f[3] + "}";
    if (t == "matrix33")
    {
        std::vector<std::string> m;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m.push_back(r < 3 && c < 3 ? f[r * 3 + c] : (r == c ? "1.0" : "0.0"));
        return "matrix(" + joined(m) + ")";
    }
    return "matrix(" + joined(f) + ")";
}

std::optional<std::string> elementFromTokens(const OslType& type,
                                             const std::vector<std::string>& tokens)
{
    const std::string& t = type.elementMtlx;
    if (t == "string" || t == "filename")
        return std::nullopt; // handled by the caller, commas are text there
    if (t == "boolean")
    {
        if (tokens.size() != 1 || (tokens[0] != "true" && tokens[0] != "false"))
            return std::nullopt;
        return std::string(tokens[0] == "true" ? "1" : "0");
    }
    if (t == "integer")
    {
        if (tokens.size() != 1)
            return std::nullopt;
        return intLiteral(tokens[0]);
    }
    if (static_cast<int>(tokens.size()) != type.components)
        return std::nullopt;
    std::vector<std::string> floats;
    for (const std::string& token : tokens)
    {
        const std::optional<std::string> literal = floatLiteral(token);
        if (!literal)
            return std::nullopt;
        floats.push_back(*literal);
    }
    return elementFromFloats(type, floats);
}

std::string elementZero(const OslType& type)
{
    const std::string& t = type.elementMtlx;
    if (t == "string" || t == "filename")
        return "\"\"";
    if (t == "integer" || t == "boolean")
        return "0";
    if (t == "matrix33" || t == "matrix44")
    {
        // Matrices start as the identity, like MaterialX's own default.
        std::vector<std::string> f;
        const int n = t == "matrix33" ? 3 : 4;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                f.push_back(r == c ? "1.0" : "0.0");
        return elementFromFloats(type, f);
    }
    return elementFromFloats(type, std::vector<std::string>(type.components, "0.0"));
}

} // namespace

std::optional<OslType> oslTypeFor(const std::string& mtlxType)
{
    OslType type;
    type.mtlx = mtlxType;
    std::string element = mtlxType;
    const std::string suffix = "array";
    if (element.size() > suffix.size() &&
        element.compare(element.size() - suffix.size(), suffix.size(), suffix) == 0)
    {
        element.resize(element.size() - suffix.size());
        type.isArray = true;
    }
    const auto found = elementTypes().find(element);
    if (found == elementTypes().end())
        return std::nullopt;
    if (type.isArray && (element == "boolean" || element == "filename" ||
                         element == "matrix33" || element == "matrix44"))
        return std::nullopt;
    type.elementMtlx = element;
    type.osl = found->second.osl;
    type.components = found->second.components;
    type.isStruct = found->second.isStruct;
    type.isMatrix33 = element == "matrix33";
    return type;
}

std::optional<std::string> elementLiteral(const OslType& type, const std::string& value)
{
    if (type.elementMtlx == "string" || type.elementMtlx == "filename")
        return quoted(value);
    if (value.empty())
        return elementZero(type);
    return elementFromTokens(type, splitValues(value));
}

std::string zeroLiteral(const OslType& type)
{
    if (!type.isArray)
        return elementZero(type);
    return "{" + joined(std::vector<std::string>(ARRAY_LENGTH, elementZero(type))) + "}";
}

namespace
{

std::optional<std::string> arrayLiteral(const OslType& type, const std::string& value)
{
    std::vector<std::string> tokens = splitValues(value);
    if (type.elementMtlx == "string" || type.elementMtlx == "filename")
    {
        for (std::string& token : tokens)
            token = quoted(token);
    }
    else
    {
        const int per = type.components;
        if (per == 0 || tokens.size() % per != 0)
            return std::nullopt;
        std::vector<std::string> elements;
        for (size_t i = 0; i < tokens.size(); i += per)
        {
            const std::optional<std::string> element = elementFromTokens(
                type, std::vector<std::string>(tokens.begin() + i, tokens.begin() + i + per));
            if (!element)
                return std::nullopt;
            elements.push_back(*element);
        }
        tokens = elements;
    }
    if (static_cast<int>(tokens.size()) > ARRAY_LENGTH)
        return std::nullopt;
    while (static_cast<int>(tokens.size()) < ARRAY_LENGTH)
        tokens.push_back(elementZero(type));
    return "{" + joined(tokens) + "}";
}

std::string geomPropDefault(const OslType& type, const std::string& geomProp)
{
    if (type.isArray)
        return {};
    if (geomProp == "UV0")
    {
        if (type.mtlx == "vector2")
            return "{u, v}";
        if (type.mtlx == "vector3")
            return "vector(u, v, 0.0)";
    }
    if (type.mtlx != "vector3")
        return {};
    if (geomProp == "Pobject" || geomProp == "Pworld")
        return "P";
    if (geomProp == "Nobject" || geomProp == "Nworld")
        return "N";
    if (geomProp == "Tobject" || geomProp == "Tworld")
        return "dPdu";
    if (geomProp == "Bobject" || geomProp == "Bworld")
        return "dPdv";
    return {};
}

} // namespace

std::string parameterDefault(const OslType& type, const PortDefinition& port)
{
    if (port.hasValue)
    {
        const std::optional<std::string> literal =
            type.isArray ? arrayLiteral(type, port.value) : elementLiteral(type, port.value);
        if (literal)
            return *literal;
    }
    if (!port.defaultGeomProp.empty())
    {
        const std::string global = geomPropDefault(type, port.defaultGeomProp);
        if (!global.empty())
            return global;
    }
    return zeroLiteral(type);
}

std::string component(const OslType& type, const std::string& name, int i)
{
    const std::string& t = type.elementMtlx;
    static const char* xyzw[] = { "x", "y", "z", "w" };
    if (t == "float" || t == "integer" || t == "boolean")
        return name;
    if (t == "color3" || t == "vector3")
        return name + "[" + std::to_string(i) + "]";
    if (t == "vector2" || t == "vector4")
        return name + "." + xyzw[i];
    if (t == "color4")
        return i < 3 ? name + ".rgb[" + std::to_string(i) + "]" : name + ".a";
    return name + "[" + std::to_string(i / 4) + "][" + std::to_string(i % 4) + "]";
}

std::string pack(const OslType& type, const std::vector<std::string>& c)
{
    const std::string& t = type.elementMtlx;
    if (t == "float")
        return c[0];
    if (t == "integer" || t == "boolean")
        return "int(" + c[0] + ")";
    if (t == "color4")
        return "color4(color(" + c[0] + ", " + c[1] + ", " + c[2] + "), " + c[3] + ")";
    return type.osl + "(" + joined(c) + ")";
}

std::string convertExpr(const OslType& from, const OslType& to, const std::string& name,
                        MissingChannels missing)
{
    if (from.mtlx == to.mtlx)
        return name;
    std::vector<std::string> c;
    for (int i = 0; i < to.components; ++i)
    {
        if (from.components == 1)
            c.push_back(from.elementMtlx == "float" ? name : "float(" + name + ")");
        else if (i < from.components)
            c.push_back(component(from, name, i));
        else
            c.push_back(missing == MissingChannels::One || i == 3 ? "1.0" : "0.0");
    }
    return pack(to, c);
}

} // namespace oslgen
