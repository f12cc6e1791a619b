#include <MaterialXCore/Document.h>

#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

const string Element::NAME_ATTRIBUTE = "name";
const string Element::FILE_PREFIX_ATTRIBUTE = "fileprefix";
const string Element::GEOM_PREFIX_ATTRIBUTE = "geomprefix";
const string Element::COLOR_SPACE_ATTRIBUTE = "colorspace";
const string Element::INHERIT_ATTRIBUTE = "inherit";
const string Element::NAMESPACE_ATTRIBUTE = "namespace";
const string Element::DOC_ATTRIBUTE = "doc";
const string Element::XPOS_ATTRIBUTE = "xpos";
const string Element::YPOS_ATTRIBUTE = "ypos";
const string Element::XINCLUDE_HREF_ATTRIBUTE = "href";
const string TypedElement::TYPE_ATTRIBUTE = "type";
const string ValueElement::VALUE_ATTRIBUTE = "value";
const string ValueElement::INTERFACE_NAME_ATTRIBUTE = "interfacename";
const string ValueElement::IMPLEMENTATION_NAME_ATTRIBUTE = "implname";
const string ValueElement::IMPLEMENTATION_TYPE_ATTRIBUTE = "impltype";
const string ValueElement::ENUM_ATTRIBUTE = "enum";
const string ValueElement::ENUM_VALUES_ATTRIBUTE = "enumvalues";
const string ValueElement::UI_NAME_ATTRIBUTE = "uiname";
const string ValueElement::UI_FOLDER_ATTRIBUTE = "uifolder";
const string ValueElement::UI_MIN_ATTRIBUTE = "uimin";
const string ValueElement::UI_MAX_ATTRIBUTE = "uimax";
const string ValueElement::UNIT_ATTRIBUTE = "unit";
const string ValueElement::UNITTYPE_ATTRIBUTE = "unittype";
const string ValueElement::UNIFORM_ATTRIBUTE = "uniform";
const string Token::CATEGORY = "token";
const string CommentElement::CATEGORY = "comment";
const string NewlineElement::CATEGORY = "newline";
const string GenericElement::CATEGORY = "generic";

namespace
{

// Below this many children a linear scan is about as fast as hashing, and
// a shader node with all its inputs keeps no index beside them.
constexpr size_t CHILD_INDEX_THRESHOLD = 48;

// Elements mostly hold two or three attributes: short lists grow one by
// one instead of doubling, so that a built document holds no slack.
constexpr size_t EXACT_ATTRIBUTE_GROWTH = 8;

using ElementCreator = ElementPtr (*)(Element* parent, const string& name);

template <class T> ElementPtr createOf(Element* parent, const string& name)
{
    return std::make_shared<T>(parent, name);
}

const std::unordered_map<string, ElementCreator>& creatorMap()
{
    static const std::unordered_map<string, ElementCreator> creators = {
        { "input", &createOf<Input> },
        { "output", &createOf<Output> },
        { "nodedef", &createOf<NodeDef> },
        { "nodegraph", &createOf<NodeGraph> },
        { "implementation", &createOf<Implementation> },
        { "typedef", &createOf<TypeDef> },
        { "member", &createOf<Member> },
        { "targetdef", &createOf<TargetDef> },
        { "unitdef", &createOf<UnitDef> },
        { "unittypedef", &createOf<UnitTypeDef> },
        { "attributedef", &createOf<AttributeDef> },
        { "token", &createOf<Token> },
        { "comment", &createOf<CommentElement> },
        { "newline", &createOf<NewlineElement> },
        { "backdrop", &createOf<Backdrop> },
        { "look", &createOf<Look> },
        { "lookgroup", &createOf<LookGroup> },
        { "materialassign", &createOf<MaterialAssign> },
        { "materialx", &createOf<Document> },
        // Known categories without behaviour of their own: value elements
        // keep their value checks, the rest are plain.
        { "geomprop", &createOf<ValueGenericElement> },
        { "property", &createOf<ValueGenericElement> },
        { "unit", &createOf<GenericElement> },
        { "geompropdef", &createOf<TypedGenericElement> },
        { "geominfo", &createOf<GenericElement> },
        { "collection", &createOf<GenericElement> },
        { "propertyset", &createOf<GenericElement> },
        { "propertyassign", &createOf<ValueGenericElement> },
        { "propertysetassign", &createOf<GenericElement> },
        { "variantset", &createOf<GenericElement> },
        { "variant", &createOf<GenericElement> },
        { "variantassign", &createOf<GenericElement> },
        { "visibility", &createOf<GenericElement> },
        { "generic", &createOf<GenericElement> },
    };
    return creators;
}

bool affectsDocumentCache(const string& attrib)
{
    // Lookup tables index node strings, definition names, graph references
    // of implementations, port connections and namespaces.
    switch (attrib.size())
    {
        case 4:
            return attrib == NodeDef::NODE_ATTRIBUTE;
        case 7:
            return attrib == InterfaceElement::NODE_DEF_ATTRIBUTE;
        case 8:
            return attrib == PortElement::NODE_NAME_ATTRIBUTE;
        case 9:
            return attrib == PortElement::NODE_GRAPH_ATTRIBUTE || attrib == Element::NAMESPACE_ATTRIBUTE;
        default:
            return false;
    }
}

} // anonymous namespace

