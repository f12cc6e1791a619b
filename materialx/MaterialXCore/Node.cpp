#include <MaterialXCore/Document.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

const string Node::CATEGORY = "node";
const string NodeGraph::CATEGORY = "nodegraph";
const string Backdrop::CATEGORY = "backdrop";

namespace
{

template <class T> shared_ptr<T> sharedOf(const T* elem)
{
    return elem ? std::static_pointer_cast<T>(const_cast<T*>(elem)->getSelf()) : shared_ptr<T>();
}

// Copy what binds a port: its value and its connection.
void copyBinding(const PortElement& from, PortElement& to)
{
    for (const string* attrib : { &ValueElement::VALUE_ATTRIBUTE, &PortElement::NODE_NAME_ATTRIBUTE,
                                  &PortElement::NODE_GRAPH_ATTRIBUTE, &PortElement::OUTPUT_ATTRIBUTE })
    {
        if (const string* value = from.findAttribute(*attrib))
            to.setAttribute(*attrib, *value);
    }
}

// Make to's attributes those of from, in from's order.
void replaceAttributes(const Element& from, Element& to)
{
    for (const string& name : to.getAttributeNames())
        if (!from.hasAttribute(name))
            to.removeAttribute(name);
    bool inOrder = to.getAttributePairs().size() <= from.getAttributePairs().size();
    for (size_t i = 0; inOrder && i < to.getAttributePairs().size(); ++i)
        inOrder = to.getAttributePairs()[i].first == from.getAttributePairs()[i].first;
    if (!inOrder)
        for (const string& name : to.getAttributeNames())
            to.removeAttribute(name);
    for (const AttributePair& attr : from.getAttributePairs())
        to.setAttribute(attr.first, attr.second);
}

const Document* documentOf(const Element* elem)
{
    return elementCast<const Document>(elem->getRootRaw());
}

const Element* geomPropDefinition(const Element& scope, const string& name)
{
    const Element* def = scope.getRootRaw()->findChild(name);
    return def && def->getCategory() == GEOM_PROP_DEF_CATEGORY ? def : nullptr;
}

// The node that reads a geometric property ("geomNode_UV0"), shared by every
// input that defaults to it.
NodePtr addGeomNode(GraphElement& graph, const Element& geomPropDef)
{
    const string name = "geomNode_" + geomPropDef.getName();
    if (NodePtr existing = graph.getNode(name))
        return existing;
    NodePtr node = graph.addNode(geomPropDef.getAttribute("geomprop"), name, geomPropDef.getAttribute(TypedElement::TYPE_ATTRIBUTE));
    if (const string* space = geomPropDef.findAttribute("space"))
        node->setInputValue("space", *space);
    if (const string* index = geomPropDef.findAttribute("index"))
        node->setInputValue("index", *index, "integer");
    return node;
}

// What flattening looks up again and again, answered without rebuilding a
// document-wide table per round: a deep nesting of definitions expands one
// node per round, so any per-round scan of the document would make it
// quadratic.
class FlattenState
{
  public:
    struct Resolution
    {
        NodeGraphPtr graph;
        NodeDefPtr declaration;
    };

    FlattenState(const GraphElement& scope, const string& target, const vector<NodePtr>& roots) :
        scope_(scope),
        target_(target)
    {
        findReachableGraphs(roots);
    }

    // Whether expansions must track the graphs they came from: only when a
    // graph may (through nodes resolved in place) contain itself, or when a
    // namespace may make a copy resolve differently from its source.
    bool needsChains() const { return !resolvedInPlace_; }

    Resolution resolve(const NodePtr& node)
    {
        // The first round's nodes were resolved while looking for graphs.
        auto root = rootResolutions_.find(node.get());
        if (root != rootResolutions_.end())
        {
            Resolution resolution = std::move(root->second);
            rootResolutions_.erase(root);
            return resolution;
        }
        if (resolvedInPlace_)
        {
            auto source = sourceOf_.find(node.get());
            if (source != sourceOf_.end())
            {
                auto known = resolutions_.find(source->second);
                if (known != resolutions_.end())
                    return known->second;
            }
        }
        return resolveLive(*node);
    }

