// The precompiled text of a shader (its format is described in OslFrontEnd.h):
// writing it from an OslShaderInfo and reading it back.

#include "OslFrontEnd.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

namespace Norvane::osl
{

namespace
{

const char* const VERSION_LINE = "OpenShadingLanguage 1.00";
const char* const PRECOMPILED_NAME = "<precompiled OSL>";
const char* const MTLX_NODE_METADATA = "mtlx_node";

struct PrecompiledError
{
    std::string message;
};

[[noreturn]] void fail(int line, const std::string& what)
{
    throw PrecompiledError{ std::string(PRECOMPILED_NAME) + ":" + std::to_string(line) + ": error: " + what };
}

// ---- writing ----

std::string numberText(double value, OslBaseType scalar)
{
    if (scalar == OslBaseType::Int)
        return std::to_string(static_cast<long long>(value));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    return std::string(buffer, result.ptr);
}

std::string valuesText(const std::vector<OslValue>& values, const std::vector<OslBaseType>& scalars, char separator)
{
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i > 0)
            text += separator;
        const OslBaseType scalar = i < scalars.size() ? scalars[i] : OslBaseType::Float;
        text += values[i].isString ? quoteOslString(values[i].text) : numberText(values[i].number, scalar);
    }
    return text;
}

std::string metadataText(const OslMetadata& item)
{
    std::string text = "%meta{" + typeName(item.type) + "," + item.name;
    if (!item.values.empty())
        text += "," + valuesText(item.values, componentScalarTypes(item.type, nullptr), ',');
    return text + "}";
}

char fieldTypeLetter(OslBaseType type)
{
    switch (type)
    {
        case OslBaseType::Int:
            return 'i';
        case OslBaseType::Point:
            return 'p';
        case OslBaseType::Vector:
            return 'v';
        case OslBaseType::Normal:
            return 'n';
        case OslBaseType::Color:
            return 'c';
        case OslBaseType::Matrix:
            return 'm';
        case OslBaseType::String:
            return 's';
        default:
            return 'f';
    }
}

std::string parameterLine(const OslShaderInfo& info, const OslParameter& parameter)
{
    const OslStructDecl* decl = parameter.type.isStruct() ? info.findStruct(parameter.type.structName) : nullptr;
    std::vector<std::string> annotations;
    for (const OslMetadata& item : parameter.metadata)
        annotations.push_back(metadataText(item));
    if (decl)
    {
        std::string names, letters;
        for (const OslStructField& field : decl->fields)
        {
            names += (names.empty() ? "" : ",") + field.name;
            letters += fieldTypeLetter(field.type);
        }
        annotations.push_back("%struct{" + quoteOslString(decl->name) + "}");
        annotations.push_back("%structfields{" + names + "}");
        annotations.push_back("%structfieldtypes{\"" + letters + "\"}");
    }
    if (!parameter.hasConstantDefault())
        annotations.push_back("%initexpr{" + quoteOslString(parameter.defaultExpression) + "}");

    std::string line = std::string(parameter.isOutput ? "oparam" : "param") + "\t" + typeName(parameter.type) + "\t" +
                       parameter.name + "\t" +
                       valuesText(parameter.defaults, componentScalarTypes(parameter.type, decl), ' ');
    for (size_t i = 0; i < annotations.size(); ++i)
        line += (i > 0 ? " " : "\t") + annotations[i];
    return line;
}

// ---- reading ----

std::string trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Words separated by blanks; quoted strings and {...} groups stay whole.
std::vector<std::string> splitWords(const std::string& line, int lineNumber)
{
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < line.size())
    {
        if (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')
        {
            ++pos;
            continue;
        }
        const size_t start = pos;
        bool quoted = false;
        int depth = 0;
        for (; pos < line.size(); ++pos)
        {
            const char c = line[pos];
            if (quoted)
            {
                if (c == '\\')
                    ++pos;
                else if (c == '"')
                    quoted = false;
            }
            else if (c == '"')
            {
                quoted = true;
            }
            else if (c == '{')
            {
                ++depth;
            }
            else if (c == '}')
            {
                --depth;
            }
            else if ((c == ' ' || c == '\t' || c == '\r') && depth == 0)
            {
                break;
            }
        }
        if (quoted)
            fail(lineNumber, "string not closed");
        if (depth != 0)
            fail(lineNumber, "'{' without '}'");
        words.push_back(line.substr(start, std::min(pos, line.size()) - start));
    }
    return words;
}

