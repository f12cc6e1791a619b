#include <MaterialXCore/Document.h>

MATERIALX_NAMESPACE_BEGIN

const string Document::CATEGORY = "materialx";
const string Document::CMS_ATTRIBUTE = "cms";
const string Document::CMS_CONFIG_ATTRIBUTE = "cmsconfig";

Document::Document(Element* parent, const string& name) :
    GraphElement(parent, CATEGORY, name)
{
}

Document::~Document() = default;

DocumentPtr createDocument()
{
    DocumentPtr doc = std::make_shared<Document>(nullptr, EMPTY_STRING);
    doc->initialize();
    return doc;
}

void Document::initialize()
{
    clearContent();
    setVersionString(std::to_string(MATERIALX_MAJOR_VERSION) + "." + std::to_string(MATERIALX_MINOR_VERSION));
}

DocumentPtr Document::copy() const
{
    DocumentPtr doc = std::make_shared<Document>(nullptr, EMPTY_STRING);
    doc->copyContentIntoEmpty(*this);
    return doc;
}

void Document::importLibrary(const ConstDocumentPtr& library)
{
    if (!library)
        return;
    const string* libFilePrefix = library->findAttribute(FILE_PREFIX_ATTRIBUTE);
    const string* libGeomPrefix = library->findAttribute(GEOM_PREFIX_ATTRIBUTE);
    const string* libColorSpace = library->findAttribute(COLOR_SPACE_ATTRIBUTE);
    const string* libNamespace = library->findAttribute(NAMESPACE_ATTRIBUTE);
    const string& libSourceUri = library->getSourceUri();

    _children.reserve(_children.size() + library->getChildren().size());
    for (const ElementPtr& child : library->getChildren())
    {
        if (child->getCategory().empty())
            throw Exception("Trying to import child without a category: " + child->getName());
        const string childName = libNamespace ? child->getQualifiedName(child->getName()) : child->getName();
        if (findChild(childName))
            continue;

        ElementPtr copy = child->createEmptyCopy(this, childName);
        insertChild(copy);
        copy->copyContentIntoEmpty(*child);
        if (libFilePrefix && !copy->hasFilePrefix())
            copy->setFilePrefix(*libFilePrefix);
        if (libGeomPrefix && !copy->hasGeomPrefix())
            copy->setGeomPrefix(*libGeomPrefix);
        if (libColorSpace && !copy->hasColorSpace())
            copy->setColorSpace(*libColorSpace);
        if (libNamespace && !copy->hasNamespace())
            copy->setNamespace(*libNamespace);
        if (!libSourceUri.empty() && !copy->hasSourceUri())
            copy->setSourceUri(libSourceUri);
    }
    invalidateCache();
}

StringSet Document::getReferencedSourceUris() const
{
    StringSet uris;
    for (const ElementPtr& child : _children)
        if (child->hasSourceUri())
            uris.insert(child->getSourceUri());
    return uris;
}

NodeDefPtr Document::addNodeDef(const string& name, const string& type, const string& node)
{
    NodeDefPtr nodeDef = addChild<NodeDef>(name);
    if (!type.empty() && type != MULTI_OUTPUT_TYPE_STRING)
        nodeDef->addOutput("out", type);
    if (!node.empty())
        nodeDef->setNodeString(node);
    return nodeDef;
}

