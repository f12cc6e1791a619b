#include "import/ColorSpaces.h"
#include "import/ConnectionResolution.h"
#include "import/FileColorSpace.h"
#include "import/InterfaceBinding.h"
#include "plugin/HostCalls.h"
#include "import/ImportRun.h"
#include "plugin/ParameterAccess.h"
#include "plugin/contracts/OslNaming.h"

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

// A map being built: the node it stands for and how far its inputs are done.
struct ImportRun::MapFrame
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
Texmap* ImportRun::CreateNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node)
{
    std::vector<MapFrame> stack;
    oslMapsOnPath_.clear();
    Texmap* result = startNodeMap(scope, node, stack);
    while (!stack.empty())
    {
        if (!stack.back().waitingSlot.empty())
        {
            MapFrame& frame = stack.back();
            if (result && frame.block)
                setTexmapByName(frame.block, frame.waitingSlot, result);
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
                messageLog.report(std::string(e.what()) + "\n", upstream->getNamePath());
                result = nullptr;
            }
            continue;
        }
        result = stack.back().result();
        if (!stack.back().normalKey.empty())
            normalMapsOnPath_.erase(stack.back().normalKey);
        oslMapsOnPath_.erase(result);
        stack.pop_back();
    }
    return result;
}

Texmap* ImportRun::startNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack)
{
    if (node->getCategory() == "normalmap")
        return startNormalMap(scope, node, stack);

    mx::NodeDefPtr nodeDef = node->getNodeDef();
    if (!nodeDef)
    {
        messageLog.report("Unknown node " + node->getCategory() + "\n", node->getNamePath());
        return nullptr;
    }

    auto cached = nodeMapCache.find(node->getName());
    if (cached != nodeMapCache.end())
    {
        // The loop still closes on the cached map, but no renderer can
        // evaluate a graph that feeds itself: say so.
        if (oslMapsOnPath_.count(cached->second))
            messageLog.report("ERROR: Cycle through node '" + node->getName() + "'\n", node->getNamePath());
        return cached->second;
    }

    Texmap* map = startOslMap(node, nodeDef);
    if (!map)
        return nullptr;

    MapFrame frame;
    frame.scope = scope;
    frame.node = node;
    frame.map = map;
    frame.block = map->GetParamBlock(1);
    frame.inputs = node->getInputs();
    frame.output = carryFileColorSpace(scope, node, map);
    if (frame.output)
        nodeMapCache[node->getName()] = frame.output;
    oslMapsOnPath_.insert(frame.result());
    stack.push_back(std::move(frame));
    return nullptr;
}

Texmap* ImportRun::startOslMap(const mx::NodePtr& node, const mx::NodeDefPtr& nodeDef)
{
    Texmap* map = createOslMap();
    if (!map || !hasOslInterface(map))
    {
        if (map)
            destroyMap(map);
        messageLog.report("Failed to create OSL Map\n", node->getNamePath());
        return nullptr;
    }

    // Entered before any input is followed, so a node reached again while its
    // own map is being built ends the walk with that map.
    map->SetName(toWide(node->getName()));
    nodeMapCache[node->getName()] = map;

    if (!loadPreparedShader(map, nodeDef->getName()))
    {
        messageLog.report("No precompiled implementation for (runtime compile not implemented yet) " +
                              node->getCategory() + "\n",
                          node->getNamePath());
        nodeMapCache.erase(node->getName());
        destroyMap(map);
        return nullptr;
    }

    IParamBlock2* shaderBlock = map->GetParamBlock(1);
    debugLine(L"Name: %s\n", toUtf8(oslShaderName(map)));
    if (shaderBlock)
    {
        for (const std::string& parameter : parameterNames(shaderBlock))
            debugLine(L"  Par: %s\n", parameter);
    }
    return map;
}

bool ImportRun::loadPreparedShader(Texmap* map, const std::string& nodeDefName)
{
    const mx::FilePath sourcePath =
        settings_.installRoot / OSL_FOLDER / OSL_MATERIALX_FOLDER / oslSourceFileName(nodeDefName);
    QString code;
    if (!readShaderSource(sourcePath, code))
        return false;

    if (settings_.fixedIncludePath)
    {
        const mx::FilePath includePath = settings_.installRoot / OSL_INCLUDE_PATH;
        code.replace(QString::fromLatin1(OSL_INCLUDE_NAME),
                     QString::fromStdString(includePath.asString(mx::FilePath::FormatPosix)), Qt::CaseSensitive);
    }

    IParamBlock2* codeBlock = map->GetParamBlock(0);
    if (settings_.usePrecompiledOsl)
        setTextByName(codeBlock, "OSLCode", shaderCache_.codeFor(code));
    else
        setTextByName(codeBlock, "OSLCode", toWide(code));
    return true;
}

