#include <MaterialXCore/Document.h>

#include <unordered_map>
#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

const string GEOM_PROP_DEF_CATEGORY = "geompropdef";
const string PortElement::NODE_NAME_ATTRIBUTE = "nodename";
const string PortElement::NODE_GRAPH_ATTRIBUTE = "nodegraph";
const string PortElement::OUTPUT_ATTRIBUTE = "output";
const string Input::CATEGORY = "input";
const string Input::DEFAULT_GEOM_PROP_ATTRIBUTE = "defaultgeomprop";
const string Input::HINT_ATTRIBUTE = "hint";
const string Input::TRANSPARENCY_HINT = "transparency";
const string Input::OPACITY_HINT = "opacity";
const string Input::ANISOTROPY_HINT = "anisotropy";
const string Output::CATEGORY = "output";
const string Output::DEFAULT_INPUT_ATTRIBUTE = "defaultinput";
const string InterfaceElement::NODE_DEF_ATTRIBUTE = "nodedef";
const string InterfaceElement::TARGET_ATTRIBUTE = "target";
const string InterfaceElement::VERSION_ATTRIBUTE = "version";
const string InterfaceElement::DEFAULT_VERSION_ATTRIBUTE = "isdefaultversion";

namespace
{

const GraphElement* enclosingGraph(const Element* elem)
{
    for (; elem; elem = elem->getParentRaw())
        if (const GraphElement* graph = elementCast<const GraphElement>(elem))
            return graph;
    return nullptr;
}

template <class T> T* childOfType(const Element* scope, const string& name)
{
    Element* child = scope ? scope->findChild(name) : nullptr;
    return child ? elementCast<T>(child) : nullptr;
}

template <class T> T* resolveReference(const Element* from, const string& name)
{
    const Element* root = from->getRootRaw();
    if (from->getQualifiedName(name) != name)
    {
        if (T* found = childOfType<T>(root, from->getQualifiedName(name)))
            return found;
    }
    return childOfType<T>(root, name);
}

} // anonymous namespace

//
// PortElement
//

void PortElement::setConnectedNode(ConstNodePtr node)
{
    if (!node)
    {
        removeAttribute(NODE_NAME_ATTRIBUTE);
        return;
    }
    setNodeName(node->getName());
    removeAttribute(VALUE_ATTRIBUTE);
    removeAttribute(NODE_GRAPH_ATTRIBUTE);
    removeAttribute(INTERFACE_NAME_ATTRIBUTE);
}

Node* PortElement::findConnectedNode() const
{
    if (const Input* input = elementCast<const Input>(this))
    {
        // Bound through the enclosing graph's interface to a connection.
        if (const string* interfaceName = findAttribute(INTERFACE_NAME_ATTRIBUTE))
        {
            const NodeGraph* graph = nullptr;
            for (const Element* elem = parent_; elem && !graph; elem = elem->getParentRaw())
                graph = elementCast<const NodeGraph>(elem);
            const Input* graphInput = graph ? childOfType<Input>(graph, *interfaceName) : nullptr;
            if (graphInput && graphInput != input && (graphInput->hasNodeName() || graphInput->hasNodeGraphString()))
                return graphInput->findConnectedNode();
        }
        // Interface inputs of a node graph connect to nodes of the document.
        if (elementCast<const NodeGraph>(parent_))
        {
            if (const string* nodeName = findAttribute(NODE_NAME_ATTRIBUTE))
                if (Node* node = childOfType<Node>(root_, *nodeName))
                    return node;
        }
        // Through an output to the node behind it; outputs declared on the
        // node itself lead nowhere further, so the node is the answer.
        if (Output* output = findConnectedOutput())
            if (output != this)
                if (Node* node = output->findConnectedNode())
                    return node;
    }
    const string* nodeName = findAttribute(NODE_NAME_ATTRIBUTE);
    if (!nodeName)
        return nullptr;
    const GraphElement* graph = enclosingGraph(this);
    return graph ? childOfType<Node>(graph, *nodeName) : nullptr;
}