//
// Element
//

Element::Element(Element* parent, const string& category, const string& name) :
    category_(category),
    name_(name),
    parent_(parent),
    root_(parent ? parent->root_ : this),
    depth_(parent ? parent->depth_ + 1 : 0)
{
    if (depth_ > MAX_DEPTH)
        throw Exception("Element nesting deeper than " + std::to_string(MAX_DEPTH) + " levels at <" + category + " name=\"" + name + "\">");
}

Element::~Element()
{
    // Children that someone still holds outlive us: make them roots of
    // their own subtrees so they never reach a destroyed parent.
    std::vector<Element*> stack;
    for (const ElementPtr& child : childList())
    {
        if (child.use_count() <= 1)
            continue;
        Element* newRoot = child.get();
        stack.clear();
        stack.push_back(newRoot);
        while (!stack.empty())
        {
            Element* e = stack.back();
            stack.pop_back();
            e->root_ = newRoot;
            for (const ElementPtr& grandChild : e->childList())
                stack.push_back(grandChild.get());
        }
        newRoot->parent_ = nullptr;
    }
}

void Element::setName(const string& name)
{
    if (name == name_)
        return;
    if (parent_)
    {
        if (parent_->findChild(name))
            throw Exception("Element name is not unique at the given scope: " + name);
        if (auto* index = parent_->childIndex())
        {
            index->erase(name_);
            index->emplace(name, this);
        }
        parent_->forgetChildName();
    }
    name_ = name;
    touch();
    invalidateDocumentCache();
}

string Element::getNamePath(ConstElementPtr relativeTo) const
{
    const Element* stop = relativeTo ? relativeTo.get() : elementCast<const Document>(root_);
    vector<const Element*> chain;
    for (const Element* elem = this; elem && elem != stop; elem = elem->parent_)
        chain.push_back(elem);
    string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    {
        if (!path.empty())
            path += NAME_PATH_SEPARATOR;
        path += (*it)->name_;
    }
    return path;
}

ElementPtr Element::getDescendant(const string& namePath) const
{
    const Element* elem = this;
    for (const string& part : splitNamePath(namePath))
    {
        elem = elem->findChild(part);
        if (!elem)
            return ElementPtr();
    }
    return elem == this ? ElementPtr() : const_cast<Element*>(elem)->getSelf();
}

namespace
{

// The value of the attribute on the element or its nearest ancestor that has it.
const string& activeAttribute(const Element* elem, const string& attrib)
{
    for (; elem; elem = elem->getParentRaw())
        if (const string* value = elem->findAttribute(attrib))
            return *value;
    return EMPTY_STRING;
}

} // anonymous namespace