    // A copy resolves as the graph node it copies: same category, type,
    // version and input names and types, in the same document.
    void recordCopy(const Node* copy, const Node* source) { sourceOf_[copy] = source; }
    void forgetCopy(const Node* copy) { sourceOf_.erase(copy); }

    // The ports connected to node, last name first (as getDownstreamPorts).
    vector<PortElementPtr> downstreamPorts(const Node& node)
    {
        indexPorts();
        vector<PortElementPtr> result;
        auto it = portsByNodeName_.find(node.getName());
        if (it == portsByNodeName_.end())
            return result;
        // Drop entries that no longer name the node; keep one of each port.
        vector<PortElementPtr>& ports = it->second;
        std::unordered_set<const PortElement*> seen;
        size_t kept = 0;
        for (PortElementPtr& port : ports)
        {
            const string* nodeName = port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE);
            if (!nodeName || *nodeName != node.getName() || !seen.insert(port.get()).second)
                continue;
            if (port->findConnectedNode() == &node)
                result.push_back(port);
            ports[kept++] = std::move(port);
        }
        ports.resize(kept);
        std::sort(result.begin(), result.end(), [](const PortElementPtr& a, const PortElementPtr& b) { return a->getName() > b->getName(); });
        return result;
    }

    // A port whose connection flattening may have changed.
    void notePort(const PortElementPtr& port)
    {
        indexPorts();
        if (const string* nodeName = port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE))
            if (looksUpInScope(*port))
                portsByNodeName_[*nodeName].push_back(port);
    }
    void noteNode(const Node& node)
    {
        for (const ElementPtr& child : node.getChildren())
            if (elementCast<PortElement>(child.get()))
                notePort(std::static_pointer_cast<PortElement>(child));
    }

  private:
    // Most documents expand nothing: the ports are indexed on first need,
    // which is before the first expansion changes anything.
    void indexPorts()
    {
        if (portsIndexed_)
            return;
        portsIndexed_ = true;
        if (const Document* doc = documentOf(&scope_))
            for (const auto& entry : doc->getPortCache().portsByNodeName)
                for (PortElement* port : entry.second)
                    if (looksUpInScope(*port))
                        portsByNodeName_[entry.first].push_back(std::static_pointer_cast<PortElement>(port->getSelf()));
    }

    // Whether the port's node name is looked up among the nodes of the
    // flattened graph: ports of its own nodes and outputs, and interface
    // inputs of node graphs, which name top-level nodes of the document.
    bool looksUpInScope(const PortElement& port) const
    {
        const Element* parent = port.getParentRaw();
        if (parent == &scope_ || (parent && parent->getParentRaw() == &scope_ && elementCast<const Node>(parent)))
            return true;
        return elementCast<const Input>(&port) && elementCast<const NodeGraph>(parent) && port.getRootRaw() == &scope_;
    }

    Resolution resolveLive(const Node& node) const
    {
        InterfaceElementPtr impl = node.getImplementation(target_);
        NodeGraphPtr graph = impl ? impl->asA<NodeGraph>() : nullptr;
        return { graph, graph ? node.getNodeDef(target_) : NodeDefPtr() };
    }

    // Resolve every node of every graph an expansion can reach, once, while
    // the document's tables are current; a cycle among them, or a namespace
    // on one, leaves resolution to each copy in its place.
    void findReachableGraphs(const vector<NodePtr>& roots)
    {
        enum class Mark : char
        {
            Open,
            Done
        };
        std::unordered_map<const NodeGraph*, Mark> marks;
        struct Frame
        {
            const NodeGraph* graph;
            size_t next;
        };
        vector<Frame> stack;
        auto enter = [&](const NodeGraphPtr& graph) {
            auto it = marks.find(graph.get());
            if (it == marks.end())
            {
                for (const Element* elem = graph.get(); elem; elem = elem->getParentRaw())
                    if (elem->hasNamespace())
                        resolvedInPlace_ = false;
                marks.emplace(graph.get(), Mark::Open);
                stack.push_back({ graph.get(), 0 });
            }
            else if (it->second == Mark::Open)
            {
                resolvedInPlace_ = false;
            }
        };
        for (const NodePtr& root : roots)
        {
            Resolution resolution = resolveLive(*root);
            NodeGraphPtr graph = resolution.graph;
            rootResolutions_.emplace(root.get(), std::move(resolution));
            if (graph)
                enter(graph);
            while (!stack.empty() && resolvedInPlace_)
            {
                Frame& frame = stack.back();
                const vector<ElementPtr>& children = frame.graph->getChildren();
                if (frame.next >= children.size())
                {
                    marks[frame.graph] = Mark::Done;
                    stack.pop_back();
                    continue;
                }
                const Node* node = elementCast<const Node>(children[frame.next++].get());
                if (!node)
                    continue;
                Resolution resolution = resolveLive(*node);
                NodeGraphPtr next = resolution.graph;
                resolutions_.emplace(node, std::move(resolution));
                if (next)
                    enter(next);
            }
        }
        if (!resolvedInPlace_)
            resolutions_.clear();
    }

    const GraphElement& scope_;
    const string& target_;
    bool resolvedInPlace_ = true;
    bool portsIndexed_ = false;
    std::unordered_map<const Node*, Resolution> resolutions_;
    std::unordered_map<const Node*, Resolution> rootResolutions_;
    std::unordered_map<const Node*, const Node*> sourceOf_;
    std::unordered_map<string, vector<PortElementPtr>> portsByNodeName_;
};

} // anonymous namespace