// Splits the inside of %name{...} at commas outside strings.
std::vector<std::string> splitFields(const std::string& content)
{
    std::vector<std::string> fields;
    std::string current;
    bool quoted = false;
    for (size_t i = 0; i < content.size(); ++i)
    {
        const char c = content[i];
        if (quoted && c == '\\' && i + 1 < content.size())
        {
            current += c;
            current += content[++i];
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
        {
            fields.push_back(current);
            current.clear();
        }
        else
        {
            current += c;
        }
    }
    fields.push_back(current);
    return fields;
}

OslValue parseValue(const std::string& word, int line)
{
    if (!word.empty() && word.front() == '"')
    {
        if (word.size() < 2 || word.back() != '"')
            fail(line, "bad string " + word);
        std::string text;
        for (size_t i = 1; i + 1 < word.size(); ++i)
        {
            if (word[i] == '\\' && i + 2 < word.size())
            {
                const char c = word[++i];
                text += c == 'n' ? '\n' : c == 't' ? '\t'
                                                   : c;
            }
            else
            {
                text += word[i];
            }
        }
        return OslValue::ofString(text);
    }
    char* end = nullptr;
    const double number = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0')
        fail(line, "bad value '" + word + "'");
    return OslValue::ofNumber(number);
}

// "float", "color[3]", "vector2"; a name that is no built-in type is a struct.
OslType parseTypeWord(const std::string& word, int line)
{
    OslType type;
    std::string base = word;
    const size_t bracket = word.find('[');
    if (bracket != std::string::npos)
    {
        if (word.back() != ']')
            fail(line, "bad type '" + word + "'");
        const std::string length = word.substr(bracket + 1, word.size() - bracket - 2);
        char* end = nullptr;
        const long count = std::strtol(length.c_str(), &end, 10);
        if (length.empty() || *end != '\0' || count < 1)
            fail(line, "bad array length in type '" + word + "'");
        type.arrayLength = static_cast<int>(count);
        base = word.substr(0, bracket);
    }
    const std::optional<OslBaseType> builtin = baseTypeFromName(base);
    if (builtin && *builtin != OslBaseType::Struct && *builtin != OslBaseType::Void)
    {
        type.base = *builtin;
    }
    else if (!base.empty())
    {
        type.base = OslBaseType::Struct;
        type.structName = base;
    }
    else
    {
        fail(line, "bad type '" + word + "'");
    }
    return type;
}

OslBaseType fieldTypeFromLetter(char letter, int line)
{
    switch (letter)
    {
        case 'i':
            return OslBaseType::Int;
        case 'f':
            return OslBaseType::Float;
        case 'p':
            return OslBaseType::Point;
        case 'v':
            return OslBaseType::Vector;
        case 'n':
            return OslBaseType::Normal;
        case 'c':
            return OslBaseType::Color;
        case 'm':
            return OslBaseType::Matrix;
        case 's':
            return OslBaseType::String;
        default:
            fail(line, std::string("unknown struct field type '") + letter + "'");
    }
}

// Checks the values against the type and rounds float components to single
// precision, as the source parser does.
void checkComponents(std::vector<OslValue>& values, const OslType& type, const OslStructDecl* decl,
                     const std::string& what, int line)
{
    const std::vector<OslBaseType> scalars = componentScalarTypes(type, decl);
    if (values.size() != scalars.size())
        fail(line, what + " of type " + typeName(type) + " needs " + std::to_string(scalars.size()) + " values, " +
                       std::to_string(values.size()) + " given");
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].isString != (scalars[i] == OslBaseType::String))
            fail(line, what + ": value " + std::to_string(i + 1) + (values[i].isString ? " is a string" : " is a number") +
                           " but should not be");
    for (size_t i = 0; i < values.size(); ++i)
        if (scalars[i] == OslBaseType::Float)
            values[i].number = static_cast<double>(static_cast<float>(values[i].number));
}

