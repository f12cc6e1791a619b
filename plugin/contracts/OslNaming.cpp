#include "plugin/contracts/OslNaming.h"

#include <set>

namespace rozo
{
namespace
{
const char* const DEFINITION_PREFIX = "ND_";
const char* const SHADER_PREFIX = "mx_";
const char* const SHADER_FILE_EXTENSION = ".osl";
} // namespace

std::string OslParameterName(const std::string& inputName)
{
    static const std::set<std::string> clashing = { "mix", "default", "normal", "color", "color4" };
    return clashing.count(inputName) ? inputName + "1" : inputName;
}

std::string strippedDefinitionName(const std::string& nodeDefName)
{
    const std::string prefix = DEFINITION_PREFIX;
    if (nodeDefName.size() > prefix.size() && nodeDefName.compare(0, prefix.size(), prefix) == 0)
        return nodeDefName.substr(prefix.size());
    return nodeDefName;
}

std::string preparedShaderName(const std::string& nodeDefName)
{
    return SHADER_PREFIX + strippedDefinitionName(nodeDefName);
}

std::string strippedNameOfShader(const std::string& shaderName)
{
    const std::string prefix = SHADER_PREFIX;
    if (shaderName.compare(0, prefix.size(), prefix) != 0)
        return std::string();
    return shaderName.substr(prefix.size());
}

std::string oslSourceFileName(const std::string& nodeDefName)
{
    return strippedDefinitionName(nodeDefName) + SHADER_FILE_EXTENSION;
}
} // namespace rozo