//
// Node
//

const NodeDef* Node::findNodeDef(const string& target, bool allowRoughMatch) const
{
    if (const string* nodeDefName = findAttribute(NODE_DEF_ATTRIBUTE))
        return resolveNameReference<NodeDef>(*nodeDefName).get();
    const Document* doc = documentOf(this);
    if (!doc)
        return nullptr;
    const auto& byNode = doc->getCache().nodeDefsByNode;
    vector<const vector<NodeDef*>*> lists;
    string qualified = getQualifiedName(getCategory());
    auto it = byNode.find(qualified);
    if (it != byNode.end())
        lists.push_back(&it->second);
    if (qualified != getCategory())
    {
        auto plain = byNode.find(getCategory());
        if (plain != byNode.end())
            lists.push_back(&plain->second);
    }
    const string& version = getVersionString();
    const string& type = getType();
    const NodeDef* rough = nullptr;
    for (const vector<NodeDef*>* list : lists)
    {
        for (const NodeDef* nodeDef : *list)
        {
            if (!target.empty() && !nodeDef->getTarget().empty() && nodeDef->getTarget() != target)
                continue;
            if (!nodeDef->isVersionCompatible(version) || nodeDef->findType() != type)
                continue;
            if (matchesInputsOf(*nodeDef, nullptr))
                return nodeDef;
            if (!rough)
                rough = nodeDef;
        }
    }
    return allowRoughMatch ? rough : nullptr;
}

NodeDefPtr Node::getNodeDef(const string& target, bool allowRoughMatch) const
{
    return sharedOf(findNodeDef(target, allowRoughMatch));
}

InterfaceElementPtr Node::getImplementation(const string& target) const
{
    const NodeDef* nodeDef = findNodeDef(target, false);
    return nodeDef ? nodeDef->getImplementation(target) : InterfaceElementPtr();
}

vector<PortElementPtr> Node::getDownstreamPorts() const
{
    vector<PortElementPtr> ports;
    const Document* doc = documentOf(this);
    if (!doc)
        return ports;
    const auto& byNodeName = doc->getPortCache().portsByNodeName;
    auto it = byNodeName.find(getName());
    if (it == byNodeName.end())
        return ports;
    for (PortElement* port : it->second)
        if (port->findConnectedNode() == this)
            ports.push_back(std::static_pointer_cast<PortElement>(port->getSelf()));
    std::sort(ports.begin(), ports.end(), [](const PortElementPtr& a, const PortElementPtr& b) { return a->getName() > b->getName(); });
    return ports;
}