Output* PortElement::findConnectedOutput() const
{
    if (elementCast<const Input>(this))
    {
        if (const string* graphName = findAttribute(NODE_GRAPH_ATTRIBUTE))
        {
            NodeGraph* graph = resolveReference<NodeGraph>(this, *graphName);
            if (!graph)
                return nullptr;
            if (const string* outputName = findAttribute(OUTPUT_ATTRIBUTE))
                return childOfType<Output>(graph, *outputName);
            for (const ElementPtr& child : graph->getChildren())
                if (Output* output = elementCast<Output>(child.get()))
                    return output;
            return nullptr;
        }
        if (const string* nodeName = findAttribute(NODE_NAME_ATTRIBUTE))
        {
            // Outputs declared on the connected node itself.
            const GraphElement* graph = enclosingGraph(this);
            Node* node = graph ? childOfType<Node>(graph, *nodeName) : nullptr;
            if (node)
            {
                Output* first = nullptr;
                for (const ElementPtr& child : node->getChildren())
                    if ((first = elementCast<Output>(child.get())))
                        break;
                if (first)
                {
                    const string* outputName = findAttribute(OUTPUT_ATTRIBUTE);
                    Output* named = outputName ? childOfType<Output>(node, *outputName) : first;
                    if (named)
                        return named;
                }
            }
        }
    }
    if (const string* outputName = findAttribute(OUTPUT_ATTRIBUTE))
        return childOfType<Output>(root_, *outputName);
    return nullptr;
}

NodePtr PortElement::getConnectedNode() const
{
    Node* node = findConnectedNode();
    return node ? std::static_pointer_cast<Node>(node->getSelf()) : NodePtr();
}

void PortElement::setConnectedOutput(ConstOutputPtr output)
{
    if (output)
    {
        setOutputString(output->getName());
        ConstElementPtr parent = output->getParent();
        if (parent && parent->isA<NodeGraph>())
        {
            setNodeGraphString(parent->getName());
            removeAttribute(NODE_NAME_ATTRIBUTE);
        }
        else if (parent && parent->isA<Node>())
        {
            setNodeName(parent->getName());
            removeAttribute(NODE_GRAPH_ATTRIBUTE);
        }
        removeAttribute(VALUE_ATTRIBUTE);
    }
    else
    {
        removeAttribute(OUTPUT_ATTRIBUTE);
        removeAttribute(NODE_GRAPH_ATTRIBUTE);
        removeAttribute(NODE_NAME_ATTRIBUTE);
    }
}

OutputPtr PortElement::getConnectedOutput() const
{
    Output* output = findConnectedOutput();
    return output ? std::static_pointer_cast<Output>(output->getSelf()) : OutputPtr();
}

bool PortElement::validate(string* message) const
{
    bool res = true;
    const Node* connectedNode = findConnectedNode();
    if (hasNodeName() || hasOutputString())
    {
        // A graph output may name another node graph in place of a node.
        bool namesGraph = hasNodeName() && resolveReference<NodeGraph>(this, getNodeName());
        if (!namesGraph)
            validateRequire(connectedNode != nullptr, res, message, "Invalid port connection");
    }
    if (connectedNode)
    {
        const string* outputName = findAttribute(OUTPUT_ATTRIBUTE);
        if (outputName && !outputName->empty())
        {
            const Output* output = nullptr;
            if (hasNodeName())
            {
                const NodeDef* nodeDef = connectedNode->findNodeDef(EMPTY_STRING, false);
                output = nodeDef ? childOfType<Output>(nodeDef, *outputName) : nullptr;
                if (output)
                    validateRequire(connectedNode->getType() == MULTI_OUTPUT_TYPE_STRING, res, message,
                                    "Multi-output type expected in port connection");
                else
                    output = childOfType<Output>(connectedNode, *outputName);
            }
            else if (const string* graphName = findAttribute(NODE_GRAPH_ATTRIBUTE))
            {
                if (const NodeGraph* graph = resolveReference<NodeGraph>(this, *graphName))
                {
                    output = childOfType<Output>(graph, *outputName);
                    if (graph->findNodeDef())
                        validateRequire(graph->getOutputCount() > 1, res, message, "Multi-output type expected in port connection");
                }
            }
            else
            {
                output = childOfType<Output>(root_, *outputName);
            }
            validateRequire(output != nullptr, res, message, "No output found for port connection");
            if (output)
                validateRequire(getType() == output->getType(), res, message, "Mismatched types in port connection");
        }
        else if (connectedNode->getType() != MULTI_OUTPUT_TYPE_STRING)
        {
            validateRequire(getType() == connectedNode->getType(), res, message, "Mismatched types in port connection");
        }
    }
    validateValue(message, res);
    return TypedElement::validate(message) && res;
}

