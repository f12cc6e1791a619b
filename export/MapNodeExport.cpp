#include "plugin/MtlXIOUtil.h"

#include "export/ChildNames.h"
#include "export/HostParams.h"
#include "export/ParameterValueString.h"
#include "import/OslMapSynthesis.h"
#include "plugin/HostCalls.h"

#include <QRegularExpression>

namespace
{
const Class_ID normalMapClass(0x243e22c6, 0x63f6a014);

std::string mapName(Texmap* map)
{
    return rozo::toUtf8(map->GetName());
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
    const QRegularExpressionMatch match = metadata.match(rozo::precompiledOslCode(map).ToQString(), 0);
    if (!match.hasMatch())
        return nullptr;
    category = match.captured(1).toStdString();

    std::string definitionName = rozo::toUtf8(rozo::oslShaderName(map));
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
} // namespace

mx::NodePtr MtlXIOUtil::nodeForMap(Texmap* map, const mx::DocumentPtr& doc, const std::string& type)
{
    const auto cached = exportMapCache.find(map);
    if (cached != exportMapCache.end())
        return cached->second;
    mx::NodePtr node = createMapNode(map, doc, type);
    if (!node)
        messageLog << "Unsupported node " << mapName(map) << "\n";
    exportMapCache[map] = node;
    return node;
}

mx::NodePtr MtlXIOUtil::createMapNode(Texmap* map, const mx::DocumentPtr& doc, const std::string& type)
{
    const std::string name = mapName(map);
    mx::NodePtr node;
    if (rozo::hasOslInterface(map))
    {
        std::string category;
        mx::NodeDefPtr def = oslNodeDef(map, doc, category, exportMatchingNodeDefCache);
        if (!def)
            return nullptr;
        node = doc->addNode(category, uniqueChildName(doc, name, exportChildNames), def->getType());
        for (const mx::InputPtr& input : def->getInputs())
            node->addInput(input->getName(), input->getType());
    }
    else if (dynamic_cast<BitmapTex*>(map))
    {
        node = doc->addNode("tiledimage", uniqueChildName(doc, name, exportChildNames), type);
        node->addInput("uvtiling", "vector2");
        node->addInput("file", "filename");
    }
    else if (map->ClassID() == normalMapClass)
    {
        node = doc->addNode("normalmap", uniqueChildName(doc, name, exportChildNames), "vector3");
        node->addInput("in", "vector3");
        node->addInput("scale", "float");
    }
    else
    {
        return nullptr;
    }
    // Known before its sub-maps are followed, so a map that reaches itself
    // through them connects to its own node instead of recursing.
    exportMapCache[map] = node;
    fillMapNode(map, node, doc, type);
    return node;
}

void MtlXIOUtil::fillMapNode(Texmap* map, const mx::NodePtr& node, const mx::DocumentPtr& doc, const std::string& type)
{
    const bool osl = rozo::hasOslInterface(map);
    IParamBlock2* block = map->GetParamBlock(osl ? 1 : 0);
    mx::NodeDefPtr def = nodeDefOf(node, exportNodeDefCache);
    if (!def)
    {
        messageLog << "Unknown node " << node->getCategory() << "\n";
        return;
    }
    const TimeValue now = GetCOREInterface()->GetTime();

    if (osl)
    {
        for (const mx::InputPtr& declared : def->getInputs())
        {
            const std::string& inputName = declared->getName();
            if (inputName == "frameendaction" || inputName == "filtertype")
                continue;
            const std::string param = rozo::OslParameterName(inputName);
            mx::InputPtr input = node->getInput(inputName);
            if (!input)
                break;
            std::string text = parameterValueString(block, param, input->getType());
            if (inputName == "file")
            {
                input->setAttribute("colorspace", type == "color3" ? "auto" : "none");
                text = exportTexturePath(QString::fromStdString(text));
            }
            if (!text.empty())
                input->setAttribute("value", text);
            if (Texmap* sub = texmapParameter(block, param + "_map", now))
                node->setConnectedNode(inputName, nodeForMap(sub, doc, declared->getType()));
        }
    }
    else if (auto* bitmap = dynamic_cast<BitmapTex*>(map))
    {
        mx::InputPtr file = node->getInput("file");
        if (!file)
            return;
        const std::string path = exportTexturePath(WStr(bitmap->GetMapName()).ToQString());
        if (type == "color3")
            file->setAttribute("colorspace", "auto");
        file->setAttribute("value", path);
        if (StdUVGen* uv = bitmap->GetUVGen())
            node->getInput("uvtiling")->setAttribute("value", floatText(uv->GetUScl(0)) + "," + floatText(uv->GetVScl(0)));
    }
    else
    {
        Texmap* sub = texmapParameter(block, "normal_map", now);
        if (!sub)
            return;
        mx::NodePtr subNode = nodeForMap(sub, doc, "vector3");
        float scale = 1.0f;
        floatParameter(block, "mult_spin", now, scale);
        node->getInput("scale")->setAttribute("value", floatText(scale));
        node->setConnectedNode("in", subNode);
    }
}
