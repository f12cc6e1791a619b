#ifndef MATERIALX_ELEMENT_H
#define MATERIALX_ELEMENT_H

/// @file
/// Base and generic element classes

#include <MaterialXCore/Library.h>
#include <MaterialXCore/SharedName.h>
#include <MaterialXCore/Util.h>
#include <MaterialXCore/Value.h>

#include <cstdint>
#include <type_traits>
#include <utility>

MATERIALX_NAMESPACE_BEGIN

class Element;
class TypedElement;
class ValueElement;
class Token;
class CommentElement;
class NewlineElement;
class GenericElement;
class StringResolver;
class Document;

using ElementPtr = shared_ptr<Element>;
using ConstElementPtr = shared_ptr<const Element>;
using TypedElementPtr = shared_ptr<TypedElement>;
using ConstTypedElementPtr = shared_ptr<const TypedElement>;
using ValueElementPtr = shared_ptr<ValueElement>;
using ConstValueElementPtr = shared_ptr<const ValueElement>;
using TokenPtr = shared_ptr<Token>;
using ConstTokenPtr = shared_ptr<const Token>;
using CommentElementPtr = shared_ptr<CommentElement>;
using ConstCommentElementPtr = shared_ptr<const CommentElement>;
using NewlineElementPtr = shared_ptr<NewlineElement>;
using ConstNewlineElementPtr = shared_ptr<const NewlineElement>;
using GenericElementPtr = shared_ptr<GenericElement>;
using ConstGenericElementPtr = shared_ptr<const GenericElement>;
using DocumentPtr = shared_ptr<Document>;
using ConstDocumentPtr = shared_ptr<const Document>;

/// A vector of elements.
using ElementVec = vector<ElementPtr>;

/// A function that selects elements, e.g. for writing.
using ElementPredicate = std::function<bool(ConstElementPtr)>;

/// Class membership bits: each element class adds its own in its
/// constructor, so that class tests in hot paths need no dynamic_cast.
namespace ElementKind
{
constexpr uint32_t Typed = 1u << 0;
constexpr uint32_t Value = 1u << 1;
constexpr uint32_t Port = 1u << 2;
constexpr uint32_t Input = 1u << 3;
constexpr uint32_t Output = 1u << 4;
constexpr uint32_t Interface = 1u << 5;
constexpr uint32_t Node = 1u << 6;
constexpr uint32_t Graph = 1u << 7;
constexpr uint32_t NodeGraph = 1u << 8;
constexpr uint32_t Document = 1u << 9;
constexpr uint32_t NodeDef = 1u << 10;
constexpr uint32_t Implementation = 1u << 11;
constexpr uint32_t TypeDef = 1u << 12;
constexpr uint32_t TargetDef = 1u << 13;
constexpr uint32_t Look = 1u << 14;
constexpr uint32_t Generic = 1u << 15;
constexpr uint32_t Backdrop = 1u << 16;
constexpr uint32_t Token = 1u << 17;
constexpr uint32_t Comment = 1u << 18;
constexpr uint32_t Newline = 1u << 19;
constexpr uint32_t MaterialAssign = 1u << 20;
} // namespace ElementKind

template <class T, class = void> struct HasElementKind : std::false_type
{
};
template <class T> struct HasElementKind<T, std::void_t<decltype(std::remove_const_t<T>::KIND)>> : std::true_type
{
};

/// A cast to an element class: a bit test for the classes that carry a
/// kind, dynamic_cast for the others.
template <class T, class E> T* elementCast(E* elem)
{
    if constexpr (HasElementKind<T>::value)
        return elem && (elem->getKinds() & std::remove_const_t<T>::KIND) ? static_cast<T*>(elem) : nullptr;
    else
        return dynamic_cast<T*>(elem);
}

/// One attribute: name and value, kept in the order they were first set.
using AttributePair = std::pair<SharedName, SharedName>;

/// @class Element
/// The base class for all MaterialX elements.  An element has a category, a
/// name, an ordered list of attributes and an ordered list of uniquely named
/// children.
class MX_CORE_API Element : public std::enable_shared_from_this<Element>
{
  public:
    Element(Element* parent, const string& category, const string& name);
    virtual ~Element();
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    /// @name Category and name
    /// @{
    void setCategory(const string& category)
    {
        touch();
        category_ = category;
    }
    const string& getCategory() const { return category_; }

