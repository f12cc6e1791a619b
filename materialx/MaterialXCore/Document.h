#ifndef MATERIALX_DOCUMENT_H
#define MATERIALX_DOCUMENT_H

/// @file
/// The top-level element of a MaterialX document

#include <MaterialXCore/Look.h>
#include <MaterialXCore/Node.h>

#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

/// @class Document
/// A MaterialX document: the root element, holding node definitions,
/// implementations, node graphs, nodes and everything else.
///
/// Imported library elements share a frozen snapshot of the library until
/// they are first looked into, and reuse the library's validation results
/// while untouched; both behave exactly as a full copy.  Lookups fill caches
/// on first use, so a document (and the documents that import the same
/// library) is used from one thread at a time.
///
/// Validation follows MaterialX 1.39.5 message for message, with one
/// deliberate difference: a node whose input feeds the node itself, on a
/// category implemented by a node graph, makes that library walk upstream
/// without end (growing to gigabytes); here its output reports "Cycle in
/// upstream path" at once.  Likewise upgrading a 1.38 document whose thin
/// film layer sits above a cycle, which that library refuses to read, folds
/// the film into each BSDF below the layer once.  An inheritance cycle among definitions throws
/// ExceptionFoundCycle ("Encountered cycle at element: ...") from the
/// lookups that follow inheritance, as the reference does.
class MX_CORE_API Document : public GraphElement
{
    friend class Element;
    MX_ELEMENT_CLASS_BODY(Document)
  public:
    Document(Element* parent, const string& name);
    ~Document() override;
    static constexpr uint32_t KIND = ElementKind::Document;

    /// Clear the document and set the current version.
    void initialize();
    /// Return a deep copy of the document.
    DocumentPtr copy() const;

    /// Copy every top-level element of the library whose name is not yet
    /// used here, keeping the library's source URI (and file prefix, geom
    /// prefix, color space and namespace) on the copies.
    void importLibrary(const ConstDocumentPtr& library);
    /// The same for a library handed over (a file just read): when nothing
    /// else holds it or any of its elements, its elements become the frozen
    /// content of the copies instead of being copied first.
    void importLibrary(DocumentPtr&& library);

    /// Return the source URIs of all top-level elements, the document's own included.
    StringSet getReferencedSourceUris() const;

    /// @name Node graphs
    /// @{
    NodeGraphPtr addNodeGraph(const string& name = EMPTY_STRING) { return addChild<NodeGraph>(name); }
    NodeGraphPtr getNodeGraph(const string& name) const { return getChildOfType<NodeGraph>(name); }
    vector<NodeGraphPtr> getNodeGraphs() const { return getChildrenOfType<NodeGraph>(); }
    /// Remove the named child if it is a node graph.
    void removeNodeGraph(const string& name) { removeChildOfType<NodeGraph>(name); }
    /// Return every port in the document that names the given node.
    vector<PortElementPtr> getMatchingPorts(const string& nodeName) const;
    /// @}

    /// @name Node definitions
    /// @{
    NodeDefPtr addNodeDef(const string& name = EMPTY_STRING, const string& type = DEFAULT_TYPE_STRING, const string& node = EMPTY_STRING);
    NodeDefPtr getNodeDef(const string& name) const { return getChildOfType<NodeDef>(name); }
    vector<NodeDefPtr> getNodeDefs() const { return getChildrenOfType<NodeDef>(); }
    void removeNodeDef(const string& name) { removeChildOfType<NodeDef>(name); }
    /// Return the node definitions whose node string is the given one, in document order.
    vector<NodeDefPtr> getMatchingNodeDefs(const string& nodeName) const;
    /// @}

    /// @name Implementations
    /// @{
    ImplementationPtr addImplementation(const string& name = EMPTY_STRING) { return addChild<Implementation>(name); }
    ImplementationPtr getImplementation(const string& name) const { return getChildOfType<Implementation>(name); }
    vector<ImplementationPtr> getImplementations() const { return getChildrenOfType<Implementation>(); }
    void removeImplementation(const string& name) { removeChildOfType<Implementation>(name); }
    /// Return the implementations (and implementing node graphs) of the named
    /// node definition, in document order.
    vector<InterfaceElementPtr> getMatchingImplementations(const string& nodeDef) const;
    /// @}

