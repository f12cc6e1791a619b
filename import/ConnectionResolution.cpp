#include "import/ConnectionResolution.h"

#include "plugin/HostCalls.h"
#include "plugin/MtlXIOUtil.h"

namespace rozo
{
std::string mapSlotName(const std::string& mapParameter)
{
    if (mapParameter == "coat_roughness")
        return "coat_rough_map";
    return mapParameter + "_map";
}

namespace
{
// The node on a node's input, by that input's "nodename" among the scope's children.
mx::NodePtr nodeOnInput(const mx::ElementPtr& scope, const mx::NodePtr& node, const std::string& inputName)
{
    mx::InputPtr input = node->getInput(inputName);
    const std::string nodeName = input ? input->getNodeName() : std::string();
    return nodeName.empty() ? nullptr : scope->getChildOfType<mx::Node>(nodeName);
}

// A "scale" that is not one float leaves the strength as it is.
void multiplyByScale(const mx::NodePtr& node, float& strength)
{
    mx::InputPtr scale = node->getInput("scale");
    mx::ValuePtr value = scale ? scale->getValue() : nullptr;
    if (value && value->isA<float>())
        strength *= value->asA<float>();
}
} // namespace
} // namespace rozo

bool MtlXIOUtil::ResolveConnectedInput(IParamBlock2* materialParameters, const mx::ElementPtr& scope,
                                       const mx::InputPtr& input, const std::string& mapParameter,
                                       const std::string& amountParameter)
{
    std::string nodeName = input->getAttribute("nodename");
    const std::string nodeGraphName = input->getAttribute("nodegraph");
    if (nodeName.empty() && nodeGraphName.empty())
        return false;
    std::string outputName = input->getAttribute("output");
    if (outputName.empty())
        outputName = "out";

    mx::ElementPtr lookup = scope;
    if (!nodeGraphName.empty())
    {
        mx::NodeGraphPtr graph = scope->getChildOfType<mx::NodeGraph>(nodeGraphName);
        if (!graph)
        {
            messageLog << "ERROR - node graph not found!\n";
            return false;
        }
        graph->flattenSubgraphs();
        mx::OutputPtr output = graph->getOutput(outputName);
        if (!output)
        {
            messageLog << "ERROR - output not found!\n";
            return false;
        }
        nodeName = output->getNodeName();
        if (nodeName.empty())
        {
            messageLog << "ERROR - output has no nodename!\n";
            return false;
        }
        lookup = graph;
    }

    mx::NodePtr node = lookup->getChildOfType<mx::Node>(nodeName);
    if (!node)
    {
        messageLog << "Node not found: " << nodeName << "! \n";
        return false;
    }

    // The strength of a normal map (and of a height map behind it) becomes the
    // bump amount; the height source then goes straight onto the bump slot.
    mx::NodePtr source = node;
    if (!amountParameter.empty() && node->getCategory() == "normalmap")
    {
        float strength = 1.0f;
        rozo::multiplyByScale(node, strength);
        mx::NodePtr feeding = rozo::nodeOnInput(lookup, node, "in");
        if (feeding && feeding->getCategory() == "heighttonormal")
        {
            rozo::multiplyByScale(feeding, strength);
            source = rozo::nodeOnInput(lookup, feeding, "in");
        }
        rozo::setFloatByName(materialParameters, amountParameter, strength);
    }

    Texmap* map = source ? CreateNodeMap(lookup, source) : nullptr;
    rozo::setTexmapByName(materialParameters, rozo::mapSlotName(mapParameter), map);
    return true;
}