    /// Rename the element.
    /// @throws Exception if a sibling already has the name.
    void setName(const string& name);
    const string& getName() const { return name_; }

    /// Return the element's path from the root ("graph/node/input").
    string getNamePath(ConstElementPtr relativeTo = nullptr) const;

    /// Return the element at the given name path below this one, if any.
    ElementPtr getDescendant(const string& namePath) const;
    /// @}

    /// @name Common attributes
    /// @{
    void setFilePrefix(const string& prefix) { setAttribute(FILE_PREFIX_ATTRIBUTE, prefix); }
    bool hasFilePrefix() const { return hasAttribute(FILE_PREFIX_ATTRIBUTE); }
    const string& getFilePrefix() const { return getAttribute(FILE_PREFIX_ATTRIBUTE); }
    const string& getActiveFilePrefix() const;

    void setGeomPrefix(const string& prefix) { setAttribute(GEOM_PREFIX_ATTRIBUTE, prefix); }
    bool hasGeomPrefix() const { return hasAttribute(GEOM_PREFIX_ATTRIBUTE); }
    const string& getGeomPrefix() const { return getAttribute(GEOM_PREFIX_ATTRIBUTE); }
    const string& getActiveGeomPrefix() const;

    void setColorSpace(const string& colorSpace) { setAttribute(COLOR_SPACE_ATTRIBUTE, colorSpace); }
    bool hasColorSpace() const { return hasAttribute(COLOR_SPACE_ATTRIBUTE); }
    const string& getColorSpace() const { return getAttribute(COLOR_SPACE_ATTRIBUTE); }
    const string& getActiveColorSpace() const;

    void setInheritString(const string& inherit) { setAttribute(INHERIT_ATTRIBUTE, inherit); }
    bool hasInheritString() const { return hasAttribute(INHERIT_ATTRIBUTE); }
    const string& getInheritString() const { return getAttribute(INHERIT_ATTRIBUTE); }
    void setInheritsFrom(ConstElementPtr super);
    /// Return the element this one inherits from: the sibling named by the
    /// "inherit" attribute, if any.
    ElementPtr getInheritsFrom() const;
    bool hasInheritedBase(ConstElementPtr base) const;
    bool hasInheritanceCycle() const;

    void setNamespace(const string& space) { setAttribute(NAMESPACE_ATTRIBUTE, space); }
    bool hasNamespace() const { return hasAttribute(NAMESPACE_ATTRIBUTE); }
    const string& getNamespace() const { return getAttribute(NAMESPACE_ATTRIBUTE); }
    /// Return the name qualified by the nearest namespace, if any.
    string getQualifiedName(const string& name) const;

    void setDocString(const string& doc) { setAttribute(DOC_ATTRIBUTE, doc); }
    const string& getDocString() const { return getAttribute(DOC_ATTRIBUTE); }
    /// @}

    /// @name Children
    /// @{

    /// Add a child of the given class.  An empty name gives the class's
    /// category with a unique number ("node1").
    /// @throws Exception if a child of that name exists.
    template <class T> shared_ptr<T> addChild(const string& name = EMPTY_STRING);

    /// Add a child of the given category, of the class registered for it (a
    /// node when this is a graph, a generic element otherwise).
    ElementPtr addChildOfCategory(const string& category, string name = EMPTY_STRING);

    /// For readers building a new tree: add a child of the given category
    /// under a name known to be free, skipping the lookup addChildOfCategory
    /// makes.
    Element& appendNewChild(const string& category, const string& name);

    /// Replace a child by one of another category, keeping its content.
    ElementPtr changeChildCategory(ElementPtr child, const string& category);
    /// The same for the child at the given position.
    ElementPtr changeChildCategoryAt(size_t index, const string& category);

    ElementPtr getChild(const string& name) const
    {
        Element* child = findChild(name);
        return child ? child->getSelf() : ElementPtr();
    }

    template <class T> shared_ptr<T> getChildOfType(const string& name) const
    {
        Element* child = findChild(name);
        T* typed = elementCast<T>(child);
        return typed ? std::static_pointer_cast<T>(child->getSelf()) : shared_ptr<T>();
    }