    /// @name Type, target, unit and attribute definitions
    /// @{
    TypeDefPtr addTypeDef(const string& name) { return addChild<TypeDef>(name); }
    TypeDefPtr getTypeDef(const string& name) const { return getChildOfType<TypeDef>(name); }
    vector<TypeDefPtr> getTypeDefs() const { return getChildrenOfType<TypeDef>(); }
    void removeTypeDef(const string& name) { removeChildOfType<TypeDef>(name); }
    TargetDefPtr addTargetDef(const string& name) { return addChild<TargetDef>(name); }
    TargetDefPtr getTargetDef(const string& name) const { return getChildOfType<TargetDef>(name); }
    vector<TargetDefPtr> getTargetDefs() const { return getChildrenOfType<TargetDef>(); }
    UnitDefPtr getUnitDef(const string& name) const { return getChildOfType<UnitDef>(name); }
    vector<UnitDefPtr> getUnitDefs() const { return getChildrenOfType<UnitDef>(); }
    UnitTypeDefPtr getUnitTypeDef(const string& name) const { return getChildOfType<UnitTypeDef>(name); }
    vector<UnitTypeDefPtr> getUnitTypeDefs() const { return getChildrenOfType<UnitTypeDef>(); }
    AttributeDefPtr getAttributeDef(const string& name) const { return getChildOfType<AttributeDef>(name); }
    vector<AttributeDefPtr> getAttributeDefs() const { return getChildrenOfType<AttributeDef>(); }
    /// @}

    /// @name Looks
    /// @{
    LookPtr addLook(const string& name = EMPTY_STRING) { return addChild<Look>(name); }
    LookPtr getLook(const string& name) const { return getChildOfType<Look>(name); }
    vector<LookPtr> getLooks() const { return getChildrenOfType<Look>(); }
    void removeLook(const string& name) { removeChildOfType<Look>(name); }
    /// @}

    /// Return the top-level nodes whose type is "material".
    vector<NodePtr> getMaterialNodes() const;

    /// @name Version
    /// @{
    /// The document's version as (major, minor); the library's own when unset.
    std::pair<int, int> getVersionIntegers() const;
    /// Bring a document of version 1.22 or later up to the current version,
    /// step by step as each release changed the format (material elements
    /// to material and shader nodes, parameters to inputs, color2 to
    /// vector2, renamed and layered BSDF nodes, channels and swizzles to
    /// extract/convert/combine nodes, thin films to BSDF inputs, ...).
    /// Readers call it; a current document returns at once, untraversed.
    void upgradeVersion();
    /// @}

    void setColorManagementSystem(const string& cms) { setAttribute(CMS_ATTRIBUTE, cms); }
    const string& getColorManagementSystem() const { return getAttribute(CMS_ATTRIBUTE); }

    bool validate(string* message = nullptr) const override;

    /// Mark the lookup tables as stale; called on every structural change.
    void invalidateCache() { cacheDirty_ = true; }

    static const string CATEGORY;
    static const string CMS_ATTRIBUTE;
    static const string CMS_CONFIG_ATTRIBUTE;

  public:
    /// Lookup tables over the document, rebuilt on demand after a change.
    struct Cache
    {
        std::unordered_map<string, vector<NodeDef*>> nodeDefsByNode;
        std::unordered_map<string, vector<InterfaceElement*>> implementationsByNodeDef;
        std::unordered_map<string, Implementation*> lastImplementationByGraph;
        // Built on first use: only flattening needs it.
        std::unordered_map<string, vector<PortElement*>> portsByNodeName;
        bool portsValid = false;
    };
    const Cache& getCache() const;
    const Cache& getPortCache() const;
    /// How often the lookup tables were built: each build walks the whole
    /// document, so work that should stay linear builds them a fixed number
    /// of times however large the document grows.
    uint64_t getLookupTableBuilds() const { return lookupTableBuilds_; }

  protected:
    bool validateChild(const Element& child, string* message) const override;

  private:
    // What validating this document's elements can look up by name, for
    // deciding when copies of them may reuse their results.
    struct LibraryReferences
    {
        uint64_t generation = 0;
        std::unordered_set<string> names;
        std::unordered_set<string> categories;
    };
    const LibraryReferences& getLibraryReferences() const;
    std::unordered_set<const Document*> findReusableLibraries() const;

    /// A private deep copy of this document as it is now, shared by every
    /// document that imports it until this one changes.
    ConstDocumentPtr getFrozenSnapshot() const;
    /// Add the copies of library's top-level elements, their children
    /// deferred to the matching elements of frozen; with linkSource they
    /// keep the library elements for reusing validation results.
    void importFrozenLibrary(const Document& library, const Document& frozen, bool linkSource);
    /// True when nothing but its parent holds the element or any below it.
    static bool isSolelyOwned(const Element& elem);

    // Moves on with every change in the tree.
    uint64_t generation_ = 0;
    mutable std::unique_ptr<Cache> cache_;
    mutable uint64_t lookupTableBuilds_ = 0;
    mutable std::unique_ptr<LibraryReferences> libraryReferences_;
    mutable ConstDocumentPtr frozen_;
    mutable uint64_t frozenGeneration_ = 0;
    // During validate: the libraries whose untouched copies reuse results.
    mutable std::unordered_set<const Document*> reusableLibraries_;
};

/// Create a new, empty document of the current version.
MX_CORE_API DocumentPtr createDocument();

MATERIALX_NAMESPACE_END

#endif
