#ifndef MATERIALX_INTERFACE_H
#define MATERIALX_INTERFACE_H

/// @file
/// Ports (inputs and outputs) and the elements that declare them

#include <MaterialXCore/Element.h>

MATERIALX_NAMESPACE_BEGIN

class PortElement;
class Input;
class Output;
class InterfaceElement;
class Node;
class NodeDef;
class NodeGraph;

using PortElementPtr = shared_ptr<PortElement>;
using ConstPortElementPtr = shared_ptr<const PortElement>;
using InputPtr = shared_ptr<Input>;
using ConstInputPtr = shared_ptr<const Input>;
using OutputPtr = shared_ptr<Output>;
using ConstOutputPtr = shared_ptr<const Output>;
using InterfaceElementPtr = shared_ptr<InterfaceElement>;
using ConstInterfaceElementPtr = shared_ptr<const InterfaceElement>;
using NodePtr = shared_ptr<Node>;
using ConstNodePtr = shared_ptr<const Node>;
using NodeDefPtr = shared_ptr<NodeDef>;
using ConstNodeDefPtr = shared_ptr<const NodeDef>;
using NodeGraphPtr = shared_ptr<NodeGraph>;
using ConstNodeGraphPtr = shared_ptr<const NodeGraph>;

using CharSet = std::set<char>;

/// The category of geometric property definitions, which an input's
/// "defaultgeomprop" names.
extern MX_CORE_API const string GEOM_PROP_DEF_CATEGORY;

/// @class PortElement
/// An input or output: a value element that may connect to a node, a node
/// graph output or an output of a node.
class MX_CORE_API PortElement : public ValueElement
{
  public:
    PortElement(Element* parent, const string& category, const string& name) :
        ValueElement(parent, category, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Port;

    void setNodeName(const string& node) { setAttribute(NODE_NAME_ATTRIBUTE, node); }
    bool hasNodeName() const { return hasAttribute(NODE_NAME_ATTRIBUTE); }
    const string& getNodeName() const { return getAttribute(NODE_NAME_ATTRIBUTE); }

    void setNodeGraphString(const string& node) { setAttribute(NODE_GRAPH_ATTRIBUTE, node); }
    bool hasNodeGraphString() const { return hasAttribute(NODE_GRAPH_ATTRIBUTE); }
    const string& getNodeGraphString() const { return getAttribute(NODE_GRAPH_ATTRIBUTE); }

    void setOutputString(const string& output) { setAttribute(OUTPUT_ATTRIBUTE, output); }
    bool hasOutputString() const { return hasAttribute(OUTPUT_ATTRIBUTE); }
    const string& getOutputString() const { return getAttribute(OUTPUT_ATTRIBUTE); }

    /// Connect to the given node by name, dropping any value, node graph or
    /// interface binding; a null node removes the node name only.
    void setConnectedNode(ConstNodePtr node);
    /// Return the node this port connects to, if any.
    virtual NodePtr getConnectedNode() const;

    /// Connect to the given output (of a node graph, a node or the document),
    /// dropping any value; a null output removes the whole connection.
    void setConnectedOutput(ConstOutputPtr output);
    /// Return the output this port connects to, if any.
    virtual OutputPtr getConnectedOutput() const;

    bool validate(string* message = nullptr) const override;

    static const string NODE_NAME_ATTRIBUTE;
    static const string NODE_GRAPH_ATTRIBUTE;
    static const string OUTPUT_ATTRIBUTE;

    /// Fast connected-node lookup without reference counting.
    Node* findConnectedNode() const;
    Output* findConnectedOutput() const;
};

/// @class Input
/// An input of a node, node definition or node graph.
class MX_CORE_API Input : public PortElement
{
    MX_ELEMENT_CLASS_BODY(Input)
  public:
    Input(Element* parent, const string& name) :
        PortElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Input;

    void setDefaultGeomPropString(const string& geomprop) { setAttribute(DEFAULT_GEOM_PROP_ATTRIBUTE, geomprop); }
    bool hasDefaultGeomPropString() const { return hasAttribute(DEFAULT_GEOM_PROP_ATTRIBUTE); }
    const string& getDefaultGeomPropString() const { return getAttribute(DEFAULT_GEOM_PROP_ATTRIBUTE); }

    NodePtr getConnectedNode() const override;
    OutputPtr getConnectedOutput() const override;

    /// Return the input of the enclosing node graph's interface that this
    /// input binds to through its interface name, if any.
    InputPtr getInterfaceInput() const;

    /// Bind this input to the input of that name of the interface it sees
    /// (one graph further out for a graph's own input), dropping any value
    /// or connection; nothing happens when there is no such input.  An empty
    /// name removes the binding.
    void setConnectedInterfaceName(const string& interfaceName);

    bool hasHint() const { return hasAttribute(HINT_ATTRIBUTE); }
    const string& getHint() const { return getAttribute(HINT_ATTRIBUTE); }
    void setHint(const string& hint) { setAttribute(HINT_ATTRIBUTE, hint); }

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;
    static const string DEFAULT_GEOM_PROP_ATTRIBUTE;
    static const string HINT_ATTRIBUTE;
    static const string TRANSPARENCY_HINT;
    static const string OPACITY_HINT;
    static const string ANISOTROPY_HINT;
};

/// @class Output
/// An output of a node definition, node graph or document.
class MX_CORE_API Output : public PortElement
{
    MX_ELEMENT_CLASS_BODY(Output)
  public:
    Output(Element* parent, const string& name) :
        PortElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Output;