    const vector<ElementPtr>& getChildren() const
    {
        ensureChildren();
        return childList();
    }

    /// Return the children of the given class, optionally of one category.
    template <class T> vector<shared_ptr<T>> getChildrenOfType(const string& category = EMPTY_STRING) const
    {
        vector<shared_ptr<T>> result;
        for (const ElementPtr& child : getChildren())
        {
            if (!category.empty() && child->getCategory() != category)
                continue;
            if (elementCast<T>(child.get()))
                result.push_back(std::static_pointer_cast<T>(child));
        }
        return result;
    }

    /// Move the named child to the given position.
    void setChildIndex(const string& name, int index);
    /// Return the position of the named child, or -1.
    int getChildIndex(const string& name) const;

    void removeChild(const string& name);
    /// Remove every child the predicate chooses, in one pass.
    void removeChildren(const std::function<bool(const Element&)>& doomed);
    template <class T> void removeChildOfType(const string& name)
    {
        Element* child = findChild(name);
        if (elementCast<T>(child))
            removeChild(name);
    }

    /// Return true if the element has children.
    bool hasChildren() const { return pendingSource() || !childList().empty(); }
    /// @}

    /// @name Attributes
    /// @{
    void setAttribute(const string& attrib, const string& value);
    /// For readers filling a new element: add an attribute unless the element
    /// has one of that name already (false then, and nothing changes).
    bool appendNewAttribute(SharedName attrib, const char* value);
    /// Make room for the given number of attributes.
    void reserveAttributes(size_t count) { attributes_.reserve(count); }
    /// Make room for the given number of further children.
    void reserveChildren(size_t count)
    {
        ensureChildren();
        if (count)
            mutableChildList().reserve(childList().size() + count);
    }
    bool hasAttribute(const string& attrib) const { return findAttribute(attrib) != nullptr; }
    const string& getAttribute(const string& attrib) const
    {
        const string* value = findAttribute(attrib);
        return value ? *value : EMPTY_STRING;
    }
    /// Return the attribute names in the order they were set.
    StringVec getAttributeNames() const;
    /// Return the attributes as name/value pairs in the order they were set.
    const vector<AttributePair>& getAttributePairs() const { return attributes_; }
    void removeAttribute(const string& attrib);

    template <class T> void setTypedAttribute(const string& attrib, const T& data)
    {
        setAttribute(attrib, toValueString(data));
    }
    template <class T> T getTypedAttribute(const string& attrib) const
    {
        const string* value = findAttribute(attrib);
        if (!value)
            return T();
        try
        {
            return fromValueString<T>(*value);
        }
        catch (ExceptionTypeError&)
        {
        }
        return T();
    }
    /// @}

    /// @name Tree
    /// @{
    ElementPtr getSelf() { return shared_from_this(); }
    ConstElementPtr getSelf() const { return shared_from_this(); }
    ElementPtr getParent() { return parent_ ? parent_->getSelf() : ElementPtr(); }
    ConstElementPtr getParent() const { return parent_ ? parent_->getSelf() : ConstElementPtr(); }
    ElementPtr getRoot() { return root_->getSelf(); }
    ConstElementPtr getRoot() const { return root_->getSelf(); }
    DocumentPtr getDocument();
    ConstDocumentPtr getDocument() const;

    /// Return the nearest ancestor of the given class, starting with this element.
    template <class T> shared_ptr<T> getAncestorOfType()
    {
        for (Element* elem = this; elem; elem = elem->parent_)
            if (elementCast<T>(elem))
                return std::static_pointer_cast<T>(elem->getSelf());
        return nullptr;
    }
    template <class T> shared_ptr<const T> getAncestorOfType() const
    {
        for (const Element* elem = this; elem; elem = elem->parent_)
            if (elementCast<const T>(elem))
                return std::static_pointer_cast<const T>(elem->getSelf());
        return nullptr;
    }

    /// Return this element and all of its descendants in document order.
    vector<ElementPtr> traverseTree() const;

    /// The class membership bits (see ElementKind).
    uint32_t getKinds() const { return kinds_; }

    /// Raw access for fast internal walks.
    Element* getParentRaw() const { return parent_; }
    Element* getRootRaw() const { return root_; }
    /// @}

