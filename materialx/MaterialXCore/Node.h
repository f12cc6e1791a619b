#ifndef MATERIALX_NODE_H
#define MATERIALX_NODE_H

/// @file
/// Nodes, graphs of nodes and node graphs

#include <MaterialXCore/Definition.h>

MATERIALX_NAMESPACE_BEGIN

class GraphElement;
class Backdrop;

using GraphElementPtr = shared_ptr<GraphElement>;
using ConstGraphElementPtr = shared_ptr<const GraphElement>;
using BackdropPtr = shared_ptr<Backdrop>;
using ConstBackdropPtr = shared_ptr<const Backdrop>;

/// A function that selects nodes, e.g. which ones to flatten.
using NodePredicate = std::function<bool(NodePtr node)>;

/// @class Node
/// A node: an instance of a node definition inside a graph; its category is
/// the node definition's node string.
class MX_CORE_API Node : public InterfaceElement
{
    MX_ELEMENT_CLASS_BODY(Node)
  public:
    Node(Element* parent, const string& name) :
        InterfaceElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Node;

    /// Rename this node, and the ports that connect to it with it.
    /// @throws Exception when a sibling already has the name.
    void setNameGlobal(const string& name);

    /// Return the node definition of this node: the one its "nodedef"
    /// attribute names, or the first whose node string, type, version and
    /// inputs match.  With allowRoughMatch, a definition whose inputs do not
    /// match is accepted when no exact one exists.
    NodeDefPtr getNodeDef(const string& target = EMPTY_STRING, bool allowRoughMatch = false) const;

    /// Return the implementation of this node's definition, if any.
    InterfaceElementPtr getImplementation(const string& target = EMPTY_STRING) const;

    NodeDefPtr getDeclaration(const string& target = EMPTY_STRING) const override { return getNodeDef(target); }

    /// Return the ports in the document that connect to this node, ordered by
    /// name, last first.
    vector<PortElementPtr> getDownstreamPorts() const;

    /// Add an input declared by the node definition, copying its type.
    InputPtr addInputFromNodeDef(const string& inputName);

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;

    const NodeDef* findNodeDef(const string& target, bool allowRoughMatch) const;
};

/// @class GraphElement
/// The base class of elements that hold a graph of nodes: documents and node graphs.
class MX_CORE_API GraphElement : public InterfaceElement
{
  public:
    GraphElement(Element* parent, const string& category, const string& name) :
        InterfaceElement(parent, category, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Graph;

    /// Add a node of the given category; an empty name gives "node1", "node2", ...
    NodePtr addNode(const string& category, const string& name = EMPTY_STRING, const string& type = DEFAULT_TYPE_STRING)
    {
        NodePtr node = addChild<Node>(name);
        node->setCategory(category);
        node->setType(type);
        return node;
    }
    /// Add a node that instantiates the given node definition.
    NodePtr addNodeInstance(ConstNodeDefPtr nodeDef, const string& name = EMPTY_STRING);
    NodePtr getNode(const string& name) const { return getChildOfType<Node>(name); }
    /// Return the nodes, optionally only those of one category.
    vector<NodePtr> getNodes(const string& category = EMPTY_STRING) const { return getChildrenOfType<Node>(category); }
    /// Return the nodes whose type is the given one.
    vector<NodePtr> getNodesOfType(const string& nodeType) const;
    void removeNode(const string& name) { removeChildOfType<Node>(name); }

    BackdropPtr addBackdrop(const string& name = EMPTY_STRING);
    BackdropPtr getBackdrop(const string& name) const;
    vector<BackdropPtr> getBackdrops() const;
    void removeBackdrop(const string& name);

    /// Replace every node whose implementation is a node graph by a copy of
    /// that graph's nodes, bound to the node's inputs (and the definition's
    /// defaults), repeating until no such node is left.
    /// @throws Exception when a graph implementation contains itself.
    void flattenSubgraphs(const string& target = EMPTY_STRING, NodePredicate filter = nullptr);

    /// Return the nodes in an order in which every node follows its inputs.
    /// @throws ExceptionFoundCycle when the graph has a cycle.
    vector<ElementPtr> topologicalSort() const;

  private:
    // Put count children from position first, in order, where the given
    // (earlier) child is, and remove that child.
    void replaceChildByRange(size_t first, size_t count, const Element& replaced);
};

/// @class NodeGraph
/// A graph of nodes with outputs; with a "nodedef" attribute, the
/// implementation of a node definition.
class MX_CORE_API NodeGraph : public GraphElement
{
    MX_ELEMENT_CLASS_BODY(NodeGraph)
  public:
    NodeGraph(Element* parent, const string& name) :
        GraphElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::NodeGraph;

    /// Rename this graph, and the ports that connect to it with it.
    /// @throws Exception when a sibling already has the name.
    void setNameGlobal(const string& name);

    /// Return the ports in the document that connect to an output of this graph.
    vector<PortElementPtr> getDownstreamPorts() const;

    void setNodeDef(ConstNodeDefPtr nodeDef);
    /// Return the node definition this graph implements: the one named by its
    /// "nodedef" attribute, or else the one of an implementation naming this graph.
    NodeDefPtr getNodeDef() const;
    NodeDefPtr getDeclaration(const string& target = EMPTY_STRING) const override { return getNodeDef(); }
    InterfaceElementPtr getImplementation() const;

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;

    const NodeDef* findNodeDef() const;
};

/// @class Backdrop
/// A layout element grouping nodes in an editor.
class MX_CORE_API Backdrop : public Element
{
    MX_ELEMENT_CLASS_BODY(Backdrop)
  public:
    Backdrop(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Backdrop;
    static const string CATEGORY;
};

/// @class ExceptionFoundCycle
/// Thrown when a cycle is found where none is allowed.
class MX_CORE_API ExceptionFoundCycle : public Exception
{
  public:
    using Exception::Exception;
};

MATERIALX_NAMESPACE_END

#endif
