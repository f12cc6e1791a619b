#include "ShaderWriter.h"

#include "BodyTable.h"
#include "OslTypes.h"

#include "plugin/contracts/OslNaming.h"

#include <sstream>

namespace oslgen
{

const char* const GENERATED_MARK = "// Written by oslgen from the data libraries";

namespace
{

std::string declaration(const OslType& type, const std::string& name, const std::string& value)
{
    std::string text = type.osl + " " + name;
    if (type.isArray)
        text += "[" + std::to_string(ARRAY_LENGTH) + "]";
    return text + " = " + value;
}

std::string indented(const std::string& body)
{
    std::string out;
    std::istringstream lines(body);
    for (std::string line; std::getline(lines, line);)
        out += line.empty() ? "\n" : "    " + line + "\n";
    return out;
}

} // namespace

ShaderText writeShader(const NodeDefinition& definition)
{
    std::vector<std::string> parameters;
    bool needsInclude = false;
    for (const PortDefinition& input : definition.inputs)
    {
        const OslType type = *oslTypeFor(input.type);
        needsInclude = needsInclude || type.isStruct;
        parameters.push_back(
            declaration(type, rozo::OslParameterName(input.name), parameterDefault(type, input)));
    }
    for (const PortDefinition& output : definition.outputs)
    {
        const OslType type = *oslTypeFor(output.type);
        needsInclude = needsInclude || type.isStruct;
        parameters.push_back("output " + declaration(type, output.name, zeroLiteral(type)));
    }

    ShaderText shader;
    std::string body;
    if (std::optional<std::string> written = shaderBody(BodyContext(definition)))
    {
        body = *written;
    }
    else
    {
        body = fallbackBody(definition);
        shader.fallback = true;
    }
    needsInclude = needsInclude || body.find("mx_") != std::string::npos;

    std::ostringstream os;
    os << "// MaterialX node definition " << definition.name << ", category " << definition.category
       << ".\n"
       << GENERATED_MARK << ": change the generator, not this file.\n";
    if (needsInclude)
        os << "#include \"mx_funcs.h\"\n";
    os << "\nshader " << rozo::preparedShaderName(definition.name) << "\n    [[ string mtlx_node = \""
       << definition.category << "\" ]]\n(\n";
    for (size_t i = 0; i < parameters.size(); ++i)
        os << "    " << parameters[i] << (i + 1 < parameters.size() ? ",\n" : "\n");
    os << ")\n{\n"
       << indented(body) << "}\n";
    shader.text = os.str();
    return shader;
}

} // namespace oslgen