const string& Element::getActiveFilePrefix() const
{
    return activeAttribute(this, FILE_PREFIX_ATTRIBUTE);
}

const string& Element::getActiveGeomPrefix() const
{
    return activeAttribute(this, GEOM_PREFIX_ATTRIBUTE);
}

const string& Element::getActiveColorSpace() const
{
    return activeAttribute(this, COLOR_SPACE_ATTRIBUTE);
}

const string& Element::getActiveSourceUri() const
{
    for (const Element* elem = this; elem; elem = elem->parent_)
        if (elem->hasSourceUri())
            return elem->getSourceUri();
    return EMPTY_STRING;
}

void Element::setInheritsFrom(ConstElementPtr super)
{
    if (super)
        setInheritString(super->getName());
    else
        removeAttribute(INHERIT_ATTRIBUTE);
}

ElementPtr Element::getInheritsFrom() const
{
    const string* inherit = findAttribute(INHERIT_ATTRIBUTE);
    if (!inherit || !parent_)
        return ElementPtr();
    Element* super = parent_->findChild(*inherit);
    return super ? super->getSelf() : ElementPtr();
}

bool Element::hasInheritedBase(ConstElementPtr base) const
{
    std::unordered_set<const Element*> seen;
    for (ElementPtr super = getInheritsFrom(); super; super = super->getInheritsFrom())
    {
        if (super == base)
            return true;
        if (!seen.insert(super.get()).second)
            break;
    }
    return false;
}

bool Element::hasInheritanceCycle() const
{
    if (!findAttribute(INHERIT_ATTRIBUTE))
        return false;
    std::unordered_set<const Element*> seen{ this };
    for (ElementPtr super = getInheritsFrom(); super; super = super->getInheritsFrom())
        if (!seen.insert(super.get()).second)
            return true;
    return false;
}

bool Element::hasAnyNamespace() const
{
    for (const Element* elem = this; elem; elem = elem->parent_)
        if (elem->findAttribute(NAMESPACE_ATTRIBUTE))
            return true;
    return false;
}

string Element::getQualifiedName(const string& name) const
{
    for (const Element* elem = this; elem; elem = elem->parent_)
    {
        if (const string* space = elem->findAttribute(NAMESPACE_ATTRIBUTE))
        {
            if (!space->empty())
                return *space + NAME_PREFIX_SEPARATOR + name;
        }
    }
    return name;
}

ElementPtr Element::addChildOfCategory(const string& category, string name)
{
    if (name.empty())
        name = createValidChildName(category + "1");
    if (findChild(name))
        throw Exception("Child name is not unique: " + name);

    ElementPtr child = createChildOfCategory(category, name);
    insertChild(child);
    return child;
}

ElementPtr Element::createChildOfCategory(const string& category, const string& name)
{
    ElementPtr child;
    const auto& creators = creatorMap();
    auto it = creators.find(category);
    if (it != creators.end())
        child = it->second(this, name);
    else if (elementCast<GraphElement>(this))
        child = std::make_shared<Node>(this, name);
    else
        child = std::make_shared<GenericElement>(this, name);
    // Not a change of its own: the caller records adding it.
    if (child->category_ != category)
        child->category_ = category;
    return child;
}

ElementPtr Element::changeChildCategory(ElementPtr child, const string& category)
{
    int index = getChildIndex(child->getName());
    return index < 0 ? nullptr : changeChildCategoryAt(size_t(index), category);
}

ElementPtr Element::changeChildCategoryAt(size_t index, const string& category)
{
    ensureChildren();
    if (index >= childList().size())
        return nullptr;
    ElementPtr old = mutableChildList()[index];
    // Replaced in its slot: upgrading a node of many parameters stays linear.
    ElementPtr replacement = createChildOfCategory(category, old->name_);
    replacement->copyContentIntoEmpty(*old);
    mutableChildList()[index] = replacement;
    if (auto* index = childIndex())
        (*index)[old->name_] = replacement.get();
    touch();
    invalidateDocumentCache();
    detachIfHeld(old);
    return replacement;
}

