#pragma once
// What an input of a node means: inside a node graph an "interfacename" hands
// the input's binding over to the graph's own input of that name.

#include <MaterialXCore/Document.h>

#include <string>

namespace mx = MaterialX;

namespace rozo
{
/// An input that carries a value or a connection, and the scope in which the
/// node its "nodename" names is looked up.
struct BoundInput
{
    mx::InputPtr input;
    mx::ElementPtr scope;
    /// True when the binding came from a graph's own input, whose "nodegraph"
    /// connects as well as its "nodename".
    bool graphInput = false;
};

/// The binding of an input of a node held by scope. An input whose
/// "interfacename" names an input of the graph that is the scope, and that
/// input binds something, stands for that graph input, looked up in the
/// graph's parent. Otherwise the input stands for itself.
BoundInput followInterface(const mx::ElementPtr& scope, const mx::InputPtr& input);

/// The input's value as the document means it: a filename carries the active
/// file prefix of the element that holds it.
mx::ValuePtr documentValue(const mx::InputPtr& input);
} // namespace rozo
