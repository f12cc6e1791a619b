#include "import/ColorSpaces.h"
#include "import/ConnectionResolution.h"
#include "import/FileColorSpace.h"
#include "import/InterfaceBinding.h"
#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"
#include "plugin/contracts/OslNaming.h"
#include "import/ImportOperations.h"

#include <QFile>
#include <QString>

#include <exception>
#include <map>
#include <vector>

namespace rozo
{
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

// A map being built: the node it stands for and how far its inputs are done.
struct rozo::ImportOperations::MapFrame
{
    mx::ElementPtr scope;
    mx::NodePtr node;
    Texmap* map = nullptr;
    /// The block that takes the maps of upstream nodes.
    IParamBlock2* block = nullptr;
    /// A Normal Map's path key; empty for an OSL Map.
    std::string normalKey;
    std::vector<mx::InputPtr> inputs;
    size_t next = 0;
    /// The parameter that takes the map of the frame above, while it is built.
    std::string waitingSlot;
    // A Normal Map's one upstream node, made once the frame is entered.
    mx::ElementPtr upstreamScope;
    mx::NodePtr upstream;
    /// What the node's consumers take when it is not the map itself: the
    /// colour transform after a texture.
    Texmap* output = nullptr;

    Texmap* result() const { return output ? output : map; }
};

// The maps are built on an explicit stack: a chain of connected nodes may be
// far longer than the call stack allows.
Texmap* rozo::ImportOperations::CreateNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node)
{
    std::vector<MapFrame> stack;
    oslMapsOnPath.clear();
    Texmap* result = startNodeMap(scope, node, stack);
    while (!stack.empty())
    {
        if (!stack.back().waitingSlot.empty())
        {
            MapFrame& frame = stack.back();
            if (result && frame.block)
                rozo::setTexmapByName(frame.block, frame.waitingSlot, result);
            frame.waitingSlot.clear();
        }
        mx::ElementPtr upstreamScope;
        mx::NodePtr upstream;
        std::string slot;
        if (nextUpstream(stack.back(), upstreamScope, upstream, slot))
        {
            stack.back().waitingSlot = slot;
            try
            {
                result = startNodeMap(upstreamScope, upstream, stack);
            }
            catch (const std::exception& e)
            {
                messageLog << e.what() << "\n";
                result = nullptr;
            }
            continue;
        }
        result = stack.back().result();
        if (!stack.back().normalKey.empty())
            normalMapsOnPath.erase(stack.back().normalKey);
        oslMapsOnPath.erase(result);
        stack.pop_back();
    }
    return result;
}

Texmap* rozo::ImportOperations::startNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack)
{
    if (node->getCategory() == "normalmap")
        return startNormalMap(scope, node, stack);

    mx::NodeDefPtr nodeDef = node->getNodeDef();
    if (!nodeDef)
    {
        messageLog << "Unknown node " << node->getCategory() << "\n";
        return nullptr;
    }

    auto cached = nodeMapCache.find(node->getName());
    if (cached != nodeMapCache.end())
    {
        // The loop still closes on the cached map, but no renderer can
        // evaluate a graph that feeds itself: say so.
        if (oslMapsOnPath.count(cached->second))
            messageLog << "ERROR: Cycle through node '" << node->getName() << "'\n";
        return cached->second;
    }

    Texmap* map = rozo::createOslMap();
    if (!map || !rozo::hasOslInterface(map))
    {
        if (map)
            rozo::destroyMap(map);
        messageLog << "Failed to create OSL Map\n";
        return nullptr;
    }

    // Entered before any input is followed, so a node reached again while its
    // own map is being built ends the walk with that map.
    map->SetName(rozo::toWide(node->getName()));
    nodeMapCache[node->getName()] = map;

    if (!loadPreparedShader(map, nodeDef->getName()))
    {
        messageLog << "No precompiled implementation for (runtime compile not implemented yet) " << node->getCategory()
                   << "\n";
        nodeMapCache.erase(node->getName());
        rozo::destroyMap(map);
        return nullptr;
    }

    IParamBlock2* shaderBlock = map->GetParamBlock(1);
    rozo::debugLine(L"Name: %s\n", rozo::toUtf8(rozo::oslShaderName(map)));
    if (shaderBlock)
    {
        for (const std::string& parameter : rozo::parameterNames(shaderBlock))
            rozo::debugLine(L"  Par: %s\n", parameter);
    }

    MapFrame frame;
    frame.scope = scope;
    frame.node = node;
    frame.map = map;
    frame.block = shaderBlock;
    frame.inputs = node->getInputs();
    frame.output = carryFileColorSpace(scope, node, map);
    if (frame.output)
        nodeMapCache[node->getName()] = frame.output;
    oslMapsOnPath.insert(frame.result());
    stack.push_back(std::move(frame));
    return nullptr;
}