struct Annotation
{
    std::string name;
    std::vector<std::string> fields;
};

Annotation parseAnnotation(const std::string& word, int line)
{
    const size_t open = word.find('{');
    if (word.size() < 3 || word.front() != '%' || open == std::string::npos || word.back() != '}')
        fail(line, "expected an annotation %name{...}, found '" + word + "'");
    return Annotation{ word.substr(1, open - 1), splitFields(word.substr(open + 1, word.size() - open - 2)) };
}

OslMetadata parseMetadata(const Annotation& annotation, int line)
{
    if (annotation.fields.size() < 2)
        fail(line, "%meta needs a type and a name");
    OslMetadata item;
    item.type = parseTypeWord(annotation.fields[0], line);
    if (item.type.isStruct() || item.type.base == OslBaseType::Closure)
        fail(line, "metadata cannot be of type " + annotation.fields[0]);
    item.name = annotation.fields[1];
    for (size_t i = 2; i < annotation.fields.size(); ++i)
        item.values.push_back(parseValue(annotation.fields[i], line));
    checkComponents(item.values, item.type, nullptr, "metadata '" + item.name + "'", line);
    return item;
}

class PrecompiledReader
{
  public:
    OslShaderInfo read(const std::string& text)
    {
        std::istringstream stream(text);
        std::string raw;
        int lineNumber = 0;
        bool sawVersion = false, sawShader = false;
        while (std::getline(stream, raw))
        {
            ++lineNumber;
            const std::string line = trim(raw);
            if (!sawVersion)
            {
                if (line.empty())
                    continue;
                if (line.rfind("OpenShadingLanguage", 0) != 0)
                    fail(lineNumber, "not precompiled OSL: it must start with 'OpenShadingLanguage'");
                sawVersion = true;
                continue;
            }
            if (line.empty() || line[0] == '#')
                continue;
            const std::vector<std::string> words = splitWords(line, lineNumber);
            const std::string& keyword = words.front();
            if (keyword == "code")
                break;
            if (keyword == "shader" || keyword == "surface" || keyword == "displacement" || keyword == "volume")
            {
                if (sawShader)
                    fail(lineNumber, "a second shader line");
                shaderLine(words, lineNumber);
                sawShader = true;
            }
            else if (keyword == "param" || keyword == "oparam")
            {
                if (!sawShader)
                    fail(lineNumber, "a parameter before the shader line");
                parameterLine(words, lineNumber);
            }
            else if (keyword != "local" && keyword != "temp" && keyword != "const" && keyword != "global")
            {
                fail(lineNumber, "unexpected '" + keyword + "'");
            }
        }
        if (!sawVersion)
            fail(lineNumber, "the text is empty");
        if (!sawShader)
            fail(lineNumber, "no shader line");
        return info_;
    }

  private:
    void shaderLine(const std::vector<std::string>& words, int line)
    {
        const std::string& kind = words[0];
        info_.kind = kind == "surface"        ? OslShaderKind::Surface
                     : kind == "displacement" ? OslShaderKind::Displacement
                     : kind == "volume"       ? OslShaderKind::Volume
                                              : OslShaderKind::Shader;
        if (words.size() < 2 || words[1].front() == '%')
            fail(line, "the shader line needs a name");
        info_.name = words[1];
        for (size_t i = 2; i < words.size(); ++i)
        {
            const Annotation annotation = parseAnnotation(words[i], line);
            if (annotation.name == "meta")
                info_.metadata.push_back(parseMetadata(annotation, line));
        }
    }