void Node::setNameGlobal(const string& name)
{
    vector<PortElementPtr> ports = getDownstreamPorts();
    setName(name);
    for (const PortElementPtr& port : ports)
        port->setNodeName(getName());
}

InputPtr Node::addInputFromNodeDef(const string& inputName)
{
    if (InputPtr existing = getInput(inputName))
        return existing;
    const NodeDef* nodeDef = findNodeDef(EMPTY_STRING, false);
    const Input* declared = nodeDef ? nodeDef->findActiveInput(inputName) : nullptr;
    if (!declared)
        return InputPtr();
    InputPtr input = addInput(inputName, declared->getType());
    if (declared->hasValueString())
        input->setValueString(declared->getValueString());
    return input;
}

bool Node::validate(string* message) const
{
    bool res = true;
    validateRequire(!getCategory().empty(), res, message, "Node element is missing a category");
    validateRequire(hasType(), res, message, "Node element is missing a type");
    if (const NodeDef* nodeDef = findNodeDef(EMPTY_STRING, true))
    {
        string matchMessage;
        if (!matchesInputsOf(*nodeDef, &matchMessage))
            reportProblem(res, message, "Node interface error: " + matchMessage);
        Output* first = nullptr;
        const size_t outputs = nodeDef->countActiveOutputs(&first);
        if (outputs > 1)
            validateRequire(getType() == MULTI_OUTPUT_TYPE_STRING, res, message,
                            "Node type is not 'multioutput' for node with multiple outputs");
        else if (outputs == 1)
            validateRequire(getType() == first->getType(), res, message, "Node type does not match output port type");
    }
    else if (const Document* doc = documentOf(this))
    {
        // Definitions of the category exist, none for this node's type.
        validateRequire(!doc->getCache().nodeDefsByNode.count(getCategory()), res, message,
                        "Node interface doesn't support this output type");
    }
    return InterfaceElement::validate(message) && res;
}

//
// GraphElement
//

NodePtr GraphElement::addNodeInstance(ConstNodeDefPtr nodeDef, const string& name)
{
    NodePtr node = addNode(nodeDef->getNodeString(), name, nodeDef->getType());
    node->setNodeDefString(nodeDef->getName());
    return node;
}

vector<NodePtr> GraphElement::getNodesOfType(const string& nodeType) const
{
    vector<NodePtr> nodes;
    for (const ElementPtr& child : getChildren())
        if (elementCast<Node>(child.get()) && child->getAttribute(TypedElement::TYPE_ATTRIBUTE) == nodeType)
            nodes.push_back(std::static_pointer_cast<Node>(child));
    return nodes;
}

BackdropPtr GraphElement::addBackdrop(const string& name)
{
    return addChild<Backdrop>(name);
}

BackdropPtr GraphElement::getBackdrop(const string& name) const
{
    return getChildOfType<Backdrop>(name);
}

vector<BackdropPtr> GraphElement::getBackdrops() const
{
    return getChildrenOfType<Backdrop>();
}

void GraphElement::removeBackdrop(const string& name)
{
    removeChildOfType<Backdrop>(name);
}

