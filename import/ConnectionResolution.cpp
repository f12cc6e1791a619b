#include "import/ConnectionResolution.h"

#include "import/InterfaceBinding.h"
#include "import/SurfaceMapping.h"
#include "plugin/HostCalls.h"
#include "import/ImportRun.h"
#include "plugin/ParameterAccess.h"

namespace rozo
{
bool followGraphOutput(MessageLog& log, const mx::ElementPtr& scope, const std::string& graphName,
                       const std::string& outputName, mx::NodeGraphPtr& graph, std::string& nodeName)
{
    graph = scope->getChildOfType<mx::NodeGraph>(graphName);
    if (!graph)
    {
        log.report("ERROR - node graph not found!\n", scope->getNamePath());
        return false;
    }
    graph->flattenSubgraphs();
    mx::OutputPtr output = graph->getOutput(outputName.empty() ? std::string("out") : outputName);
    if (!output)
    {
        log.report("ERROR - output not found!\n", graph->getNamePath());
        return false;
    }
    nodeName = output->getNodeName();
    if (nodeName.empty())
    {
        log.report("ERROR - output has no nodename!\n", output->getNamePath());
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

bool ImportRun::ResolveConnectedInput(IParamBlock2* materialParameters, const mx::ElementPtr& scope,
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
        if (!followGraphOutput(messageLog, scope, nodeGraphName, input->getOutputString(), graph, nodeName))
            return false;
        lookup = graph;
    }

    mx::NodePtr node = lookup->getChildOfType<mx::Node>(nodeName);
    if (!node)
    {
        messageLog.report("Node not found: " + nodeName + "! \n", input->getNamePath());
        return false;
    }

    // The strength of a normal map (and of a height map behind it) becomes the
    // bump amount; the height source then goes straight onto the bump slot.
    mx::NodePtr source = node;
    if (!amountParameter.empty() && node->getCategory() == "normalmap")
    {
        float strength = 1.0f;
        multiplyByScale(lookup, node, strength);
        mx::ElementPtr feedingScope = lookup;
        mx::NodePtr feeding = nodeOnInput(feedingScope, node, "in");
        if (feeding && feeding->getCategory() == "heighttonormal")
        {
            multiplyByScale(feedingScope, feeding, strength);
            source = nodeOnInput(feedingScope, feeding, "in");
            lookup = feedingScope;
        }
        setFloatByName(materialParameters, amountParameter, strength);
    }

    Texmap* map = source ? CreateNodeMap(lookup, source) : nullptr;
    setTexmapByName(materialParameters, mapSlotName(mapParameter), map);
    return true;
}
} // namespace rozo
