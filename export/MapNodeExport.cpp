#include "export/ExportRun.h"

#include "export/ChildNames.h"
#include "export/ConnectKeepingValue.h"
#include "export/FileColorSpaceExport.h"
#include "plugin/ParameterAccess.h"
#include "plugin/contracts/OslNaming.h"
#include "export/ParameterValueString.h"
#include "import/ColorSpaces.h"
#include "import/FileColorSpace.h"
#include "plugin/HostCalls.h"

#include <QRegularExpression>

namespace rozo
{
namespace
{

std::string mapName(Texmap* map)
{
    return toUtf8(map->GetName());
}

// The node's definition, asked of the document once per node shape.
mx::NodeDefPtr nodeDefOf(const mx::NodePtr& node, std::map<std::string, mx::NodeDefPtr>& cache)
{
    std::string shape = node->getCategory() + ' ' + node->getType();
    for (const mx::InputPtr& input : node->getInputs())
        shape += ' ' + input->getName() + ':' + input->getType();
    auto found = cache.try_emplace(shape);
    if (found.second)
        found.first->second = node->getNodeDef();
    return found.first->second;
}

// The node definition an OSL Map was made from: its precompiled code records
// the category, its shader name the definition ("mx_image_color3" for
// ND_image_color3). The last matching definition wins.
mx::NodeDefPtr oslNodeDef(Texmap* map, const mx::DocumentPtr& doc, std::string& category,
                          std::map<std::string, std::vector<mx::NodeDefPtr>>& cache)
{
    static const QRegularExpression metadata("string,mtlx_node,\"(.*)\"");
    const QRegularExpressionMatch match = metadata.match(precompiledOslCode(map).ToQString(), 0);
    if (!match.hasMatch())
        return nullptr;
    category = match.captured(1).toStdString();

    std::string definitionName = toUtf8(oslShaderName(map));
    if (definitionName.size() < 2)
        return nullptr;
    definitionName.replace(0, 2, "ND");

    mx::NodeDefPtr found;
    auto defs = cache.try_emplace(category);
    if (defs.second)
        defs.first->second = doc->getMatchingNodeDefs(category);
    for (const mx::NodeDefPtr& def : defs.first->second)
        if (def->getName() == definitionName)
            found = def;
    return found;
}

// The document states its working space exactly when one of its file inputs
// names a colour space: every published document does, and a document read
// from one that named none is written back without.
void stateColorSpace(const mx::InputPtr& file, const std::string& space)
{
    file->setColorSpace(space);
    mx::DocumentPtr doc = file->getDocument();
    if (!doc->hasColorSpace())
        doc->setColorSpace(WORKING_COLOR_SPACE);
}

// The texture an import's colour transform stands after, when the texture
// remembers the transform's source space: its file input states that space
// again, so the transform itself is not written. Any other map as it is.
Texmap* behindColorTransform(Texmap* map)
{
    if (!map || !hasOslInterface(map))
        return map;
    // "mx_srgb_texture_to_lin_rec709_color3": the category between "mx_" and the type.
    const std::string stem = strippedNameOfShader(toUtf8(oslShaderName(map)));
    const size_t typeStart = stem.rfind('_');
    if (typeStart == std::string::npos || typeStart == 0)
        return map;
    const ColorSpace* source = colorSpaceOfTransform(stem.substr(0, typeStart));
    if (!source)
        return map;
    Texmap* texture = texmapParameter(map->GetParamBlock(1), "in_map", GetCOREInterface()->GetTime());
    const std::optional<std::string> remembered = rememberedColorSpace(texture);
    return remembered && *remembered == source->name ? texture : map;
}
} // namespace

// A map node whose sub-maps are being translated.
struct ExportRun::MapNodeFrame
{
    Texmap* map = nullptr;
    mx::NodePtr node;
    IParamBlock2* block = nullptr;
    /// The type its user asked for.
    std::string type;
    bool normal = false;
    /// The definition's inputs still to fill (OSL Maps).
    std::vector<mx::InputPtr> declared;
    size_t next = 0;
    /// The input that takes the node of the frame above, while it is made.
    std::string waitingInput;
    /// A Normal Map's sub-map, until it is asked for.
    Texmap* normalSource = nullptr;
};

// Sub-maps are translated on an explicit stack: a chain of maps may be far
// longer than the call stack allows.
mx::NodePtr ExportRun::nodeForMap(Texmap* map, const mx::DocumentPtr& doc, const std::string& type)
{
    std::vector<MapNodeFrame> stack;
    mx::NodePtr result = startMapNode(map, doc, type, stack);
    while (!stack.empty())
    {
        MapNodeFrame& frame = stack.back();
        if (!frame.waitingInput.empty())
        {
            connectSubNode(frame, result);
            frame.waitingInput.clear();
        }
        Texmap* sub = nullptr;
        std::string subType;
        if (nextSubMap(frame, sub, subType))
        {
            result = startMapNode(sub, doc, subType, stack);
            continue;
        }
        removeUnboundInputs(frame.node);
        result = frame.node;
        exportMapCache[frame.map] = frame.node;
        stack.pop_back();
    }
    return result;
}

mx::NodePtr ExportRun::startMapNode(Texmap* map, const mx::DocumentPtr& doc, const std::string& type,
                                    std::vector<MapNodeFrame>& stack)
{
    map = behindColorTransform(map);
    const auto cached = exportMapCache.find(map);
    if (cached != exportMapCache.end())
        return cached->second;
    mx::NodePtr node = createMapNode(map, doc, type);
    // Known before its sub-maps are followed, so a map that reaches itself
    // through them connects to its own node instead of going round.
    exportMapCache[map] = node;
    if (!node)
    {
        messageLog.report("Unsupported node " + mapName(map) + "\n");
        return node;
    }
    if (fillMapNode(map, node, type, stack))
        removeUnboundInputs(node);
    return node;
}

mx::NodePtr ExportRun::createMapNode(Texmap* map, const mx::DocumentPtr& doc, const std::string& type)
{
    const std::string name = mapName(map);
    mx::NodePtr node;
    if (hasOslInterface(map))
    {
        std::string category;
        mx::NodeDefPtr def = oslNodeDef(map, doc, category, matchingNodeDefCache_);
        if (!def)
            return nullptr;
        node = doc->addNode(category, uniqueChildName(doc, name, childNames_), def->getType());
        for (const mx::InputPtr& input : def->getInputs())
            node->addInput(input->getName(), input->getType());
    }
    else if (dynamic_cast<BitmapTex*>(map))
    {
        node = doc->addNode("tiledimage", uniqueChildName(doc, name, childNames_), type);
        node->addInput("uvtiling", "vector2");
        node->addInput("file", "filename");
    }
    else if (map->ClassID() == NORMAL_MAP_CLASS_ID)
    {
        node = doc->addNode("normalmap", uniqueChildName(doc, name, childNames_), "vector3");
        node->addInput("in", "vector3");
        node->addInput("scale", "float");
    }
    return node;
}

bool ExportRun::fillMapNode(Texmap* map, const mx::NodePtr& node, const std::string& type,
                            std::vector<MapNodeFrame>& stack)
{
    const bool osl = hasOslInterface(map);
    IParamBlock2* block = map->GetParamBlock(osl ? 1 : 0);
    mx::NodeDefPtr def = nodeDefOf(node, nodeDefCache_);
    if (!def)
    {
        // Without a definition there is no default to fall back on: the node
        // stays as made.
        messageLog.report("Unknown node " + node->getCategory() + "\n", node->getNamePath());
        return false;
    }

    MapNodeFrame frame;
    frame.map = map;
    frame.node = node;
    frame.block = block;
    frame.type = type;
    if (osl)
    {
        frame.declared = def->getInputs();
        stack.push_back(std::move(frame));
        return false;
    }
    if (auto* bitmap = dynamic_cast<BitmapTex*>(map))
    {
        mx::InputPtr file = node->getInput("file");
        if (!file)
            return true;
        const std::string path = exportTexturePath(WStr(bitmap->GetMapName()).ToQString());
        if (isColorType(type))
            stateColorSpace(file, automaticColorSpace(path));
        file->setValueString(path);
        if (StdUVGen* uv = bitmap->GetUVGen())
            node->getInput("uvtiling")->setValueString(floatText(uv->GetUScl(0)) + "," + floatText(uv->GetVScl(0)));
        return true;
    }
    frame.normal = true;
    frame.normalSource = texmapParameter(block, "normal_map", GetCOREInterface()->GetTime());
    if (!frame.normalSource)
        return true;
    stack.push_back(std::move(frame));
    return false;
}

bool ExportRun::nextSubMap(MapNodeFrame& frame, Texmap*& sub, std::string& subType)
{
    if (frame.normal)
    {
        if (!frame.normalSource)
            return false;
        sub = frame.normalSource;
        frame.normalSource = nullptr;
        subType = "vector3";
        frame.waitingInput = "in";
        return true;
    }

    const TimeValue now = GetCOREInterface()->GetTime();
    while (frame.next < frame.declared.size())
    {
        const mx::InputPtr& declared = frame.declared[frame.next++];
        const std::string& inputName = declared->getName();
        if (inputName == "frameendaction" || inputName == "filtertype")
            continue;
        const std::string param = OslParameterName(inputName);
        mx::InputPtr input = frame.node->getInput(inputName);
        if (!input)
        {
            frame.next = frame.declared.size();
            break;
        }
        Texmap* map = texmapParameter(frame.block, param + "_map", now);
        std::string text = parameterValueString(frame.block, param, input->getType());
        if (input->getType() == "filename")
        {
            text = exportTexturePath(QString::fromStdString(text));
            const std::optional<std::string> space = exportedColorSpace(
                rememberedColorSpace(frame.map), text, isColorType(frame.node->getType()));
            if (space)
                stateColorSpace(input, *space);
        }
        // A geometric default (texture coordinates, position, normal, ...) is
        // no constant: the shader's placeholder for it is left to the
        // definition unless the user changed it.
        const bool geometric = declared->hasDefaultGeomPropString() && !map &&
                               text == parameterDefaultString(frame.block, param, input->getType());
        if (!text.empty() && !geometric)
            input->setValueString(text);
        if (map)
        {
            sub = map;
            subType = declared->getType();
            frame.waitingInput = inputName;
            return true;
        }
    }
    return false;
}

void ExportRun::connectSubNode(MapNodeFrame& frame, const mx::NodePtr& subNode)
{
    if (frame.normal)
    {
        // A Normal Map: its strength goes with the connection.
        float scale = 1.0f;
        floatParameter(frame.block, "mult_spin", GetCOREInterface()->GetTime(), scale);
        frame.node->getInput("scale")->setValueString(floatText(scale));
    }
    mx::InputPtr input = frame.node->getInput(frame.waitingInput);
    if (!input)
        input = frame.node->addInput(frame.waitingInput, subNode ? subNode->getType() : std::string());
    connectKeepingValue(input, subNode);
}

void ExportRun::removeUnboundInputs(const mx::NodePtr& node)
{
    // An input that binds nothing is invalid; without it the node takes its
    // definition's default, which is what leaving it unset means.
    std::vector<std::string> unbound;
    for (const mx::InputPtr& input : node->getInputs())
        if (!input->hasNodeName() && input->getValueString().empty())
            unbound.push_back(input->getName());
    for (const std::string& name : unbound)
        node->removeInput(name);
}
} // namespace rozo