void GraphElement::flattenSubgraphs(const string& target, NodePredicate filter)
{
    // For nodes made by an expansion: the graphs they were expanded from,
    // so that a graph containing (an instance of) itself is caught.
    using Chain = vector<const NodeGraph*>;
    std::unordered_map<const Element*, std::shared_ptr<const Chain>> origins;

    struct Expansion
    {
        NodePtr node;
        NodeGraphPtr graph;
        NodeDefPtr declaration;
        vector<PortElementPtr> downstream;
    };

    vector<NodePtr> queue = getNodes();
    FlattenState state(*this, target, queue);
    const bool trackChains = state.needsChains();
    while (!queue.empty())
    {
        vector<Expansion> expansions;
        for (NodePtr& node : queue)
        {
            FlattenState::Resolution resolution = state.resolve(node);
            if (!resolution.graph)
                continue;
            if (filter && !filter(node))
                continue;
            expansions.push_back({ node, resolution.graph, resolution.declaration, {} });
        }
        queue.clear();

        for (Expansion& exp : expansions)
        {
            const Node& processNode = *exp.node;
            const NodeGraph& graph = *exp.graph;
            // Found now rather than with the round's other nodes: the copies of
            // a node expanded before this one may read this one.
            exp.downstream = state.downstreamPorts(processNode);

            std::shared_ptr<Chain> chain;
            if (trackChains)
            {
                auto originIt = origins.find(&processNode);
                chain = std::make_shared<Chain>();
                if (originIt != origins.end())
                    *chain = *originIt->second;
                if (std::find(chain->begin(), chain->end(), &graph) != chain->end())
                    throw Exception("Node graph '" + graph.getName() + "' contains an instance of itself through node '" +
                                    processNode.getName() + "'; it cannot be flattened");
                chain->push_back(&graph);
            }

            // Copy each node of the graph; they take the replaced node's place.
            const size_t firstCopy = getChildren().size();
            std::unordered_map<string, Node*> renamed;
            vector<std::pair<const Node*, Node*>> copies;
            for (const ElementPtr& child : graph.getChildren())
            {
                const Node* source = elementCast<const Node>(child.get());
                if (!source)
                    continue;
                string destName = createValidChildName(source->getName());
                NodePtr dest = addNode(source->getCategory(), destName);
                dest->copyContentFrom(source->getSelf());
                renamed.emplace(source->getName(), dest.get());
                copies.emplace_back(source, dest.get());
                state.recordCopy(dest.get(), source);
                if (trackChains)
                    origins[dest.get()] = chain;
                queue.push_back(dest);
            }

            // Copies are bound last first: the nodes made for geometric
            // defaults come in the order documents written elsewhere show.
            for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy)
            {
                Node* dest = copy->second;
                for (const ElementPtr& child : dest->getChildren())
                {
                    Input* input = elementCast<Input>(child.get());
                    if (!input)
                        continue;
                    // Connections between the graph's nodes follow their new names.
                    if (const string* nodeName = input->findAttribute(PortElement::NODE_NAME_ATTRIBUTE))
                    {
                        auto it = renamed.find(*nodeName);
                        if (it != renamed.end() && it->second->getName() != *nodeName)
                            input->setNodeName(it->second->getName());
                    }
                    const string* interfaceName = input->findAttribute(ValueElement::INTERFACE_NAME_ATTRIBUTE);
                    if (!interfaceName)
                        continue;
                    // Interface bindings take the replaced node's input, or the
                    // definition's default when the node does not set it.
                    const string bound = *interfaceName;
                    const Input* reference = elementCast<const Input>(processNode.findChild(bound));
                    if (reference)
                    {
                        // The node's own input stands in whole for the binding,
                        // an interface name of its own included.
                        replaceAttributes(*reference, *input);
                        continue;
                    }
                    if (exp.declaration)
                    {
                        const Input* declared = exp.declaration->findActiveInput(bound);
                        if (declared && declared->hasValueString())
                            input->setValueString(declared->getValueString());
                        // An unbound input with a geometric default reads
                        // that property from a node of its own.
                        if (const string* geomProp = declared ? declared->findAttribute(Input::DEFAULT_GEOM_PROP_ATTRIBUTE) : nullptr)
                            if (const Element* geomPropDef = geomPropDefinition(*this, *geomProp))
                                input->setConnectedNode(addGeomNode(*this, *geomPropDef));
                    }
                    input->removeAttribute(ValueElement::INTERFACE_NAME_ATTRIBUTE);
                }
            }

            for (auto& copy : copies)
                state.noteNode(*copy.second);

            // Ports that read the replaced node now read the graph's output.
            for (PortElementPtr& port : exp.downstream)
            {
                const Output* output = nullptr;
                if (port->hasOutputString())
                    output = graph.getOutput(port->getOutputString()).get();
                if (!output)
                {
                    for (const ElementPtr& child : graph.getChildren())
                        if ((output = elementCast<const Output>(child.get())))
                            break;
                }
                if (!output)
                    continue;
                if (const string* nodeName = output->findAttribute(PortElement::NODE_NAME_ATTRIBUTE))
                {
                    auto it = renamed.find(*nodeName);
                    if (it == renamed.end())
                        continue;
                    port->setNodeName(it->second->getName());
                    // A port that chose an output keeps the attribute, empty
                    // when the graph's output names none.
                    if (output->hasOutputString() || port->hasOutputString())
                        port->setOutputString(output->getOutputString());
                }
                else if (const string* interfaceName = output->findAttribute(ValueElement::INTERFACE_NAME_ATTRIBUTE))
                {
                    // A pass-through output: the port takes what the node's input held.
                    const Input* reference = elementCast<const Input>(processNode.findChild(*interfaceName));
                    const Input* declared = exp.declaration ? exp.declaration->findActiveInput(*interfaceName) : nullptr;
                    const Input* source = reference ? reference : declared;
                    port->removeAttribute(PortElement::NODE_NAME_ATTRIBUTE);
                    port->removeAttribute(PortElement::OUTPUT_ATTRIBUTE);
                    if (source)
                        copyBinding(*source, *port);
                }
                else if (output->hasValueString())
                {
                    port->removeAttribute(PortElement::NODE_NAME_ATTRIBUTE);
                    port->removeAttribute(PortElement::OUTPUT_ATTRIBUTE);
                    port->setValueString(output->getValueString());
                }
            }

            for (const PortElementPtr& port : exp.downstream)
                state.notePort(port);
            origins.erase(&processNode);
            state.forgetCopy(&processNode);
            replaceChildByRange(firstCopy, copies.size(), processNode);
        }
    }
}