    /// @name Class queries
    /// @{
    template <class T> bool isA(const string& category = EMPTY_STRING) const
    {
        if (!elementCast<const T>(this))
            return false;
        return category.empty() || category == getCategory();
    }
    template <class T> shared_ptr<T> asA()
    {
        return elementCast<T>(this) ? std::static_pointer_cast<T>(getSelf()) : shared_ptr<T>();
    }
    template <class T> shared_ptr<const T> asA() const
    {
        return elementCast<const T>(this) ? std::static_pointer_cast<const T>(getSelf()) : shared_ptr<const T>();
    }
    /// @}

    /// @name Source URI
    /// @{
    void setSourceUri(const string& sourceUri)
    {
        if (sourceUri.empty())
        {
            if (extras_)
                extras_->sourceUri.reset();
        }
        else if (getSourceUri() != sourceUri)
            extras().sourceUri = std::make_shared<const string>(sourceUri);
    }
    bool hasSourceUri() const { return !getSourceUri().empty(); }
    const string& getSourceUri() const
    {
        return extras_ && extras_->sourceUri ? *extras_->sourceUri : EMPTY_STRING;
    }
    /// Return the source URI of this element or of its nearest ancestor.
    const string& getActiveSourceUri() const;
    /// @}

    /// @name Validation and utilities
    /// @{

    /// Check the element and its descendants, appending one line per
    /// problem to message.  Returns true when nothing was found.
    virtual bool validate(string* message = nullptr) const;

    /// Copy attributes, source URI and descendants of source into this
    /// element; existing children of the same names are kept.
    void copyContentFrom(const ConstElementPtr& source);
    /// Remove all attributes and children.
    virtual void clearContent();

    /// Return a name, made valid, that no child of this element has yet.
    string createValidChildName(string name) const;

    /// Return a one-line description: <category name="..." attr="...">.
    string asString() const;
    /// Append the one-line description to out.
    void appendDescription(string& out) const;

    /// Resolve a reference to a sibling of the root (or of the given scope),
    /// trying the namespace-qualified name first.
    template <class T> shared_ptr<T> resolveNameReference(const string& name, ConstElementPtr parent = nullptr) const
    {
        const Element* scope = parent ? parent.get() : root_;
        if (hasAnyNamespace())
        {
            if (shared_ptr<T> child = scope->getChildOfType<T>(getQualifiedName(name)))
                return child;
        }
        return scope->getChildOfType<T>(name);
    }
    /// @}

    /// Find a child by name without touching reference counts.
    Element* findChild(const string& name) const;
    /// Find an attribute value, or nullptr.
    const string* findAttribute(const string& attrib) const
    {
        const AttributePair* attr = findAttributePair(attrib);
        return attr ? &attr->second.str() : nullptr;
    }

    /// Create an empty element of the same class, category and name under parent.
    virtual ElementPtr createEmptyCopy(Element* parent, const string& name) const = 0;

  public:
    /// The deepest nesting of elements allowed: real documents use a handful
    /// of levels, and the limit keeps recursive tree walks (copying,
    /// validating, writing, freeing) far from the end of the stack.
    static constexpr int MAX_DEPTH = 1000;

    static const string NAME_ATTRIBUTE;
    static const string FILE_PREFIX_ATTRIBUTE;
    static const string GEOM_PREFIX_ATTRIBUTE;
    static const string COLOR_SPACE_ATTRIBUTE;
    static const string INHERIT_ATTRIBUTE;
    static const string NAMESPACE_ATTRIBUTE;
    static const string DOC_ATTRIBUTE;
    static const string XPOS_ATTRIBUTE;
    static const string YPOS_ATTRIBUTE;
    static const string XINCLUDE_HREF_ATTRIBUTE;

  protected:
    /// Append "errorDesc: <description>\n" to message when expression is false.
    void validateRequire(bool expression, bool& res, string* message, const char* errorDesc) const
    {
        if (!expression)
            reportProblem(res, message, errorDesc);
    }
    void reportProblem(bool& res, string* message, const string& errorDesc) const;

