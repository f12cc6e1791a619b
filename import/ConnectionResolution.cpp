#include "import/ConnectionResolution.h"

#include "import/InterfaceBinding.h"
#include "import/SurfaceMapping.h"
#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"
#include "import/ImportOperations.h"

namespace rozo
{
bool followGraphOutput(std::ostream& log, const mx::ElementPtr& scope, const std::string& graphName,
                       const std::string& outputName, mx::NodeGraphPtr& graph, std::string& nodeName)
{
    graph = scope->getChildOfType<mx::NodeGraph>(graphName);
    if (!graph)
    {
        log << "ERROR - node graph not found!\n";
        return false;
    }
    graph->flattenSubgraphs();
    mx::OutputPtr output = graph->getOutput(outputName.empty() ? std::string("out") : outputName);
    if (!output)
    {
        log << "ERROR - output not found!\n";
        return false;
    }
    nodeName = output->getNodeName();
    if (nodeName.empty())
    {
        log << "ERROR - output has no nodename!\n";
        return false;
    }
    return true;
}

namespace
{
// The node on a node's input, by its binding's "nodename" among the children
// of the binding's scope; that scope becomes the one to look further in.
mx::NodePtr nodeOnInput(mx::ElementPtr& scope, const mx::NodePtr& node, const std::string& inputName)
{
    mx::InputPtr input = node->getInput(inputName);
    if (!input)
        return nullptr;
    const BoundInput bound = followInterface(scope, input);
    const std::string nodeName = bound.input->getNodeName();
    if (nodeName.empty())
        return nullptr;
    mx::NodePtr found = bound.scope->getChildOfType<mx::Node>(nodeName);
    if (found)
        scope = bound.scope;
    return found;
}

// A "scale" that is not one float leaves the strength as it is.
void multiplyByScale(const mx::ElementPtr& scope, const mx::NodePtr& node, float& strength)
{
    mx::InputPtr scale = node->getInput("scale");
    mx::ValuePtr value = scale ? followInterface(scope, scale).input->getValue() : nullptr;
    if (value && value->isA<float>())
        strength *= value->asA<float>();
}
} // namespace
} // namespace rozo

bool rozo::ImportOperations::ResolveConnectedInput(IParamBlock2* materialParameters, const mx::ElementPtr& scope,
                                                   const mx::InputPtr& input, const std::string& mapParameter,
                                                   const std::string& amountParameter)
{
    std::string nodeName = input->getNodeName();
    const std::string nodeGraphName = input->getNodeGraphString();
    if (nodeName.empty() && nodeGraphName.empty())
        return false;

    mx::ElementPtr lookup = scope;
    if (!nodeGraphName.empty())
    {
        mx::NodeGraphPtr graph;
        if (!rozo::followGraphOutput(messageLog, scope, nodeGraphName, input->getOutputString(), graph, nodeName))
            return false;
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
        rozo::multiplyByScale(lookup, node, strength);
        mx::ElementPtr feedingScope = lookup;
        mx::NodePtr feeding = rozo::nodeOnInput(feedingScope, node, "in");
        if (feeding && feeding->getCategory() == "heighttonormal")
        {
            rozo::multiplyByScale(feedingScope, feeding, strength);
            source = rozo::nodeOnInput(feedingScope, feeding, "in");
            lookup = feedingScope;
        }
        rozo::setFloatByName(materialParameters, amountParameter, strength);
    }

    Texmap* map = source ? CreateNodeMap(lookup, source) : nullptr;
    rozo::setTexmapByName(materialParameters, rozo::mapSlotName(mapParameter), map);
    return true;
}