const Document::Cache& Document::getCache() const
{
    if (!_cache)
        _cache.reset(new Cache());
    if (!_cacheDirty)
        return *_cache;

    Cache& cache = *_cache;
    cache.nodeDefsByNode.clear();
    cache.implementationsByNodeDef.clear();
    cache.lastImplementationByGraph.clear();
    cache.portsByNodeName.clear();

    for (const ElementPtr& child : _children)
    {
        Element* elem = child.get();
        if (NodeDef* nodeDef = dynamic_cast<NodeDef*>(elem))
        {
            if (const string* node = nodeDef->findAttribute(NodeDef::NODE_ATTRIBUTE))
                cache.nodeDefsByNode[nodeDef->getQualifiedName(*node)].push_back(nodeDef);
        }
        else if (NodeGraph* graph = dynamic_cast<NodeGraph*>(elem))
        {
            if (const string* nodeDefName = graph->findAttribute(NODE_DEF_ATTRIBUTE))
                cache.implementationsByNodeDef[graph->getQualifiedName(*nodeDefName)].push_back(graph);
        }
        else if (Implementation* impl = dynamic_cast<Implementation*>(elem))
        {
            const string* graphName = impl->findAttribute(Implementation::NODE_GRAPH_ATTRIBUTE);
            if (graphName)
                cache.lastImplementationByGraph[impl->getQualifiedName(*graphName)] = impl;
            if (const string* nodeDefName = impl->findAttribute(NODE_DEF_ATTRIBUTE))
            {
                // An implementation that names a node graph stands for that graph.
                InterfaceElement* target = impl;
                if (graphName && !graphName->empty())
                    target = dynamic_cast<NodeGraph*>(findChild(*graphName));
                if (target)
                    cache.implementationsByNodeDef[impl->getQualifiedName(*nodeDefName)].push_back(target);
            }
        }
    }

    // Ports anywhere in the tree, by the node they name.
    vector<Element*> stack;
    for (auto it = _children.rbegin(); it != _children.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty())
    {
        Element* elem = stack.back();
        stack.pop_back();
        if (PortElement* port = dynamic_cast<PortElement*>(elem))
        {
            if (const string* nodeName = port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE))
                cache.portsByNodeName[*nodeName].push_back(port);
        }
        const vector<ElementPtr>& children = elem->getChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(it->get());
    }

    _cacheDirty = false;
    return cache;
}

vector<PortElementPtr> Document::getMatchingPorts(const string& nodeName) const
{
    vector<PortElementPtr> ports;
    const auto& byNodeName = getCache().portsByNodeName;
    auto it = byNodeName.find(nodeName);
    if (it != byNodeName.end())
        for (PortElement* port : it->second)
            ports.push_back(std::static_pointer_cast<PortElement>(port->getSelf()));
    return ports;
}

vector<NodeDefPtr> Document::getMatchingNodeDefs(const string& nodeName) const
{
    vector<NodeDefPtr> nodeDefs;
    const auto& byNode = getCache().nodeDefsByNode;
    auto it = byNode.find(nodeName);
    if (it != byNode.end())
        for (NodeDef* nodeDef : it->second)
            nodeDefs.push_back(std::static_pointer_cast<NodeDef>(nodeDef->getSelf()));
    return nodeDefs;
}

vector<InterfaceElementPtr> Document::getMatchingImplementations(const string& nodeDef) const
{
    vector<InterfaceElementPtr> impls;
    const auto& byNodeDef = getCache().implementationsByNodeDef;
    auto it = byNodeDef.find(nodeDef);
    if (it != byNodeDef.end())
        for (InterfaceElement* impl : it->second)
            impls.push_back(std::static_pointer_cast<InterfaceElement>(impl->getSelf()));
    return impls;
}

vector<NodePtr> Document::getMaterialNodes() const
{
    return getNodesOfType(MATERIAL_TYPE_STRING);
}

std::pair<int, int> Document::getVersionIntegers() const
{
    if (!hasVersionString())
        return { MATERIALX_MAJOR_VERSION, MATERIALX_MINOR_VERSION };
    StringVec parts = splitString(getVersionString(), ".");
    try
    {
        if (parts.size() == 2)
            return { std::stoi(parts[0]), std::stoi(parts[1]) };
        if (parts.size() == 1)
            return { std::stoi(parts[0]), 0 };
    }
    catch (std::exception&)
    {
    }
    return { 0, 0 };
}

bool Document::validate(string* message) const
{
    bool res = true;
    std::pair<int, int> expected(MATERIALX_MAJOR_VERSION, MATERIALX_MINOR_VERSION);
    std::pair<int, int> version = getVersionIntegers();
    validateRequire(version >= expected, res, message, "Unsupported document version");
    validateRequire(version <= expected, res, message, "Future document version");
    return GraphElement::validate(message) && res;
}

MATERIALX_NAMESPACE_END