//
// Input
//

NodePtr Input::getConnectedNode() const
{
    return PortElement::getConnectedNode();
}

OutputPtr Input::getConnectedOutput() const
{
    return PortElement::getConnectedOutput();
}

InputPtr Input::getInterfaceInput() const
{
    const string* interfaceName = findAttribute(INTERFACE_NAME_ATTRIBUTE);
    if (!interfaceName)
        return InputPtr();
    for (const Element* elem = parent_; elem; elem = elem->getParentRaw())
        if (const NodeGraph* graph = elementCast<const NodeGraph>(elem))
            return graph->getInput(*interfaceName);
    return InputPtr();
}

void Input::setConnectedInterfaceName(const string& interfaceName)
{
    if (interfaceName.empty())
    {
        removeAttribute(INTERFACE_NAME_ATTRIBUTE);
        return;
    }
    const GraphElement* graph = enclosingGraph(parent_);
    if (graph && graph == parent_)
        graph = enclosingGraph(graph->getParentRaw());
    if (!graph || !childOfType<Input>(graph, interfaceName))
        return;
    setInterfaceName(interfaceName);
    removeAttribute(VALUE_ATTRIBUTE);
    removeAttribute(OUTPUT_ATTRIBUTE);
    removeAttribute(NODE_GRAPH_ATTRIBUTE);
    removeAttribute(NODE_NAME_ATTRIBUTE);
}

bool Input::validate(string* message) const
{
    bool res = true;
    if (const string* geomProp = findAttribute(DEFAULT_GEOM_PROP_ATTRIBUTE))
    {
        validateRequire(elementCast<const NodeDef>(parent_) || elementCast<const NodeGraph>(parent_), res, message,
                        "Invalid defaultgeomprop on non-definition and non-nodegraph input");
        const Element* geomPropDef = root_->findChild(*geomProp);
        validateRequire(geomPropDef && geomPropDef->getCategory() == GEOM_PROP_DEF_CATEGORY, res, message,
                        "Invalid defaultgeomprop string");
    }
    if (elementCast<const Node>(parent_))
    {
        // Exactly one of value, node, graph, interface or document output.
        const bool connected = hasNodeName() || hasNodeGraphString();
        const int bindings = int(hasValue()) + int(hasNodeName()) + int(hasNodeGraphString()) + int(hasInterfaceName()) +
                             int(hasOutputString() && !connected);
        validateRequire(bindings > 0, res, message, "Node input binds no value or connection");
        validateRequire(bindings <= 1, res, message, "Node input has too many bindings");
    }
    else if (const NodeGraph* graph = elementCast<const NodeGraph>(parent_))
    {
        validateRequire(graph->findNodeDef() == nullptr, res, message, "Input element in a functional nodegraph has no effect");
    }
    return PortElement::validate(message) && res;
}

//
// Output
//