Element* Element::findChild(const string& name) const
{
    ensureChildren();
    if (!childIndex() && childList().size() > CHILD_INDEX_THRESHOLD)
        rebuildChildIndex();
    if (auto* index = childIndex())
    {
        auto it = index->find(name);
        return it != index->end() ? it->second : nullptr;
    }
    for (const ElementPtr& child : childList())
        if (child->name_ == name)
            return child.get();
    return nullptr;
}

void Element::rebuildChildIndex() const
{
    auto& index = extras().childIndex;
    index.reset(new std::unordered_map<string, Element*>());
    index->reserve(childList().size() * 2);
    for (const ElementPtr& child : childList())
        index->emplace(child->name_, child.get());
}

void Element::insertChild(const ElementPtr& child)
{
    ensureChildren();
    mutableChildList().push_back(child);
    if (auto* index = childIndex())
        index->emplace(child->name_, child.get());
    touch();
    invalidateDocumentCache();
}

Element& Element::appendNewChild(const string& category, const string& name)
{
    ElementPtr child = createChildOfCategory(category, name);
    Element& added = *child;
    ensureChildren();
    if (auto* index = childIndex())
        index->emplace(name, &added);
    mutableChildList().push_back(std::move(child));
    touch();
    invalidateDocumentCache();
    return added;
}

void Element::setChildIndex(const string& name, int index)
{
    ensureChildren();
    auto it = std::find_if(mutableChildList().begin(), mutableChildList().end(), [&name](const ElementPtr& child) { return child->name_ == name; });
    if (it == mutableChildList().end())
        return;
    if (index < 0 || index >= (int) mutableChildList().size())
        throw Exception("Invalid child index");
    ElementPtr child = *it;
    mutableChildList().erase(it);
    mutableChildList().insert(mutableChildList().begin() + index, child);
    touch();
}

int Element::getChildIndex(const string& name) const
{
    ensureChildren();
    for (size_t i = 0; i < childList().size(); ++i)
        if (childList()[i]->name_ == name)
            return (int) i;
    return -1;
}

void Element::removeChild(const string& name)
{
    ensureChildren();
    auto it = std::find_if(mutableChildList().begin(), mutableChildList().end(), [&name](const ElementPtr& child) { return child->name_ == name; });
    if (it != mutableChildList().end())
        removeChildAt(size_t(it - mutableChildList().begin()));
}

void Element::removeChildAt(size_t index)
{
    ElementPtr child = mutableChildList()[index];
    mutableChildList().erase(mutableChildList().begin() + std::ptrdiff_t(index));
    if (auto* names = childIndex())
        names->erase(child->name_);
    forgetChildName();
    touch();
    invalidateDocumentCache();
    detachIfHeld(child);
}

void Element::removeChildren(const std::function<bool(const Element&)>& doomed)
{
    ensureChildren();
    vector<ElementPtr> removed;
    auto kept = std::stable_partition(mutableChildList().begin(), mutableChildList().end(), [&doomed](const ElementPtr& child) { return !doomed(*child); });
    removed.assign(std::make_move_iterator(kept), std::make_move_iterator(mutableChildList().end()));
    mutableChildList().erase(kept, mutableChildList().end());
    if (removed.empty())
        return;
    forgetChildName();
    if (auto* index = childIndex())
        for (const ElementPtr& child : removed)
            index->erase(child->name_);
    touch();
    invalidateDocumentCache();
    for (const ElementPtr& child : removed)
        detachIfHeld(child);
}

void Element::detachIfHeld(const ElementPtr& child)
{
    // A removed subtree that lives on in someone's hands (besides the
    // caller's one reference) becomes a tree of its own.
    if (child.use_count() <= 1)
        return;
    std::vector<Element*> stack{ child.get() };
    while (!stack.empty())
    {
        Element* e = stack.back();
        stack.pop_back();
        e->root_ = child.get();
        for (const ElementPtr& grandChild : e->childList())
            stack.push_back(grandChild.get());
    }
    child->parent_ = nullptr;
}

