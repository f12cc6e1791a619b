#pragma once
// Evaluating the part of a material graph that depends only on stated values,
// so that translated materials with constant inputs import as plain values.

#include <MaterialXCore/Node.h>
#include <MaterialXCore/Value.h>

#include <string>

namespace rozo
{
namespace mx = MaterialX;
/// The value a node's output takes when everything upstream of it is a stated value (or a definition
/// default), else null. `outputName` empty means the node's only output. Inputs bound to an
/// interface name inside a node graph are followed to the graph's interface.
///
/// A conditional node (ifgreater, ifgreatereq, ifequal, switch) whose selectors fold takes the value of the
/// branch they choose, whatever the other branches hold. Results that are not finite do not fold.
mx::ValuePtr evaluateConstantOutput(const mx::NodePtr& node, const std::string& outputName = std::string());
/// Replaces, on every input of `node`, a connection to an upstream node whose output folds to a value
/// by that value (keeping the input's type; the input's colorspace/unit attributes stay), and returns
/// how many inputs changed. Connections to nodes that do not fold stay, but their own upstream is folded
/// too, so partially constant chains shrink. Nodes left without downstream connections are not removed
/// here.
///
/// The count is of `node`'s own inputs; inputs bound to a graph's interface (`interfacename`) are left
/// to the graph. Written values print as MaterialX prints them (six significant digits).
size_t foldConstantInputs(const mx::NodePtr& node);
} // namespace rozo
