#include "import/InterfaceBinding.h"

namespace rozo
{
namespace
{
bool bindsSomething(const mx::InputPtr& input)
{
    return input->hasValueString() || input->hasNodeName() || input->hasNodeGraphString() ||
           input->hasInterfaceName();
}
} // namespace

BoundInput followInterface(const mx::ElementPtr& scope, const mx::InputPtr& input)
{
    BoundInput bound{ input, scope, false };
    // Each step moves one level up the element tree, so the walk ends.
    while (bound.input->hasInterfaceName())
    {
        mx::NodeGraphPtr graph = bound.scope ? bound.scope->asA<mx::NodeGraph>() : nullptr;
        mx::ElementPtr parent = graph ? graph->getParent() : nullptr;
        if (!parent)
            break;
        mx::InputPtr graphInput = graph->getInput(bound.input->getInterfaceName());
        if (!graphInput || graphInput == bound.input || !bindsSomething(graphInput))
            break;
        bound = BoundInput{ graphInput, parent, true };
    }
    return bound;
}

mx::ValuePtr documentValue(const mx::InputPtr& input)
{
    if (input->getType() != "filename" || !input->hasValueString())
        return input->getValue();
    return mx::Value::createValueFromStrings(input->getResolvedValueString(), input->getType());
}
} // namespace rozo