void Element::setAttribute(const string& attrib, const string& value)
{
    touch();
    if (affectsDocumentCache(attrib))
        invalidateDocumentCache();
    if (const AttributePair* existing = findAttributePair(attrib))
    {
        const_cast<AttributePair*>(existing)->second = value;
        return;
    }
    if (attributes_.size() == attributes_.capacity() && attributes_.size() < EXACT_ATTRIBUTE_GROWTH)
        attributes_.reserve(attributes_.size() + 1);
    attributes_.emplace_back(attrib, value);
    if (extras_ && extras_->attributeIndex)
        extras_->attributeIndex->emplace(attrib, attributes_.size() - 1);
}

bool Element::appendNewAttribute(SharedName attrib, const char* value)
{
    if (attributes_.size() > ATTRIBUTE_SCAN_LIMIT)
    {
        if (findIndexedAttribute(attrib.str()))
            return false;
    }
    else
    {
        for (const AttributePair& attr : attributes_)
            if (attr.first == attrib)
                return false;
    }
    touch();
    attributes_.emplace_back(std::move(attrib), value);
    if (extras_ && extras_->attributeIndex)
        extras_->attributeIndex->emplace(attributes_.back().first, attributes_.size() - 1);
    if (affectsDocumentCache(attributes_.back().first))
        invalidateDocumentCache();
    return true;
}

const AttributePair* Element::findIndexedAttribute(const string& attrib) const
{
    auto& index = extras().attributeIndex;
    if (!index)
    {
        index.reset(new std::unordered_map<string, size_t>());
        index->reserve(attributes_.size() * 2);
        for (size_t i = 0; i < attributes_.size(); ++i)
            index->emplace(attributes_[i].first, i);
    }
    auto it = index->find(attrib);
    return it != index->end() ? &attributes_[it->second] : nullptr;
}

StringVec Element::getAttributeNames() const
{
    StringVec names;
    names.reserve(attributes_.size());
    for (const AttributePair& attr : attributes_)
        names.push_back(attr.first);
    return names;
}

void Element::removeAttribute(const string& attrib)
{
    auto it = std::find_if(attributes_.begin(), attributes_.end(), [&attrib](const AttributePair& attr) { return attr.first == attrib; });
    if (it == attributes_.end())
        return;
    touch();
    if (affectsDocumentCache(attrib))
        invalidateDocumentCache();
    attributes_.erase(it);
    attributesReplaced();
}

const vector<ElementPtr>& Element::noChildren()
{
    static const vector<ElementPtr> none;
    return none;
}

void Element::invalidateDocumentCache() const
{
    root_->cacheDirty_ = true;
}

void Element::touch()
{
    // Only documents answer for their generation.
    if (root_->kinds_ & ElementKind::Document)
        ++static_cast<Document*>(root_)->generation_;
    Element* top = this;
    while (top->parent_ && top->parent_->parent_)
        top = top->parent_;
    if (top->isLibraryCopy_)
    {
        top->isLibraryCopy_ = false;
        if (top->extras_)
            top->extras_->librarySource.reset();
    }
}

DocumentPtr Element::getDocument()
{
    Document* doc = elementCast<Document>(root_);
    return doc ? std::static_pointer_cast<Document>(doc->getSelf()) : DocumentPtr();
}

ConstDocumentPtr Element::getDocument() const
{
    const Document* doc = elementCast<const Document>(root_);
    return doc ? std::static_pointer_cast<const Document>(doc->getSelf()) : ConstDocumentPtr();
}

vector<ElementPtr> Element::traverseTree() const
{
    vector<ElementPtr> result;
    vector<const Element*> stack{ this };
    while (!stack.empty())
    {
        const Element* elem = stack.back();
        stack.pop_back();
        result.push_back(const_cast<Element*>(elem)->getSelf());
        const vector<ElementPtr>& children = elem->getChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back(it->get());
    }
    return result;
}