Texmap* ImportRun::carryFileColorSpace(const mx::ElementPtr& scope, const mx::NodePtr& node, Texmap* map)
{
    const mx::InputPtr file = firstFileInput(node);
    if (!file)
        return nullptr;
    std::string space = fileColorSpace(file, followInterface(scope, file));
    if (!space.empty() && space != NO_COLOR_SPACE)
    {
        // Kept under the name the library defines, which every reader knows.
        const ColorSpace* known = findColorSpace(space);
        if (!known)
            messageLog.report("Unknown colour space '" + space + "' on node '" + node->getName() +
                                  "': its file is read as it is\n",
                              node->getNamePath());
        space = known ? known->name : std::string();
    }
    // Remembered even when empty: a document that states no colour space
    // exports without one.
    setTextByName(map->GetParamBlock(0), MAP_COLOR_SPACE_PARAMETER, toWide(space));
    if (!isColorType(node->getType()) || !needsColorTransform(space))
        return nullptr;

    // As MaterialX's shader generation does: a transform node after the
    // texture, so that every consumer sees working-space colours.
    Texmap* transform = createOslMap();
    if (!transform || !hasOslInterface(transform) ||
        !loadPreparedShader(transform, colorTransformNodeDef(space, node->getType())))
    {
        if (transform)
            destroyMap(transform);
        messageLog.report("No colour transform from '" + space + "' for node '" + node->getName() +
                              "': its file is read as it is\n",
                          node->getNamePath());
        return nullptr;
    }
    transform->SetName(toWide(node->getName() + "_" + colorTransformCategory(space)));
    setTexmapByName(transform->GetParamBlock(1), "in_map", map);
    return transform;
}

bool ImportRun::nextUpstream(MapFrame& frame, mx::ElementPtr& upstreamScope, mx::NodePtr& upstream,
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
        const mx::InputPtr input = frame.inputs[frame.next++];
        // One bad value costs only its own parameter.
        try
        {
            const std::string parameter = OslParameterName(input->getName());
            const BoundInput bound = followInterface(frame.scope, input);
            mx::ElementPtr lookup = bound.scope;
            std::string nodeName = bound.input->getNodeName();
            if (bound.graphInput && bound.input->hasNodeGraphString())
            {
                mx::NodeGraphPtr graph;
                if (!followGraphOutput(messageLog, bound.scope, bound.input->getNodeGraphString(),
                                       bound.input->getOutputString(), graph, nodeName))
                    continue;
                lookup = graph;
            }
            if (nodeName.empty())
            {
                setParameterFromValue(frame.block, parameter,
                                      workingSpaceValue(bound.input, documentValue(bound.input)));
                continue;
            }
            mx::NodePtr linked = linkedNode(lookup, nodeName);
            if (!linked)
            {
                messageLog.report("ERROR: Can't find linked node '" + nodeName + "'\n", input->getNamePath());
                continue;
            }
            upstreamScope = lookup;
            upstream = linked;
            slot = parameter + "_map";
            return true;
        }
        catch (const std::exception& e)
        {
            messageLog.report(std::string(e.what()) + "\n", input->getNamePath());
        }
    }
    return false;
}

Texmap* ImportRun::startNormalMap(const mx::ElementPtr& scope, const mx::NodePtr& node,
                                  std::vector<MapFrame>& stack)
{
    // Normal Maps are never cached, so a loop made of normalmap nodes alone
    // would never reach a cached map: the normalmap nodes on the path end it.
    const std::string key = node->getNamePath();
    if (normalMapsOnPath_.count(key))
    {
        messageLog.report("ERROR: Cycle through node '" + node->getName() + "'\n", key);
        return nullptr;
    }

    Texmap* normalMap = createNormalMapObject();
    if (!normalMap)
        return nullptr;

    mx::InputPtr in = node->getInput("in");
    if (!in)
        return normalMap;
    const BoundInput bound = followInterface(scope, in);
    const std::string nodeName = bound.input->getNodeName();
    if (nodeName.empty())
        return normalMap;

    mx::NodePtr upstream = linkedNode(bound.scope, nodeName);
    if (!upstream)
    {
        messageLog.report("ERROR: Can't find linked node '" + nodeName + "'\n", in->getNamePath());
        destroyMap(normalMap);
        return nullptr;
    }

    normalMapsOnPath_.insert(key);
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
} // namespace rozo
