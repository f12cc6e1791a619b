#include <MaterialXCore/Document.h>

#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

const string Document::CATEGORY = "materialx";
const string Document::CMS_ATTRIBUTE = "cms";
const string Document::CMS_CONFIG_ATTRIBUTE = "cmsconfig";

Document::Document(Element* parent, const string& name) :
    GraphElement(parent, CATEGORY, name)
{
    kinds_ |= KIND;
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
    // Copies take their children from a frozen snapshot of the library only
    // when someone looks at them: most library elements are never visited.
    ConstDocumentPtr frozen = library->getFrozenSnapshot();
    importFrozenLibrary(*library, *frozen, true);
}

void Document::importLibrary(DocumentPtr&& library)
{
    DocumentPtr taken = std::move(library);
    if (!taken)
        return;
    if (taken.use_count() != 1 || !isSolelyOwned(*taken))
    {
        importLibrary(ConstDocumentPtr(taken));
        return;
    }
    // Nobody can change the library any more: it is its own snapshot.  Its
    // copies keep no link to it, as they would not once it went away.
    importFrozenLibrary(*taken, *taken, false);
}

bool Document::isSolelyOwned(const Element& elem)
{
    vector<const Element*> stack{ &elem };
    while (!stack.empty())
    {
        const Element* e = stack.back();
        stack.pop_back();
        for (const ElementPtr& child : e->childList())
        {
            if (child.use_count() != 1)
                return false;
            stack.push_back(child.get());
        }
    }
    return true;
}

void Document::importFrozenLibrary(const Document& library, const Document& frozen, bool linkSource)
{
    const string* libFilePrefix = library.findAttribute(FILE_PREFIX_ATTRIBUTE);
    const string* libGeomPrefix = library.findAttribute(GEOM_PREFIX_ATTRIBUTE);
    const string* libColorSpace = library.findAttribute(COLOR_SPACE_ATTRIBUTE);
    const string* libNamespace = library.findAttribute(NAMESPACE_ATTRIBUTE);
    const string& libSourceUri = library.getSourceUri();

    const vector<ElementPtr>& frozenChildren = frozen.getChildren();
    const vector<ElementPtr>& libraryChildren = library.getChildren();
    ensureChildren();
    mutableChildList().reserve(mutableChildList().size() + libraryChildren.size());
    for (size_t i = 0; i < libraryChildren.size(); ++i)
    {
        const ElementPtr& child = libraryChildren[i];
        if (child->getCategory().empty())
            throw Exception("Trying to import child without a category: " + child->getName());
        const string childName = libNamespace ? child->getQualifiedName(child->getName()) : child->getName();
        if (findChild(childName))
            continue;

        ElementPtr copy = child->createEmptyCopy(this, childName);
        insertChild(copy);
        copy->copyDeferred(*frozenChildren[i]);
        if (libFilePrefix && !copy->hasFilePrefix())
            copy->setFilePrefix(*libFilePrefix);
        if (libGeomPrefix && !copy->hasGeomPrefix())
            copy->setGeomPrefix(*libGeomPrefix);
        if (libColorSpace && !copy->hasColorSpace())
            copy->setColorSpace(*libColorSpace);
        if (libNamespace && !copy->hasNamespace())
            copy->setNamespace(*libNamespace);
        if (!libSourceUri.empty() && !copy->hasSourceUri())
            copy->shareSourceUri(library);
        if (linkSource)
        {
            copy->extras().librarySource = child;
            copy->extras().libraryGeneration = library.generation_;
        }
        copy->isLibraryCopy_ = true;
    }
    invalidateCache();
}

StringSet Document::getReferencedSourceUris() const
{
    StringSet uris;
    for (const ElementPtr& child : getChildren())
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
    if (!cache_)
        cache_.reset(new Cache());
    if (!cacheDirty_)
        return *cache_;

    ++lookupTableBuilds_;
    Cache& cache = *cache_;
    cache.nodeDefsByNode.clear();
    cache.implementationsByNodeDef.clear();
    cache.lastImplementationByGraph.clear();
    cache.portsByNodeName.clear();

    for (const ElementPtr& child : getChildren())
    {
        Element* elem = child.get();
        if (NodeDef* nodeDef = elementCast<NodeDef>(elem))
        {
            if (const string* node = nodeDef->findAttribute(NodeDef::NODE_ATTRIBUTE))
                cache.nodeDefsByNode[nodeDef->getQualifiedName(*node)].push_back(nodeDef);
        }
        else if (NodeGraph* graph = elementCast<NodeGraph>(elem))
        {
            if (const string* nodeDefName = graph->findAttribute(NODE_DEF_ATTRIBUTE))
                cache.implementationsByNodeDef[graph->getQualifiedName(*nodeDefName)].push_back(graph);
        }
        else if (Implementation* impl = elementCast<Implementation>(elem))
        {
            const string* graphName = impl->findAttribute(Implementation::NODE_GRAPH_ATTRIBUTE);
            if (graphName)
                cache.lastImplementationByGraph[impl->getQualifiedName(*graphName)] = impl;
            if (const string* nodeDefName = impl->findAttribute(NODE_DEF_ATTRIBUTE))
                cache.implementationsByNodeDef[impl->getQualifiedName(*nodeDefName)].push_back(impl);
        }
    }

    cache.portsValid = false;
    cacheDirty_ = false;
    return cache;
}