void Element::appendDescription(string& out) const
{
    out += '<';
    out += category_;
    if (!name_.empty())
    {
        out += " name=\"";
        out += name_;
        out += '"';
    }
    for (const AttributePair& attr : attributes_)
    {
        out += ' ';
        out += attr.first;
        out += "=\"";
        out += attr.second;
        out += '"';
    }
    out += '>';
}

string Element::asString() const
{
    string result;
    appendDescription(result);
    return result;
}

void Element::reportProblem(bool& res, string* message, const string& errorDesc) const
{
    res = false;
    if (message)
    {
        *message += errorDesc;
        *message += ": ";
        appendDescription(*message);
        *message += '\n';
    }
}

bool Element::validate(string* message) const
{
    bool res = true;
    validateRequire(isValidName(name_), res, message, "Invalid element name");
    if (findAttribute(INHERIT_ATTRIBUTE))
    {
        ElementPtr super = getInheritsFrom();
        validateRequire(super && super->getCategory() == getCategory(), res, message, "Invalid element inheritance");
    }
    for (const ElementPtr& child : getChildren())
        res = validateChild(*child, message) && res;
    validateRequire(!hasInheritanceCycle(), res, message, "Cycle in element inheritance chain");
    return res;
}

void Element::copyContentIntoEmpty(const Element& source)
{
    touch();
    copyQuietly(source);
    invalidateDocumentCache();
}

void Element::copyQuietly(const Element& source)
{
    shareSourceUri(source);
    attributes_ = source.attributes_;
    attributesReplaced();
    if (const ConstElementPtr* pending = source.pendingSource())
    {
        // Still deferred there: defer here too, to the same frozen source.
        extras().pendingSource = *pending;
        return;
    }
    copyChildrenQuietly(source.childList());
}

void Element::copyChildrenQuietly(const vector<ElementPtr>& children) const
{
    Element* self = const_cast<Element*>(this);
    mutableChildList().reserve(mutableChildList().size() + children.size());
    for (const ElementPtr& child : children)
    {
        ElementPtr copy = child->createEmptyCopy(self, child->name_);
        mutableChildList().push_back(copy);
        copy->copyQuietly(*child);
    }
    // Built again from the whole list when first needed.
    if (extras_)
        extras_->childIndex.reset();
}

void Element::copyDeferred(const Element& source)
{
    shareSourceUri(source);
    attributes_ = source.attributes_;
    attributesReplaced();
    if (const ConstElementPtr* pending = source.pendingSource())
        extras().pendingSource = *pending;
    else if (!source.childList().empty())
        extras().pendingSource = source.getSelf();
}

void Element::materializeChildren() const
{
    ConstElementPtr source = std::move(extras_->pendingSource);
    extras_->pendingSource.reset();
    root_->portsStale_ = true;
    copyChildrenQuietly(source->getChildren());
}

void Element::copyContentFrom(const ConstElementPtr& source)
{
    if (!hasChildren())
    {
        copyContentIntoEmpty(*source);
        return;
    }
    touch();
    shareSourceUri(*source);
    attributes_ = source->attributes_;
    attributesReplaced();
    for (const ElementPtr& child : source->getChildren())
    {
        if (findChild(child->name_))
            continue;
        ElementPtr copy = child->createEmptyCopy(this, child->name_);
        insertChild(copy);
        copy->copyContentIntoEmpty(*child);
    }
    invalidateDocumentCache();
}

void Element::clearContent()
{
    touch();
    setSourceUri(EMPTY_STRING);
    attributes_.clear();
    attributesReplaced();
    if (extras_)
        extras_->pendingSource.reset();
    for (const ElementPtr& child : vector<ElementPtr>(childList()))
        removeChild(child->name_);
    if (extras_)
        extras_->childIndex.reset();
    invalidateDocumentCache();
}