    /// Insert a new child, registering it by name.
    void insertChild(const ElementPtr& child);
    /// Remove the child at the given position (a real child, not deferred).
    void removeChildAt(size_t index);
    /// A new child of the class registered for the category, not yet inserted.
    ElementPtr createChildOfCategory(const string& category, const string& name);
    /// Make a removed child, still held elsewhere, the root of its own tree.
    static void detachIfHeld(const ElementPtr& child);
    /// Called when a structural change may affect the document's lookup tables.
    void invalidateDocumentCache() const;
    /// Record a change of this element: the document's generation moves on,
    /// and the top-level element holding it is no longer an untouched
    /// library copy.
    void touch();
    /// Validate one child; a document answers for untouched library copies
    /// from the library's own result.
    virtual bool validateChild(const Element& child, string* message) const { return child.validate(message); }
    bool hasAnyNamespace() const;
    /// Copy content recursively into an element known to be empty.
    void copyContentIntoEmpty(const Element& source);
    /// The same without recording a change: for copies that stand for
    /// content already there (library imports, materialising children).
    void copyQuietly(const Element& source);
    /// Copy attributes and source URI, and take the children from source
    /// only when first asked for.  Source must never change afterwards.
    void copyDeferred(const Element& source);
    /// Make deferred children real.
    void ensureChildren() const
    {
        if (pendingSource())
            materializeChildren();
    }

  private:
    // Up to this many attributes a scan beats hashing; beyond it lookups go
    // through an index, so that elements with huge attribute lists stay linear.
    static constexpr size_t ATTRIBUTE_SCAN_LIMIT = 16;
    const AttributePair* findIndexedAttribute(const string& attrib) const;
    const AttributePair* findAttributePair(const string& attrib) const
    {
        if (attributes_.size() > ATTRIBUTE_SCAN_LIMIT)
            return findIndexedAttribute(attrib);
        for (const AttributePair& attr : attributes_)
            if (attr.first == attrib)
                return &attr;
        return nullptr;
    }
    void attributesReplaced()
    {
        if (extras_)
            extras_->attributeIndex.reset();
    }
    void forgetChildName() const
    {
        if (extras_)
            extras_->nameHints.reset();
    }
    void rebuildChildIndex() const;
    void materializeChildren() const;
    void copyChildrenQuietly(const vector<ElementPtr>& children) const;

  protected:
    SharedName category_;
    SharedName name_;
    vector<AttributePair> attributes_;
    // Most elements (inputs, outputs) have no children: the list only
    // exists once one is added.
    const vector<ElementPtr>& childList() const { return children_ ? *children_ : noChildren(); }
    vector<ElementPtr>& mutableChildList() const
    {
        if (!children_)
            children_.reset(new vector<ElementPtr>);
        return *children_;
    }
    static const vector<ElementPtr>& noChildren();
    // Mutable so that deferred children can be made real on first access.
    mutable std::unique_ptr<vector<ElementPtr>> children_;
    // On a library element: its validation result, for one library generation.
    struct ValidationMemo
    {
        uint64_t generation;
        bool ok;
        string message;
    };
    // What few elements need, kept apart so that the many plain elements of
    // a large document stay small: lookups built on demand, and the links of
    // library copies.
    struct Extras
    {
        // Set on documents and on the top-level elements that came from
        // another file; copies share the text of their source.
        std::shared_ptr<const string> sourceUri;
        // Position of each attribute by name, for long attribute lists.
        std::unique_ptr<std::unordered_map<string, size_t>> attributeIndex;
        // For automatic child names: per stem ("node" of "node12"), a range
        // [first, end) of numbers known to be taken by children.  Names only
        // get taken while children are added, so it is dropped whenever one
        // goes away or is renamed.
        std::unique_ptr<std::unordered_map<string, std::pair<uint64_t, uint64_t>>> nameHints;
        // Name lookup for elements with many children; built by the first
        // lookup that needs it, so that trees only built and walked never pay.
        std::unique_ptr<std::unordered_map<string, Element*>> childIndex;
        // Children not yet made: they are copies of this element's children,
        // an element nobody changes any more (a library's frozen snapshot).
        ConstElementPtr pendingSource;
        // On a top-level element copied by importLibrary and not changed since:
        // the library element it copies, and the library's generation then.
        std::weak_ptr<const Element> librarySource;
        uint64_t libraryGeneration = 0;
        std::unique_ptr<ValidationMemo> validationMemo;
    };
    // Takes the source URI of source without copying its text.
    void shareSourceUri(const Element& source)
    {
        if (source.extras_ && source.extras_->sourceUri)
            extras().sourceUri = source.extras_->sourceUri;
        else if (extras_)
            extras_->sourceUri.reset();
    }
    Extras& extras() const
    {
        if (!extras_)
            extras_.reset(new Extras);
        return *extras_;
    }
    const ConstElementPtr* pendingSource() const
    {
        return extras_ && extras_->pendingSource ? &extras_->pendingSource : nullptr;
    }
    std::unordered_map<string, Element*>* childIndex() const
    {
        return extras_ ? extras_->childIndex.get() : nullptr;
    }
    mutable std::unique_ptr<Extras> extras_;
    Element* parent_;
    Element* root_;
    uint32_t kinds_ = 0;
    // Distance from the root, bounded so that recursive walks stay shallow.
    int depth_;
    bool isLibraryCopy_ = false;
    // On a frozen library element: whether a port below it names a top-level
    // node (-1: not known yet).
    mutable signed char hasTopLevelPorts_ = -1;
    // Only meaningful on the root: deferred children were made real since
    // the port lookup was built.
    mutable bool portsStale_ = false;
    // Only meaningful on the root: lookup tables are stale.
    mutable bool cacheDirty_ = true;