ConstDocumentPtr Document::getFrozenSnapshot() const
{
    if (!frozen_ || frozenGeneration_ != generation_)
    {
        DocumentPtr frozen = std::make_shared<Document>(nullptr, EMPTY_STRING);
        frozen->copyQuietly(*this);
        frozen_ = frozen;
        frozenGeneration_ = generation_;
    }
    return frozen_;
}

namespace
{

// True when a port below elem (a frozen top-level element) names a node that
// is looked up among the document's top-level nodes.
bool hasTopLevelPorts(const Element* top)
{
    struct Entry
    {
        const Element* elem;
        bool insideGraph;
    };
    vector<Entry> stack{ { top, false } };
    while (!stack.empty())
    {
        Entry entry = stack.back();
        stack.pop_back();
        const Element* elem = entry.elem;
        if (elementCast<const PortElement>(elem) && elem->hasAttribute(PortElement::NODE_NAME_ATTRIBUTE))
        {
            if (!entry.insideGraph || (elem->getParentRaw() && elementCast<const NodeGraph>(elem->getParentRaw())))
                return true;
        }
        bool inside = entry.insideGraph || elementCast<const NodeGraph>(elem);
        for (const ElementPtr& child : elem->getChildren())
            stack.push_back({ child.get(), inside });
    }
    return false;
}

} // anonymous namespace

const Document::Cache& Document::getPortCache() const
{
    Cache& cache = const_cast<Cache&>(getCache());
    if (cache.portsValid && !portsStale_)
        return cache;
    ++lookupTableBuilds_;
    cache.portsByNodeName.clear();
    portsStale_ = false;

    // Ports anywhere in the tree, by the node they name.  Library copies not
    // yet made real are skipped unless a port of theirs could name a
    // top-level node: theirs resolve inside their own graphs.
    vector<Element*> stack;
    for (auto it = getChildren().rbegin(); it != getChildren().rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty())
    {
        Element* elem = stack.back();
        stack.pop_back();
        if (PortElement* port = elementCast<PortElement>(elem))
        {
            if (const string* nodeName = port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE))
                cache.portsByNodeName[*nodeName].push_back(port);
        }
        if (const ConstElementPtr* pending = elem->pendingSource())
        {
            const Element* source = pending->get();
            if (source->hasTopLevelPorts_ < 0)
                source->hasTopLevelPorts_ = hasTopLevelPorts(source) ? 1 : 0;
            if (!source->hasTopLevelPorts_)
                continue;
        }
        const vector<ElementPtr>& children = elem->getChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(it->get());
    }
    cache.portsValid = true;
    return cache;
}

namespace
{

// The shared references of the elements a lookup table holds under key.
template <class T> vector<shared_ptr<T>> sharedEntries(const std::unordered_map<string, vector<T*>>& table, const string& key)
{
    vector<shared_ptr<T>> result;
    auto it = table.find(key);
    if (it != table.end())
        for (T* elem : it->second)
            result.push_back(std::static_pointer_cast<T>(elem->getSelf()));
    return result;
}

} // anonymous namespace

vector<PortElementPtr> Document::getMatchingPorts(const string& nodeName) const
{
    // Every port counts here: make all deferred children real first.
    for (const ElementPtr& elem : traverseTree())
        elem->ensureChildren();
    return sharedEntries(getPortCache().portsByNodeName, nodeName);
}

vector<NodeDefPtr> Document::getMatchingNodeDefs(const string& nodeName) const
{
    return sharedEntries(getCache().nodeDefsByNode, nodeName);
}

vector<InterfaceElementPtr> Document::getMatchingImplementations(const string& nodeDef) const
{
    return sharedEntries(getCache().implementationsByNodeDef, nodeDef);
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
    reusableLibraries_ = findReusableLibraries();
    try
    {
        res = GraphElement::validate(message) && res;
    }
    catch (...)
    {
        reusableLibraries_.clear();
        throw;
    }
    reusableLibraries_.clear();
    return res;
}