void GraphElement::replaceChildByRange(size_t first, size_t count, const Element& replaced)
{
    // Found by address rather than name, and one rotation moves the whole
    // block: flattening does this once per expanded node.
    auto position = std::find_if(mutableChildList().begin(), mutableChildList().end(), [&replaced](const ElementPtr& child) { return child.get() == &replaced; });
    if (first + count > mutableChildList().size() || position >= mutableChildList().begin() + std::ptrdiff_t(first))
        return;
    const size_t index = size_t(position - mutableChildList().begin());
    auto block = mutableChildList().begin() + std::ptrdiff_t(first);
    std::rotate(position, block, block + std::ptrdiff_t(count));
    removeChildAt(index + count);
}

vector<ElementPtr> GraphElement::topologicalSort() const
{
    // Kahn's algorithm over the nodes and outputs of this graph.
    vector<const Element*> elems;
    std::unordered_map<const Element*, size_t> inDegree;
    std::unordered_map<const Element*, vector<const Element*>> downstream;
    for (const ElementPtr& child : getChildren())
    {
        if (!elementCast<const Node>(child.get()) && !elementCast<const Output>(child.get()))
            continue;
        elems.push_back(child.get());
        inDegree[child.get()] = 0;
    }
    for (const Element* elem : elems)
    {
        vector<const PortElement*> ports;
        if (const Output* output = elementCast<const Output>(elem))
            ports.push_back(output);
        else
            for (const ElementPtr& child : elem->getChildren())
                if (const Input* input = elementCast<const Input>(child.get()))
                    ports.push_back(input);
        for (const PortElement* port : ports)
        {
            const string* nodeName = port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE);
            const Element* upstream = nodeName ? findChild(*nodeName) : nullptr;
            if (upstream && inDegree.count(upstream))
            {
                downstream[upstream].push_back(elem);
                ++inDegree[elem];
            }
        }
    }
    vector<ElementPtr> sorted;
    vector<const Element*> ready;
    for (const Element* elem : elems)
        if (inDegree[elem] == 0)
            ready.push_back(elem);
    for (size_t i = 0; i < ready.size(); ++i)
    {
        sorted.push_back(const_cast<Element*>(ready[i])->getSelf());
        for (const Element* next : downstream[ready[i]])
            if (--inDegree[next] == 0)
                ready.push_back(next);
    }
    if (sorted.size() != elems.size())
        throw ExceptionFoundCycle("Encountered a cycle in graph: " + getName());
    return sorted;
}