bool Output::hasUpstreamCycle() const
{
    if (!hasNodeName() && !hasNodeGraphString() && !hasInterfaceName())
        return false;
    const Node* start = findConnectedNode();
    if (!start)
        return false;

    // Depth-first walk over upstream nodes; a node met again while still on
    // the path closes a cycle.
    enum class Mark : char
    {
        OnPath,
        Done
    };
    std::unordered_map<const Node*, Mark> marks;
    struct Frame
    {
        const Node* node;
        size_t next;
    };
    vector<Frame> stack{ { start, 0 } };
    marks[start] = Mark::OnPath;
    while (!stack.empty())
    {
        Frame& frame = stack.back();
        const vector<ElementPtr>& children = frame.node->getChildren();
        if (frame.next >= children.size())
        {
            marks[frame.node] = Mark::Done;
            stack.pop_back();
            continue;
        }
        const Input* input = elementCast<const Input>(children[frame.next++].get());
        if (!input)
            continue;
        const Node* upstream = input->findConnectedNode();
        if (!upstream)
            continue;
        auto it = marks.find(upstream);
        if (it == marks.end())
        {
            marks.emplace(upstream, Mark::OnPath);
            stack.push_back({ upstream, 0 });
        }
        else if (it->second == Mark::OnPath)
        {
            return true;
        }
    }
    return false;
}

bool Output::validate(string* message) const
{
    bool res = true;
    validateRequire(!hasUpstreamCycle(), res, message, "Cycle in upstream path");
    return PortElement::validate(message) && res;
}

//
// InterfaceElement
//

bool InterfaceElement::isVersionCompatible(const string& version) const
{
    const string& own = getVersionString();
    if (own == version)
        return true;
    return version.empty() && getDefaultVersion();
}

InputPtr InterfaceElement::addInput(const string& name, const string& type)
{
    InputPtr input = addChild<Input>(name);
    input->setType(type);
    return input;
}

OutputPtr InterfaceElement::addOutput(const string& name, const string& type)
{
    OutputPtr output = addChild<Output>(name);
    output->setType(type);
    return output;
}

size_t InterfaceElement::getInputCount() const
{
    size_t count = 0;
    for (const ElementPtr& child : getChildren())
        count += elementCast<const Input>(child.get()) != nullptr;
    return count;
}

size_t InterfaceElement::getOutputCount() const
{
    size_t count = 0;
    for (const ElementPtr& child : getChildren())
        count += elementCast<const Output>(child.get()) != nullptr;
    return count;
}

const InterfaceElement* InterfaceElement::inheritedInterface() const
{
    const string* inherit = findAttribute(INHERIT_ATTRIBUTE);
    if (!inherit || !parent_)
        return nullptr;
    // Inheritance only joins elements of one category.
    const InterfaceElement* super = childOfType<InterfaceElement>(parent_, *inherit);
    return super && super->getCategory() == getCategory() ? super : nullptr;
}

InterfaceElement::InheritanceChain InterfaceElement::inheritanceChain() const
{
    InheritanceChain chain{ this };
    for (const InterfaceElement* super = inheritedInterface(); super; super = super->inheritedInterface())
    {
        // Chains are short: a linear scan finds a repeat soonest.
        if (std::find(chain.begin(), chain.end(), super) != chain.end())
            throw ExceptionFoundCycle("Encountered cycle at element: " + super->asString());
        chain.push_back(super);
    }
    return chain;
}

template <class T> T* InterfaceElement::findActiveChild(const string& name) const
{
    if (T* own = childOfType<T>(this, name))
        return own;
    if (!findAttribute(INHERIT_ATTRIBUTE))
        return nullptr;
    for (const InterfaceElement* elem : inheritanceChain())
        if (T* child = childOfType<T>(elem, name))
            return child;
    return nullptr;
}

template <class T> vector<shared_ptr<T>> InterfaceElement::getActiveChildren() const
{
    // Own children first, then inherited ones not hidden by a name already seen.
    vector<shared_ptr<T>> result;
    std::unordered_set<string> seen;
    for (const InterfaceElement* elem : inheritanceChain())
        for (const ElementPtr& child : elem->getChildren())
            if (elementCast<T>(child.get()) && seen.insert(child->getName()).second)
                result.push_back(std::static_pointer_cast<T>(child));
    return result;
}