    void parameterLine(const std::vector<std::string>& words, int line)
    {
        OslParameter parameter;
        parameter.isOutput = words[0] == "oparam";
        size_t next = 1;
        if (next >= words.size())
            fail(line, "a parameter line needs a type");
        parameter.type = parseTypeWord(words[next++], line);
        if (parameter.type.base == OslBaseType::Closure)
        {
            if (next >= words.size() || words[next] != "color")
                fail(line, "expected 'color' after 'closure'");
            ++next;
        }
        if (next >= words.size() || words[next].front() == '%')
            fail(line, "a parameter line needs a name");
        parameter.name = words[next++];
        if (info_.findParameter(parameter.name))
            fail(line, "parameter '" + parameter.name + "' appears twice");
        for (; next < words.size() && words[next].front() != '%'; ++next)
            parameter.defaults.push_back(parseValue(words[next], line));

        OslStructDecl layout;
        bool hasLayout = false;
        std::string letters;
        for (; next < words.size(); ++next)
        {
            const Annotation annotation = parseAnnotation(words[next], line);
            if (annotation.name == "meta")
            {
                parameter.metadata.push_back(parseMetadata(annotation, line));
            }
            else if (annotation.name == "struct")
            {
                layout.name = parseValue(annotation.fields.front(), line).text;
                if (layout.name != parameter.type.structName)
                    fail(line, "parameter '" + parameter.name + "' is of type " + typeName(parameter.type) + " but names struct " + layout.name);
                hasLayout = true;
            }
            else if (annotation.name == "structfields")
            {
                for (const std::string& field : annotation.fields)
                    layout.fields.push_back({ field, OslBaseType::Float });
            }
            else if (annotation.name == "structfieldtypes")
            {
                letters = parseValue(annotation.fields.front(), line).text;
            }
            else if (annotation.name == "initexpr")
            {
                parameter.defaultExpression = parseValue(annotation.fields.front(), line).text;
            } // other annotations (%read, %write, ...) carry nothing the declarations need
        }
        if (parameter.type.isStruct())
            registerStruct(parameter, layout, hasLayout, letters, line);
        checkComponents(parameter.defaults, parameter.type,
                        parameter.type.isStruct() ? info_.findStruct(parameter.type.structName) : nullptr,
                        "parameter '" + parameter.name + "'", line);
        info_.parameters.push_back(std::move(parameter));
    }

    void registerStruct(const OslParameter& parameter, OslStructDecl& layout, bool hasLayout, const std::string& letters,
                        int line)
    {
        const OslStructDecl* known = info_.findStruct(parameter.type.structName);
        if (!hasLayout)
        {
            if (!known)
                fail(line, "unknown type '" + parameter.type.structName + "' (no %struct layout given)");
            return;
        }
        if (letters.size() != layout.fields.size() || layout.fields.empty())
            fail(line, "struct " + layout.name + ": %structfields and %structfieldtypes do not match");
        for (size_t i = 0; i < letters.size(); ++i)
            layout.fields[i].type = fieldTypeFromLetter(letters[i], line);
        if (known && !(*known == layout))
            fail(line, "struct " + layout.name + " is given two different layouts");
        if (!known)
            info_.structs.push_back(layout);
    }

    OslShaderInfo info_;
};

} // namespace

std::string compileToPrecompiled(const OslShaderInfo& info)
{
    std::string text = std::string(VERSION_LINE) + "\n# Compiled by the Norvane OSL front end: declarations only\n";
    text += shaderKindName(info.kind) + " " + info.name;
    // Export finds the node category with a greedy match up to the last quote of
    // the shader line, so mtlx_node is written after every other item.
    std::vector<const OslMetadata*> ordered;
    for (const OslMetadata& item : info.metadata)
        if (item.name != MTLX_NODE_METADATA)
            ordered.push_back(&item);
    for (const OslMetadata& item : info.metadata)
        if (item.name == MTLX_NODE_METADATA)
            ordered.push_back(&item);
    for (size_t i = 0; i < ordered.size(); ++i)
        text += (i == 0 ? "\t" : " ") + metadataText(*ordered[i]);
    text += "\n";
    for (const OslParameter& parameter : info.parameters)
        text += parameterLine(info, parameter) + "\n";
    return text + "code ___main___\n\tend\n";
}

bool isPrecompiled(const std::string& text)
{
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    start = text.find_first_not_of(" \t\r\n", start);
    return start != std::string::npos && text.compare(start, 19, "OpenShadingLanguage") == 0;
}

OslParseResult parsePrecompiled(const std::string& text)
{
    OslParseResult result;
    try
    {
        result.shader = PrecompiledReader().read(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    }
    catch (const PrecompiledError& error)
    {
        result.error = error.message;
    }
    return result;
}

} // namespace Norvane::osl