const Document::LibraryReferences& Document::getLibraryReferences() const
{
    if (libraryReferences_ && libraryReferences_->generation == generation_)
        return *libraryReferences_;
    libraryReferences_.reset(new LibraryReferences());
    LibraryReferences& refs = *libraryReferences_;
    refs.generation = generation_;

    // Every name that validating this document's elements can look up among
    // the top-level elements, and every node category it matches.
    static const string* const referenceAttributes[] = { &NODE_DEF_ATTRIBUTE, &PortElement::NODE_GRAPH_ATTRIBUTE,
                                                         &INHERIT_ATTRIBUTE, &PortElement::OUTPUT_ATTRIBUTE,
                                                         &ValueElement::INTERFACE_NAME_ATTRIBUTE };
    vector<const Element*> stack;
    for (const ElementPtr& child : getChildren())
        stack.push_back(child.get());
    while (!stack.empty())
    {
        const Element* elem = stack.back();
        stack.pop_back();
        for (const string* attrib : referenceAttributes)
            if (const string* value = elem->findAttribute(*attrib))
                refs.names.insert(*value);
        if (elementCast<const Node>(elem))
            refs.categories.insert(elem->getCategory());
        if (elementCast<const PortElement>(elem))
        {
            const Element* parent = elem->getParentRaw();
            bool resolvesAtTop = elementCast<const NodeGraph>(parent) || parent == this ||
                                 (parent && !elementCast<const GraphElement>(parent) && parent->getParentRaw() == this);
            const string* nodeName = elem->findAttribute(PortElement::NODE_NAME_ATTRIBUTE);
            if (nodeName && resolvesAtTop)
                refs.names.insert(*nodeName);
        }
        for (const ElementPtr& child : elem->getChildren())
            stack.push_back(child.get());
    }
    return refs;
}

std::unordered_set<const Document*> Document::findReusableLibraries() const
{
    // Library copies can take their library's own validation result when
    // nothing here changes what validating them looks up: every element of
    // the library is here as an untouched copy, and no other element here
    // has a name they refer to, defines a node they use or claims one of
    // their graphs.
    std::unordered_map<const Document*, size_t> copies;
    for (const ElementPtr& child : getChildren())
    {
        if (!child->isLibraryCopy_ || !child->extras_)
            continue;
        ElementPtr source = std::const_pointer_cast<Element>(child->extras_->librarySource.lock());
        const Document* library = source ? elementCast<const Document>(source->getRootRaw()) : nullptr;
        if (library && library != this && library->generation_ == child->extras_->libraryGeneration)
            ++copies[library];
    }

    std::unordered_set<const Document*> reusable;
    if (copies.empty() || hasAnyNamespace())
        return reusable;
    for (const auto& entry : copies)
    {
        const Document* library = entry.first;
        if (entry.second != library->getChildren().size() || library->findAttribute(NAMESPACE_ATTRIBUTE) ||
            library->findAttribute(COLOR_SPACE_ATTRIBUTE) || library->findAttribute(FILE_PREFIX_ATTRIBUTE) ||
            library->findAttribute(GEOM_PREFIX_ATTRIBUTE))
            continue;
        const LibraryReferences& refs = library->getLibraryReferences();
        bool interferes = false;
        for (const ElementPtr& child : getChildren())
        {
            if (child->isLibraryCopy_ && child->extras_ && child->getRootRaw() == this)
            {
                ElementPtr source = std::const_pointer_cast<Element>(child->extras_->librarySource.lock());
                if (source && source->getRootRaw() == library &&
                    library->generation_ == child->extras_->libraryGeneration)
                    continue;
            }
            if (refs.names.count(child->getName()))
                interferes = true;
            else if (const NodeDef* nodeDef = elementCast<const NodeDef>(child.get()))
                interferes = refs.categories.count(nodeDef->getNodeString()) != 0;
            else if (const Implementation* impl = elementCast<const Implementation>(child.get()))
                interferes = impl->hasNodeGraph() && library->findChild(impl->getNodeGraph());
            if (interferes)
                break;
        }
        if (!interferes)
            reusable.insert(library);
    }
    return reusable;
}

bool Document::validateChild(const Element& child, string* message) const
{
    if (child.isLibraryCopy_ && child.extras_ && !reusableLibraries_.empty())
    {
        ConstElementPtr source = child.extras_->librarySource.lock();
        const Document* library = source ? elementCast<const Document>(source->getRootRaw()) : nullptr;
        if (library && reusableLibraries_.count(library) && library->generation_ == child.extras_->libraryGeneration)
        {
            std::unique_ptr<ValidationMemo>& memo = source->extras().validationMemo;
            if (!memo || memo->generation != library->generation_)
            {
                string sourceMessage;
                bool ok = source->validate(&sourceMessage);
                memo.reset(new ValidationMemo{ library->generation_, ok, std::move(sourceMessage) });
            }
            if (message)
                *message += memo->message;
            return memo->ok;
        }
    }
    return child.validate(message);
}

MATERIALX_NAMESPACE_END
