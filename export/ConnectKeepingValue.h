#pragma once
// Export writes an input's value beside its connection: a reader takes the
// connection, and the value keeps what the host had behind the map. MaterialX
// 1.39's setConnectedNode drops the value, so the export names the node itself.

#include <MaterialXCore/Node.h>

namespace rozo
{
/// Connects `input` to `node` (none disconnects), leaving its value as it is.
inline void connectKeepingValue(const MaterialX::InputPtr& input, const MaterialX::NodePtr& node)
{
    if (node)
        input->setNodeName(node->getName());
    else
        input->removeAttribute(MaterialX::PortElement::NODE_NAME_ATTRIBUTE);
}
} // namespace rozo