string Element::createValidChildName(string name) const
{
    if (name.empty())
        name = "_";
    name = createValidName(name);
    if (!findChild(name))
        return name;

    // Past the name itself incrementName walks stem + number, one up each
    // time: stem + 2, 3, ... for a name without a number, n + 1, n + 2, ...
    // after a number n.  Ranges of numbers found taken are remembered, so
    // naming many children one after the other stays linear.
    size_t split = name.size();
    while (split > 0 && name[split - 1] >= '0' && name[split - 1] <= '9')
        split--;
    size_t first = split;
    while (first < name.size() && name[first] == '0')
        first++;
    if (name.size() - first > 18)
    {
        // Too long to count in 64 bits: names like that are never made in bulk.
        while (findChild(name))
            name = incrementName(name);
        return name;
    }
    uint64_t next = 2;
    if (split < name.size())
    {
        uint64_t value = 0;
        for (size_t i = first; i < name.size(); ++i)
            value = value * 10 + uint64_t(name[i] - '0');
        next = value + 1;
    }
    name.resize(split);

    auto& hints = extras().nameHints;
    if (!hints)
        hints.reset(new std::unordered_map<string, std::pair<uint64_t, uint64_t>>());
    std::pair<uint64_t, uint64_t>& taken = (*hints)[name];
    const uint64_t start = next;
    string candidate;
    for (;; ++next)
    {
        if (next >= taken.first && next < taken.second)
            next = taken.second;
        candidate = name;
        candidate += std::to_string(next);
        if (!findChild(candidate))
            break;
    }
    if (start <= taken.second && next >= taken.first)
        taken = { std::min(start, taken.first), next };
    else
        taken = { start, next };
    return candidate;
}

//
// ValueElement
//

namespace
{

const GraphElement* enclosingGraphOf(const Element* elem)
{
    for (; elem; elem = elem->getParentRaw())
        if (const GraphElement* graph = elementCast<const GraphElement>(elem))
            return graph;
    return nullptr;
}

} // anonymous namespace

ValuePtr ValueElement::getValue() const
{
    const string* value = findAttribute(VALUE_ATTRIBUTE);
    if (!value)
        return ValuePtr();
    return Value::createValueFromStrings(*value, getType());
}

string ValueElement::getResolvedValueString() const
{
    const string& value = getValueString();
    if (getType() == FILENAME_TYPE_STRING && !value.empty())
    {
        const string& prefix = getActiveFilePrefix();
        if (!prefix.empty())
            return prefix + value;
    }
    return value;
}

bool ValueElement::validateValue(string* message, bool& res) const
{
    if (hasValueString())
        validateRequire(getValue() != nullptr, res, message, "Invalid value");
    if (const string* interfaceName = findAttribute(INTERFACE_NAME_ATTRIBUTE))
    {
        validateRequire(elementCast<const Input>(this) || elementCast<const Token>(this), res, message,
                        "Only input and token elements support interface names");
        // The graph whose interface the name refers to: an element directly
        // inside a graph (its own inputs and outputs) looks one graph further out.
        const GraphElement* graph = enclosingGraphOf(parent_);
        if (graph && graph == parent_)
            graph = enclosingGraphOf(graph->getParentRaw());
        if (graph)
        {
            // The graph's declaration: its definition, or the graph itself.
            const InterfaceElement* declaration = nullptr;
            if (const NodeGraph* nodeGraph = elementCast<const NodeGraph>(graph))
                declaration = nodeGraph->findNodeDef();
            if (!declaration)
                declaration = graph;
            const ValueElement* declared = declaration->findActiveValueElement(*interfaceName);
            validateRequire(declared != nullptr, res, message, "Interface name not found in referenced declaration");
            if (declared)
                validateRequire(getType() == declared->getType(), res, message, "Interface name refers to value element of a different type");
        }
    }
    return res;
}

bool ValueElement::validate(string* message) const
{
    bool res = true;
    validateValue(message, res);
    return TypedElement::validate(message) && res;
}

MATERIALX_NAMESPACE_END
