#ifndef MATERIALX_DEFINITION_H
#define MATERIALX_DEFINITION_H

/// @file
/// Node definitions, implementations and type definitions

#include <MaterialXCore/Interface.h>

MATERIALX_NAMESPACE_BEGIN

class Implementation;
class TypeDef;
class Member;
class TargetDef;
class UnitDef;
class UnitTypeDef;
class AttributeDef;

using ImplementationPtr = shared_ptr<Implementation>;
using ConstImplementationPtr = shared_ptr<const Implementation>;
using TypeDefPtr = shared_ptr<TypeDef>;
using ConstTypeDefPtr = shared_ptr<const TypeDef>;
using MemberPtr = shared_ptr<Member>;
using ConstMemberPtr = shared_ptr<const Member>;
using TargetDefPtr = shared_ptr<TargetDef>;
using ConstTargetDefPtr = shared_ptr<const TargetDef>;
using UnitDefPtr = shared_ptr<UnitDef>;
using ConstUnitDefPtr = shared_ptr<const UnitDef>;
using UnitTypeDefPtr = shared_ptr<UnitTypeDef>;
using ConstUnitTypeDefPtr = shared_ptr<const UnitTypeDef>;
using AttributeDefPtr = shared_ptr<AttributeDef>;
using ConstAttributeDefPtr = shared_ptr<const AttributeDef>;

/// @class NodeDef
/// The definition of a node: its node string, inputs and outputs.
class MX_CORE_API NodeDef : public InterfaceElement
{
    MX_ELEMENT_CLASS_BODY(NodeDef)
  public:
    NodeDef(Element* parent, const string& name) :
        InterfaceElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::NodeDef;

    void setNodeString(const string& node) { setAttribute(NODE_ATTRIBUTE, node); }
    bool hasNodeString() const { return hasAttribute(NODE_ATTRIBUTE); }
    const string& getNodeString() const { return getAttribute(NODE_ATTRIBUTE); }

    void setNodeGroup(const string& category) { setAttribute(NODE_GROUP_ATTRIBUTE, category); }
    bool hasNodeGroup() const { return hasAttribute(NODE_GROUP_ATTRIBUTE); }
    const string& getNodeGroup() const { return getAttribute(NODE_GROUP_ATTRIBUTE); }

    /// The output type: the type of the single active output, or
    /// "multioutput" when there are several.
    /// @throws Exception when the definition has no outputs.
    const string& getType() const override;

    /// Return the first implementation of this definition for the target
    /// (one without a target when none matches).  With resolveNodeGraph, an
    /// implementation element that names an existing node graph stands for
    /// that graph.
    InterfaceElementPtr getImplementation(const string& target = EMPTY_STRING, bool resolveNodeGraph = true) const;

    NodeDefPtr getDeclaration(const string& target = EMPTY_STRING) const override;

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;
    static const string NODE_ATTRIBUTE;
    static const string NODE_GROUP_ATTRIBUTE;

    /// The output type without throwing: empty when there is no output.
    const string& findType() const;
    const InterfaceElement* findImplementation(const string& target, bool resolveNodeGraph = true) const;
};

/// @class Implementation
/// An implementation of a node definition in a target language (a file and
/// function), or a reference to a node graph.
class MX_CORE_API Implementation : public InterfaceElement
{
    MX_ELEMENT_CLASS_BODY(Implementation)
  public:
    Implementation(Element* parent, const string& name) :
        InterfaceElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Implementation;

    void setFile(const string& file) { setAttribute(FILE_ATTRIBUTE, file); }
    bool hasFile() const { return hasAttribute(FILE_ATTRIBUTE); }
    const string& getFile() const { return getAttribute(FILE_ATTRIBUTE); }

    void setFunction(const string& function) { setAttribute(FUNCTION_ATTRIBUTE, function); }
    bool hasFunction() const { return hasAttribute(FUNCTION_ATTRIBUTE); }
    const string& getFunction() const { return getAttribute(FUNCTION_ATTRIBUTE); }