Input* InterfaceElement::findActiveInput(const string& name) const
{
    return findActiveChild<Input>(name);
}

Output* InterfaceElement::findActiveOutput(const string& name) const
{
    return findActiveChild<Output>(name);
}

ValueElement* InterfaceElement::findActiveValueElement(const string& name) const
{
    return findActiveChild<ValueElement>(name);
}

InputPtr InterfaceElement::getActiveInput(const string& name) const
{
    Input* input = findActiveInput(name);
    return input ? std::static_pointer_cast<Input>(input->getSelf()) : InputPtr();
}

OutputPtr InterfaceElement::getActiveOutput(const string& name) const
{
    Output* output = findActiveOutput(name);
    return output ? std::static_pointer_cast<Output>(output->getSelf()) : OutputPtr();
}

vector<InputPtr> InterfaceElement::getActiveInputs() const
{
    return getActiveChildren<Input>();
}

vector<OutputPtr> InterfaceElement::getActiveOutputs() const
{
    return getActiveChildren<Output>();
}

size_t InterfaceElement::countActiveOutputs(Output** first) const
{
    *first = nullptr;
    size_t count = 0;
    if (!findAttribute(INHERIT_ATTRIBUTE))
    {
        // Definition lookups ask this of every candidate: no chain to build.
        for (const ElementPtr& child : getChildren())
            if (Output* output = elementCast<Output>(child.get()))
            {
                if (!*first)
                    *first = output;
                ++count;
            }
        return count;
    }
    InheritanceChain chain = inheritanceChain();
    for (size_t level = 0; level < chain.size(); ++level)
    {
        for (const ElementPtr& child : chain[level]->getChildren())
        {
            Output* output = elementCast<Output>(child.get());
            if (!output)
                continue;
            // An inherited output hidden by one of the same name counts once.
            bool hidden = false;
            for (size_t nearer = 0; nearer < level && !hidden; ++nearer)
                hidden = childOfType<Output>(chain[nearer], output->getName()) != nullptr;
            if (hidden)
                continue;
            if (!*first)
                *first = output;
            ++count;
        }
    }
    return count;
}

ValuePtr InterfaceElement::getInputValue(const string& name, const string& target) const
{
    if (const Input* input = findActiveInput(name))
        return input->getValue();
    if (const NodeDef* decl = elementCast<const NodeDef>(getDeclaration(target).get()))
        if (const Input* input = decl->findActiveInput(name))
            return input->getValue();
    return ValuePtr();
}

void InterfaceElement::setConnectedNode(const string& inputName, ConstNodePtr node)
{
    InputPtr input = getInput(inputName);
    if (!input)
        input = addInput(inputName);
    if (node)
        input->setType(node->getType());
    input->setConnectedNode(node);
}

NodePtr InterfaceElement::getConnectedNode(const string& inputName) const
{
    InputPtr input = getInput(inputName);
    return input ? input->getConnectedNode() : NodePtr();
}

NodeDefPtr InterfaceElement::getDeclaration(const string&) const
{
    return NodeDefPtr();
}

bool InterfaceElement::matchesInputsOf(const InterfaceElement& declaration, string* message) const
{
    auto matches = [&](const Input& input) {
        const Input* declared = declaration.findActiveInput(input.getName());
        if (declared && declared->getType() == input.getType())
            return true;
        if (message)
            *message += "Input '" + input.getName() + "' doesn't match declaration";
        return false;
    };
    if (!findAttribute(INHERIT_ATTRIBUTE))
    {
        for (const ElementPtr& child : getChildren())
            if (const Input* input = elementCast<const Input>(child.get()))
                if (!matches(*input))
                    return false;
        return true;
    }
    for (const InputPtr& input : getActiveInputs())
        if (!matches(*input))
            return false;
    return true;
}

bool InterfaceElement::hasExactInputMatch(ConstInterfaceElementPtr declaration, string* message) const
{
    return declaration && matchesInputsOf(*declaration, message);
}

MATERIALX_NAMESPACE_END