//
// NodeGraph
//

vector<PortElementPtr> NodeGraph::getDownstreamPorts() const
{
    vector<PortElementPtr> ports;
    const Element* root = getRootRaw();
    if (root == this)
        return ports;
    for (const ElementPtr& elem : root->traverseTree())
    {
        const PortElement* port = elementCast<const PortElement>(elem.get());
        const string* graphName = port ? port->findAttribute(PortElement::NODE_GRAPH_ATTRIBUTE) : nullptr;
        if (graphName && port->resolveNameReference<NodeGraph>(*graphName).get() == this)
            ports.push_back(std::static_pointer_cast<PortElement>(elem));
    }
    std::sort(ports.begin(), ports.end(), [](const PortElementPtr& a, const PortElementPtr& b) { return a->getName() > b->getName(); });
    return ports;
}

void NodeGraph::setNameGlobal(const string& name)
{
    vector<PortElementPtr> ports = getDownstreamPorts();
    setName(name);
    for (const PortElementPtr& port : ports)
        port->setNodeGraphString(getName());
}

void NodeGraph::setNodeDef(ConstNodeDefPtr nodeDef)
{
    if (nodeDef)
        setNodeDefString(nodeDef->getName());
    else
        removeAttribute(NODE_DEF_ATTRIBUTE);
}

const NodeDef* NodeGraph::findNodeDef() const
{
    if (const string* nodeDefName = findAttribute(NODE_DEF_ATTRIBUTE))
        if (NodeDefPtr nodeDef = resolveNameReference<NodeDef>(*nodeDefName))
            return nodeDef.get();
    // Otherwise the definition of the last implementation naming this graph.
    const Document* doc = documentOf(this);
    if (!doc)
        return nullptr;
    const auto& byGraph = doc->getCache().lastImplementationByGraph;
    auto it = byGraph.find(getQualifiedName(getName()));
    if (it == byGraph.end())
        return nullptr;
    return it->second->getNodeDef().get();
}

NodeDefPtr NodeGraph::getNodeDef() const
{
    return sharedOf(findNodeDef());
}

InterfaceElementPtr NodeGraph::getImplementation() const
{
    const NodeDef* nodeDef = findNodeDef();
    return nodeDef ? nodeDef->getImplementation() : InterfaceElementPtr();
}

bool NodeGraph::validate(string* message) const
{
    bool res = true;
    if (hasNodeDefString())
    {
        const NodeDef* nodeDef = findNodeDef();
        validateRequire(nodeDef != nullptr, res, message, "NodeGraph implementation refers to non-existent NodeDef");
        if (nodeDef)
        {
            Output* declared = nullptr;
            size_t declaredCount = nodeDef->countActiveOutputs(&declared);
            vector<const Output*> outputs;
            for (const ElementPtr& child : getChildren())
                if (const Output* output = elementCast<const Output>(child.get()))
                    outputs.push_back(output);
            validateRequire(outputs.size() == declaredCount, res, message,
                            "NodeGraph implementation has a different number of outputs than its NodeDef");
            if (outputs.size() == 1 && declaredCount == 1)
                validateRequire(outputs[0]->getType() == declared->getType(), res, message,
                                "NodeGraph implementation has an output with a different type than its NodeDef");
        }
    }
    return GraphElement::validate(message) && res;
}

MATERIALX_NAMESPACE_END