bool rozo::ImportOperations::loadPreparedShader(Texmap* map, const std::string& nodeDefName)
{
    const mx::FilePath sourcePath =
        installRoot / rozo::OSL_FOLDER / rozo::OSL_MATERIALX_FOLDER / rozo::oslSourceFileName(nodeDefName);
    QString code;
    if (!rozo::readShaderSource(sourcePath, code))
        return false;

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
    return true;
}

Texmap* rozo::ImportOperations::carryFileColorSpace(const mx::ElementPtr& scope, const mx::NodePtr& node, Texmap* map)
{
    const mx::InputPtr file = rozo::firstFileInput(node);
    if (!file)
        return nullptr;
    std::string space = rozo::fileColorSpace(file, rozo::followInterface(scope, file));
    if (!space.empty() && space != rozo::NO_COLOR_SPACE)
    {
        // Kept under the name the library defines, which every reader knows.
        const rozo::ColorSpace* known = rozo::findColorSpace(space);
        if (!known)
            messageLog << "Unknown colour space '" << space << "' on node '" << node->getName()
                       << "': its file is read as it is\n";
        space = known ? known->name : std::string();
    }
    // Remembered even when empty: a document that states no colour space
    // exports without one.
    rozo::setTextByName(map->GetParamBlock(0), rozo::MAP_COLOR_SPACE_PARAMETER, rozo::toWide(space));
    if (!rozo::isColorType(node->getType()) || !rozo::needsColorTransform(space))
        return nullptr;

    // As MaterialX's shader generation does: a transform node after the
    // texture, so that every consumer sees working-space colours.
    Texmap* transform = rozo::createOslMap();
    if (!transform || !rozo::hasOslInterface(transform) ||
        !loadPreparedShader(transform, rozo::colorTransformNodeDef(space, node->getType())))
    {
        if (transform)
            rozo::destroyMap(transform);
        messageLog << "No colour transform from '" << space << "' for node '" << node->getName()
                   << "': its file is read as it is\n";
        return nullptr;
    }
    transform->SetName(rozo::toWide(node->getName() + "_" + rozo::colorTransformCategory(space)));
    rozo::setTexmapByName(transform->GetParamBlock(1), "in_map", map);
    return transform;
}

bool rozo::ImportOperations::nextUpstream(MapFrame& frame, mx::ElementPtr& upstreamScope, mx::NodePtr& upstream,
                                          std::string& slot)
{
    if (!frame.normalKey.empty())
    {
        if (!frame.upstream)
            return false;
        upstreamScope = frame.upstreamScope;
        upstream = frame.upstream;
        frame.upstream = nullptr;
        slot = "normal_map";
        return true;
    }

    while (frame.next < frame.inputs.size())
    {
        const mx::InputPtr& input = frame.inputs[frame.next++];
        // One bad value costs only its own parameter.
        try
        {
            const std::string parameter = rozo::OslParameterName(input->getName());
            const rozo::BoundInput bound = rozo::followInterface(frame.scope, input);
            mx::ElementPtr lookup = bound.scope;
            std::string nodeName = bound.input->getNodeName();
            if (bound.graphInput && bound.input->hasNodeGraphString())
            {
                mx::NodeGraphPtr graph;
                if (!rozo::followGraphOutput(messageLog, bound.scope, bound.input->getNodeGraphString(),
                                             bound.input->getOutputString(), graph, nodeName))
                    continue;
                lookup = graph;
            }
            if (nodeName.empty())
            {
                setParameterFromValue(frame.block, parameter,
                                      rozo::workingSpaceValue(bound.input, rozo::documentValue(bound.input)));
                continue;
            }
            mx::NodePtr linked = rozo::linkedNode(lookup, nodeName);
            if (!linked)
            {
                messageLog << "ERROR: Can't find linked node '" << nodeName << "'\n";
                continue;
            }
            upstreamScope = lookup;
            upstream = linked;
            slot = parameter + "_map";
            return true;
        }
        catch (const std::exception& e)
        {
            messageLog << e.what() << "\n";
        }
    }
    return false;
}

WStr rozo::ImportOperations::precompiledCode(const QString& sourceCode)
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

Texmap* rozo::ImportOperations::startNormalMap(const mx::ElementPtr& scope, const mx::NodePtr& node,
                                               std::vector<MapFrame>& stack)
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
    if (!in)
        return normalMap;
    const rozo::BoundInput bound = rozo::followInterface(scope, in);
    const std::string nodeName = bound.input->getNodeName();
    if (nodeName.empty())
        return normalMap;

    mx::NodePtr upstream = rozo::linkedNode(bound.scope, nodeName);
    if (!upstream)
    {
        messageLog << "ERROR: Can't find linked node '" << nodeName << "'\n";
        rozo::destroyMap(normalMap);
        return nullptr;
    }

    normalMapsOnPath.insert(key);
    MapFrame frame;
    frame.scope = scope;
    frame.node = node;
    frame.map = normalMap;
    frame.block = normalMap->GetParamBlock(0);
    frame.normalKey = key;
    frame.upstreamScope = bound.scope;
    frame.upstream = upstream;
    stack.push_back(std::move(frame));
    return nullptr;
}