    friend class Document;
};

/// Helper for the concrete element classes: the empty-copy factory.
#define MX_ELEMENT_CLASS_BODY(CLASS)                                               \
  public:                                                                          \
    ElementPtr createEmptyCopy(Element* parent, const string& name) const override \
    {                                                                              \
        shared_ptr<CLASS> copy = std::make_shared<CLASS>(parent, name);            \
        copy->category_ = category_;                                               \
        return copy;                                                               \
    }

/// @class TypedElement
/// An element with a data type.
class MX_CORE_API TypedElement : public Element
{
  public:
    TypedElement(Element* parent, const string& category, const string& name) :
        Element(parent, category, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Typed;

    void setType(const string& type) { setAttribute(TYPE_ATTRIBUTE, type); }
    bool hasType() const { return hasAttribute(TYPE_ATTRIBUTE); }
    virtual const string& getType() const { return getAttribute(TYPE_ATTRIBUTE); }
    bool isColorType() const { return getType() == "color3" || getType() == "color4"; }
    bool isMultiOutputType() const { return getType() == MULTI_OUTPUT_TYPE_STRING; }

    static const string TYPE_ATTRIBUTE;
};

/// @class ValueElement
/// An element with a value string, an interface name binding and units.
class MX_CORE_API ValueElement : public TypedElement
{
  public:
    ValueElement(Element* parent, const string& category, const string& name) :
        TypedElement(parent, category, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Value;

    void setValueString(const string& value) { setAttribute(VALUE_ATTRIBUTE, value); }
    bool hasValueString() const { return hasAttribute(VALUE_ATTRIBUTE); }
    const string& getValueString() const { return getAttribute(VALUE_ATTRIBUTE); }

    /// Set a typed value, and the type to match.
    template <class T> void setValue(const T& value, const string& type = EMPTY_STRING)
    {
        setType(!type.empty() ? type : getTypeString<T>());
        setValueString(toValueString(value));
    }
    void setValue(const char* value, const string& type = EMPTY_STRING)
    {
        setValue(value ? string(value) : EMPTY_STRING, type);
    }
    bool hasValue() const { return hasAttribute(VALUE_ATTRIBUTE); }
    /// Return the value parsed according to the type, or none if it does not parse.
    ValuePtr getValue() const;
    /// Return the value string resolved with the active file prefix for filenames.
    string getResolvedValueString() const;

    void setInterfaceName(const string& name) { setAttribute(INTERFACE_NAME_ATTRIBUTE, name); }
    bool hasInterfaceName() const { return hasAttribute(INTERFACE_NAME_ATTRIBUTE); }
    const string& getInterfaceName() const { return getAttribute(INTERFACE_NAME_ATTRIBUTE); }

    void setImplementationName(const string& name) { setAttribute(IMPLEMENTATION_NAME_ATTRIBUTE, name); }
    const string& getImplementationName() const { return getAttribute(IMPLEMENTATION_NAME_ATTRIBUTE); }

    void setUnit(const string& unit) { setAttribute(UNIT_ATTRIBUTE, unit); }
    bool hasUnit() const { return hasAttribute(UNIT_ATTRIBUTE); }
    const string& getUnit() const { return getAttribute(UNIT_ATTRIBUTE); }
    void setUnitType(const string& unit) { setAttribute(UNITTYPE_ATTRIBUTE, unit); }
    bool hasUnitType() const { return hasAttribute(UNITTYPE_ATTRIBUTE); }
    const string& getUnitType() const { return getAttribute(UNITTYPE_ATTRIBUTE); }

    void setIsUniform(bool value) { setAttribute(UNIFORM_ATTRIBUTE, value ? VALUE_STRING_TRUE : VALUE_STRING_FALSE); }
    bool getIsUniform() const { return getAttribute(UNIFORM_ATTRIBUTE) == VALUE_STRING_TRUE; }

    bool validate(string* message = nullptr) const override;

    static const string VALUE_ATTRIBUTE;
    static const string INTERFACE_NAME_ATTRIBUTE;
    static const string IMPLEMENTATION_NAME_ATTRIBUTE;
    static const string IMPLEMENTATION_TYPE_ATTRIBUTE;
    static const string ENUM_ATTRIBUTE;
    static const string ENUM_VALUES_ATTRIBUTE;
    static const string UI_NAME_ATTRIBUTE;
    static const string UI_FOLDER_ATTRIBUTE;
    static const string UI_MIN_ATTRIBUTE;
    static const string UI_MAX_ATTRIBUTE;
    static const string UNIT_ATTRIBUTE;
    static const string UNITTYPE_ATTRIBUTE;
    static const string UNIFORM_ATTRIBUTE;

  protected:
    /// The value checks shared by every value element.
    bool validateValue(string* message, bool& res) const;
};

/// @class Token
/// A string token used for filename substitution.
class MX_CORE_API Token : public ValueElement
{
    MX_ELEMENT_CLASS_BODY(Token)
  public:
    Token(Element* parent, const string& name) :
        ValueElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Token;
    static const string CATEGORY;
};

/// @class CommentElement
/// An XML comment kept in the document.
class MX_CORE_API CommentElement : public Element
{
    MX_ELEMENT_CLASS_BODY(CommentElement)
  public:
    CommentElement(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Comment;
    static const string CATEGORY;
};

/// @class NewlineElement
/// A blank line kept in the document.
class MX_CORE_API NewlineElement : public Element
{
    MX_ELEMENT_CLASS_BODY(NewlineElement)
  public:
    NewlineElement(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Newline;
    static const string CATEGORY;
};

/// @class GenericElement
/// An element of any category the library has no class for; it keeps its
/// category, attributes and children so that nothing is lost.
class MX_CORE_API GenericElement : public Element
{
    MX_ELEMENT_CLASS_BODY(GenericElement)
  public:
    GenericElement(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Generic;
    static const string CATEGORY;
};

/// @class TypedGenericElement
/// A typed element of a known category without behaviour of its own
/// (geomprop, property, ...).
class MX_CORE_API TypedGenericElement : public TypedElement
{
    MX_ELEMENT_CLASS_BODY(TypedGenericElement)
  public:
    TypedGenericElement(Element* parent, const string& name) :
        TypedElement(parent, EMPTY_STRING, name)
    {
    }
};

/// @class ValueGenericElement
/// A value element of a known category without behaviour of its own
/// (geomprop, property, ...): its value is still checked.
class MX_CORE_API ValueGenericElement : public ValueElement
{
    MX_ELEMENT_CLASS_BODY(ValueGenericElement)
  public:
    ValueGenericElement(Element* parent, const string& name) :
        ValueElement(parent, EMPTY_STRING, name)
    {
    }
};

template <class T> shared_ptr<T> Element::addChild(const string& name)
{
    string childName = name;
    if (childName.empty())
        childName = createValidChildName(T::CATEGORY + "1");
    if (findChild(childName))
        throw Exception("Child name is not unique: " + childName);
    shared_ptr<T> child = std::make_shared<T>(this, childName);
    insertChild(child);
    return child;
}

MATERIALX_NAMESPACE_END

#endif
