#include "import/OslMapSynthesis.h"

#include "plugin/HostCalls.h"
#include "plugin/MtlXIOUtil.h"

#include <QFile>
#include <QString>

#include <exception>
#include <map>

namespace rozo
{
std::string OslParameterName(const std::string& inputName)
{
    static const std::map<std::string, std::string> table = {
        {"mix", "mix1"},
        {"default", "default1"},
        {"normal", "normal1"},
    };
    auto it = table.find(inputName);
    return it == table.end() ? inputName : it->second;
}

std::string oslSourceFileName(const std::string& nodeDefName)
{
    const std::string prefix = "ND_";
    std::string name = nodeDefName;
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0)
        name.erase(0, prefix.size());
    return name + ".osl";
}

namespace
{
const char* const OSL_FOLDER = "osl";
const char* const OSL_MATERIALX_FOLDER = "materialx";
const char* const OSL_INCLUDE_NAME = "mx_funcs.h";
const char* const OSL_INCLUDE_PATH = "osl/materialx/mx_funcs.h";

// The node named by an input's "nodename", looked up among the scope's children.
mx::NodePtr linkedNode(const mx::ElementPtr& scope, const std::string& nodeName)
{
    return nodeName.empty() ? nullptr : scope->getChildOfType<mx::Node>(nodeName);
}

// The whole prepared file as text, up to a zero byte if it has one; false when unreadable.
bool readShaderSource(const mx::FilePath& path, QString& code)
{
    QFile file(QString::fromStdString(path.asString(mx::FilePath::FormatNative)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    code = QString::fromUtf8(bytes);
    return true;
}
} // namespace
} // namespace rozo

Texmap* MtlXIOUtil::CreateNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node)
{
    if (node->getCategory() == "normalmap")
        return createNormalMap(scope, node);

    mx::NodeDefPtr nodeDef = node->getNodeDef();
    if (!nodeDef)
    {
        messageLog << "Unknown node " << node->getCategory() << "\n";
        return nullptr;
    }

    auto cached = nodeMapCache.find(node->getName());
    if (cached != nodeMapCache.end())
        return cached->second;

    const mx::FilePath sourcePath =
        installRoot / rozo::OSL_FOLDER / rozo::OSL_MATERIALX_FOLDER / rozo::oslSourceFileName(nodeDef->getName());

    Texmap* map = rozo::createOslMap();
    if (!map || !rozo::hasOslInterface(map))
    {
        if (map)
            rozo::destroyMap(map);
        messageLog << "Failed to create OSL Map\n";
        return nullptr;
    }

    // Entered before any input is followed, so a node reached again while its
    // own map is being built ends the recursion with that map.
    map->SetName(rozo::toWide(node->getName()));
    nodeMapCache[node->getName()] = map;

    QString code;
    if (!rozo::readShaderSource(sourcePath, code))
    {
        messageLog << "No precompiled implementation for (runtime compile not implemented yet) " << node->getCategory()
                   << "\n";
        nodeMapCache.erase(node->getName());
        rozo::destroyMap(map);
        return nullptr;
    }

    if (fixedIncludePath)
    {
        const mx::FilePath includePath = installRoot / rozo::OSL_INCLUDE_PATH;
        code.replace(QString::fromLatin1(rozo::OSL_INCLUDE_NAME),
                     QString::fromStdString(includePath.asString(mx::FilePath::FormatPosix)), Qt::CaseSensitive);
    }

    IParamBlock2* codeBlock = map->GetParamBlock(0);
    if (usePrecompiledOsl)
        rozo::setTextByName(codeBlock, "OSLCode", precompiledCode(code));
    else
        rozo::setTextByName(codeBlock, "OSLCode", rozo::toWide(code));

    IParamBlock2* shaderBlock = map->GetParamBlock(1);
    rozo::debugLine(L"Name: %s\n", rozo::toUtf8(rozo::oslShaderName(map)));
    if (shaderBlock)
    {
        for (const std::string& parameter : rozo::parameterNames(shaderBlock))
            rozo::debugLine(L"  Par: %s\n", parameter);
    }

    for (const mx::InputPtr& input : node->getInputs())
    {
        // One bad value costs only its own parameter.
        try
        {
            const std::string parameter = rozo::OslParameterName(input->getName());
            const std::string nodeName = input->getNodeName();
            if (nodeName.empty())
            {
                setParameterFromValue(shaderBlock, parameter, input->getValue());
                continue;
            }
            mx::NodePtr upstream = rozo::linkedNode(scope, nodeName);
            if (!upstream)
            {
                messageLog << "ERROR: Can't find linked node '" << nodeName << "'\n";
                continue;
            }
            if (Texmap* upstreamMap = CreateNodeMap(scope, upstream))
                rozo::setTexmapByName(shaderBlock, parameter + "_map", upstreamMap);
        }
        catch (const std::exception& e)
        {
            messageLog << e.what() << "\n";
        }
    }
    return map;
}

WStr MtlXIOUtil::precompiledCode(const QString& sourceCode)
{
    const std::string key = sourceCode.toStdString();
    auto cached = precompiledCodeCache.find(key);
    if (cached != precompiledCodeCache.end())
        return cached->second;

    // The host compiles the code of a map: a temporary one serves, released at once.
    WStr precompiled;
    Texmap* compiler = rozo::createOslMap();
    if (compiler && rozo::hasOslInterface(compiler))
    {
        rozo::setTextByName(compiler->GetParamBlock(0), "OSLCode", rozo::toWide(sourceCode));
        precompiled = rozo::precompiledOslCode(compiler);
    }
    if (compiler)
        compiler->MaybeAutoDelete();
    precompiledCodeCache.emplace(key, precompiled);
    return precompiled;
}

Texmap* MtlXIOUtil::createNormalMap(const mx::ElementPtr& scope, const mx::NodePtr& node)
{
    // Normal Maps are never cached, so a loop made of normalmap nodes alone
    // would never reach a cached map: the normalmap nodes on the path end it.
    const std::string key = node->getNamePath();
    if (normalMapsOnPath.count(key))
    {
        messageLog << "ERROR: Cycle through node '" << node->getName() << "'\n";
        return nullptr;
    }

    Texmap* normalMap = rozo::createNormalMapObject();
    if (!normalMap)
        return nullptr;

    mx::InputPtr in = node->getInput("in");
    const std::string nodeName = in ? in->getNodeName() : std::string();
    if (nodeName.empty())
        return normalMap;

    mx::NodePtr upstream = rozo::linkedNode(scope, nodeName);
    if (!upstream)
    {
        messageLog << "ERROR: Can't find linked node '" << nodeName << "'\n";
        rozo::destroyMap(normalMap);
        return nullptr;
    }

    Texmap* upstreamMap = nullptr;
    {
        normalMapsOnPath.insert(key);
        struct LeavePath
        {
            std::set<std::string>& path;
            const std::string& key;
            ~LeavePath() { path.erase(key); }
        } leave{normalMapsOnPath, key};
        upstreamMap = CreateNodeMap(scope, upstream);
    }

    if (upstreamMap)
    {
        if (IParamBlock2* block = normalMap->GetParamBlock(0))
            rozo::setTexmapByName(block, "normal_map", upstreamMap);
    }
    return normalMap;
}
