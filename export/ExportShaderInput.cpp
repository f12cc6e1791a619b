#include "export/ExportRun.h"

#include "export/ChildNames.h"
#include "export/ConnectKeepingValue.h"
#include "plugin/ParameterAccess.h"
#include "export/ParameterValueString.h"

namespace rozo
{
void ExportRun::exportShaderInput(IParamBlock2* block, const mx::DocumentPtr& doc, const mx::NodePtr& node,
                                  const std::string& input, const std::string& type, const std::string& valueParam,
                                  const std::string& mapParam, const std::string& amountParam)
{
    Texmap* map = mapParam.empty() ? nullptr : texmapParameter(block, mapParam, 0);
    if (!map && valueParam.empty())
        return;

    const std::string text = parameterValueString(block, valueParam, type);
    mx::InputPtr in = node->addInput(input, type);
    if (!valueParam.empty() && !text.empty())
        in->setValueString(text);
    if (!map)
        return;

    mx::NodePtr source;
    if (!amountParam.empty() && map->ClassID() != NORMAL_MAP_CLASS_ID)
    {
        // A height map: converted per row, so each bump input gets its own
        // strength. Unnamed nodes are named as the library would: node1, node2, ...
        mx::NodePtr height = nodeForMap(map, doc, "float");
        mx::NodePtr toNormal = doc->addNode("heighttonormal", uniqueChildName(doc, "node1", childNames_), "vector3");
        toNormal->addInput("in", "float")->setConnectedNode(height);
        mx::NodePtr normalMap = doc->addNode("normalmap", uniqueChildName(doc, "node1", childNames_), "vector3");
        normalMap->addInput("in", "vector3")->setConnectedNode(toNormal);
        normalMap->addInput("scale", "float")->setValueString(parameterValueString(block, amountParam, "float"));
        source = normalMap;
    }
    else
    {
        source = nodeForMap(map, doc, in->getType());
    }
    connectKeepingValue(in, source);
}
} // namespace rozo