    /// Return true if a cycle exists in the graph upstream of this output.
    bool hasUpstreamCycle() const;

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;
    static const string DEFAULT_INPUT_ATTRIBUTE;
};

/// @class InterfaceElement
/// The base class of elements that declare inputs and outputs: nodes, node
/// definitions, node graphs and implementations.
class MX_CORE_API InterfaceElement : public TypedElement
{
  public:
    InterfaceElement(Element* parent, const string& category, const string& name) :
        TypedElement(parent, category, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Interface;

    void setNodeDefString(const string& nodeDef) { setAttribute(NODE_DEF_ATTRIBUTE, nodeDef); }
    bool hasNodeDefString() const { return hasAttribute(NODE_DEF_ATTRIBUTE); }
    const string& getNodeDefString() const { return getAttribute(NODE_DEF_ATTRIBUTE); }

    void setTarget(const string& target) { setAttribute(TARGET_ATTRIBUTE, target); }
    bool hasTarget() const { return hasAttribute(TARGET_ATTRIBUTE); }
    const string& getTarget() const { return getAttribute(TARGET_ATTRIBUTE); }

    void setVersionString(const string& version) { setAttribute(VERSION_ATTRIBUTE, version); }
    bool hasVersionString() const { return hasAttribute(VERSION_ATTRIBUTE); }
    const string& getVersionString() const { return getAttribute(VERSION_ATTRIBUTE); }
    void setDefaultVersion(bool defaultVersion) { setAttribute(DEFAULT_VERSION_ATTRIBUTE, defaultVersion ? VALUE_STRING_TRUE : VALUE_STRING_FALSE); }
    bool getDefaultVersion() const { return getAttribute(DEFAULT_VERSION_ATTRIBUTE) == VALUE_STRING_TRUE; }
    /// Return true if this interface matches the given version string (an
    /// empty one matches the default version).
    bool isVersionCompatible(const string& version) const;

    /// @name Inputs
    /// @{
    InputPtr addInput(const string& name = EMPTY_STRING, const string& type = DEFAULT_TYPE_STRING);
    InputPtr getInput(const string& name) const { return getChildOfType<Input>(name); }
    vector<InputPtr> getInputs() const { return getChildrenOfType<Input>(); }
    size_t getInputCount() const;
    void removeInput(const string& name) { removeChildOfType<Input>(name); }
    /// Return the named input of this element or of the elements it inherits from.
    InputPtr getActiveInput(const string& name) const;
    vector<InputPtr> getActiveInputs() const;
    /// @}

    /// @name Outputs
    /// @{
    OutputPtr addOutput(const string& name = EMPTY_STRING, const string& type = DEFAULT_TYPE_STRING);
    OutputPtr getOutput(const string& name) const { return getChildOfType<Output>(name); }
    vector<OutputPtr> getOutputs() const { return getChildrenOfType<Output>(); }
    size_t getOutputCount() const;
    void removeOutput(const string& name) { removeChildOfType<Output>(name); }
    OutputPtr getActiveOutput(const string& name) const;
    vector<OutputPtr> getActiveOutputs() const;
    /// @}

    /// @name Tokens
    /// @{
    TokenPtr addToken(const string& name = EMPTY_STRING) { return addChild<Token>(name); }
    TokenPtr getToken(const string& name) const { return getChildOfType<Token>(name); }
    vector<TokenPtr> getTokens() const { return getChildrenOfType<Token>(); }
    void removeToken(const string& name) { removeChildOfType<Token>(name); }
    /// @}

    /// Set the value string of the named input, adding it when missing.
    template <class T> InputPtr setInputValue(const string& name, const T& value, const string& type = EMPTY_STRING)
    {
        InputPtr input = getInput(name);
        if (!input)
            input = addInput(name);
        input->setValue(value, type);
        return input;
    }
    ValuePtr getInputValue(const string& name, const string& target = EMPTY_STRING) const;

    /// Set the connected node of the named input, adding it when missing.
    void setConnectedNode(const string& inputName, ConstNodePtr node);
    NodePtr getConnectedNode(const string& inputName) const;

    /// Return the node definition this element declares or implements, if any.
    virtual NodeDefPtr getDeclaration(const string& target = EMPTY_STRING) const;

    /// Return true if every input of this element names an input of the
    /// declaration with the same type; otherwise describe the first mismatch.
    bool hasExactInputMatch(ConstInterfaceElementPtr declaration, string* message = nullptr) const;

    static const string NODE_DEF_ATTRIBUTE;
    static const string TARGET_ATTRIBUTE;
    static const string VERSION_ATTRIBUTE;
    static const string DEFAULT_VERSION_ATTRIBUTE;

    /// Fast lookups without reference counting.  Like every lookup that
    /// follows inheritance, they throw ExceptionFoundCycle on a cycle.
    Input* findActiveInput(const string& name) const;
    Output* findActiveOutput(const string& name) const;
    ValueElement* findActiveValueElement(const string& name) const;
    /// The number of distinct outputs, inheritance included, and the first one.
    size_t countActiveOutputs(Output** first) const;
    bool matchesInputsOf(const InterfaceElement& declaration, string* message) const;
    /// The element this one inherits from: a sibling of the same category.
    const InterfaceElement* inheritedInterface() const;
    /// This element and those it inherits from, nearest first.
    using InheritanceChain = vector<const InterfaceElement*>;
    InheritanceChain inheritanceChain() const;

  private:
    template <class T> T* findActiveChild(const string& name) const;
    template <class T> vector<shared_ptr<T>> getActiveChildren() const;
};

MATERIALX_NAMESPACE_END

#endif