    void setNodeGraph(const string& nodegraph) { setAttribute(NODE_GRAPH_ATTRIBUTE, nodegraph); }
    bool hasNodeGraph() const { return hasAttribute(NODE_GRAPH_ATTRIBUTE); }
    const string& getNodeGraph() const { return getAttribute(NODE_GRAPH_ATTRIBUTE); }

    void setNodeDef(ConstNodeDefPtr nodeDef);
    NodeDefPtr getNodeDef() const;
    NodeDefPtr getDeclaration(const string& target = EMPTY_STRING) const override { return getNodeDef(); }

    bool validate(string* message = nullptr) const override;

    static const string CATEGORY;
    static const string FILE_ATTRIBUTE;
    static const string FUNCTION_ATTRIBUTE;
    static const string NODE_GRAPH_ATTRIBUTE;
};

/// @class TypeDef
/// The definition of a data type.
class MX_CORE_API TypeDef : public Element
{
    MX_ELEMENT_CLASS_BODY(TypeDef)
  public:
    TypeDef(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::TypeDef;

    void setSemantic(const string& semantic) { setAttribute(SEMANTIC_ATTRIBUTE, semantic); }
    const string& getSemantic() const { return getAttribute(SEMANTIC_ATTRIBUTE); }
    void setContext(const string& context) { setAttribute(CONTEXT_ATTRIBUTE, context); }
    const string& getContext() const { return getAttribute(CONTEXT_ATTRIBUTE); }

    MemberPtr addMember(const string& name = EMPTY_STRING);
    MemberPtr getMember(const string& name) const { return getChildOfType<Member>(name); }
    vector<MemberPtr> getMembers() const { return getChildrenOfType<Member>(); }

    static const string CATEGORY;
    static const string SEMANTIC_ATTRIBUTE;
    static const string CONTEXT_ATTRIBUTE;
};

/// @class Member
/// A member of a structured type definition.
class MX_CORE_API Member : public TypedElement
{
    MX_ELEMENT_CLASS_BODY(Member)
  public:
    Member(Element* parent, const string& name) :
        TypedElement(parent, CATEGORY, name)
    {
    }
    static const string CATEGORY;
};

/// @class TargetDef
/// The definition of a code generation target.
class MX_CORE_API TargetDef : public TypedElement
{
    MX_ELEMENT_CLASS_BODY(TargetDef)
  public:
    TargetDef(Element* parent, const string& name) :
        TypedElement(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::TargetDef;
    /// Return this target and the targets it inherits from.
    StringVec getMatchingTargets() const;
    static const string CATEGORY;
};

/// @class UnitDef
/// A set of units of one unit type.
class MX_CORE_API UnitDef : public Element
{
    MX_ELEMENT_CLASS_BODY(UnitDef)
  public:
    UnitDef(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
    }
    void setUnitType(const string& type) { setAttribute(UNITTYPE_ATTRIBUTE, type); }
    const string& getUnitType() const { return getAttribute(UNITTYPE_ATTRIBUTE); }
    static const string CATEGORY;
    static const string UNITTYPE_ATTRIBUTE;
};

/// @class UnitTypeDef
/// The definition of a unit type (distance, angle, ...).
class MX_CORE_API UnitTypeDef : public Element
{
    MX_ELEMENT_CLASS_BODY(UnitTypeDef)
  public:
    UnitTypeDef(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
    }
    static const string CATEGORY;
};

/// @class AttributeDef
/// The definition of a custom attribute.
class MX_CORE_API AttributeDef : public TypedElement
{
    MX_ELEMENT_CLASS_BODY(AttributeDef)
  public:
    AttributeDef(Element* parent, const string& name) :
        TypedElement(parent, CATEGORY, name)
    {
    }
    static const string CATEGORY;
};

MATERIALX_NAMESPACE_END

#endif
