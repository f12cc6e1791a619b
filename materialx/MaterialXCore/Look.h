#ifndef MATERIALX_LOOK_H
#define MATERIALX_LOOK_H

/// @file
/// Looks: material assignments to geometry

#include <MaterialXCore/Element.h>

MATERIALX_NAMESPACE_BEGIN

class Look;
class LookGroup;
class MaterialAssign;

using LookPtr = shared_ptr<Look>;
using ConstLookPtr = shared_ptr<const Look>;
using LookGroupPtr = shared_ptr<LookGroup>;
using ConstLookGroupPtr = shared_ptr<const LookGroup>;
using MaterialAssignPtr = shared_ptr<MaterialAssign>;
using ConstMaterialAssignPtr = shared_ptr<const MaterialAssign>;

/// @class MaterialAssign
/// The assignment of a material to geometry.
class MX_CORE_API MaterialAssign : public Element
{
    MX_ELEMENT_CLASS_BODY(MaterialAssign)
  public:
    MaterialAssign(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::MaterialAssign;
    void setMaterial(const string& material) { setAttribute(MATERIAL_ATTRIBUTE, material); }
    bool hasMaterial() const { return hasAttribute(MATERIAL_ATTRIBUTE); }
    const string& getMaterial() const { return getAttribute(MATERIAL_ATTRIBUTE); }
    void setGeom(const string& geom) { setAttribute(GEOM_ATTRIBUTE, geom); }
    const string& getGeom() const { return getAttribute(GEOM_ATTRIBUTE); }
    void setCollectionString(const string& collection) { setAttribute(COLLECTION_ATTRIBUTE, collection); }
    const string& getCollectionString() const { return getAttribute(COLLECTION_ATTRIBUTE); }

    static const string CATEGORY;
    static const string MATERIAL_ATTRIBUTE;
    static const string GEOM_ATTRIBUTE;
    static const string COLLECTION_ATTRIBUTE;
};

/// @class Look
/// A set of material assignments and other look-development settings.
class MX_CORE_API Look : public Element
{
    MX_ELEMENT_CLASS_BODY(Look)
  public:
    Look(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
        kinds_ |= KIND;
    }
    static constexpr uint32_t KIND = ElementKind::Look;
    MaterialAssignPtr addMaterialAssign(const string& name = EMPTY_STRING, const string& material = EMPTY_STRING)
    {
        MaterialAssignPtr assign = addChild<MaterialAssign>(name);
        if (!material.empty())
            assign->setMaterial(material);
        return assign;
    }
    MaterialAssignPtr getMaterialAssign(const string& name) const { return getChildOfType<MaterialAssign>(name); }
    vector<MaterialAssignPtr> getMaterialAssigns() const { return getChildrenOfType<MaterialAssign>(); }
    void removeMaterialAssign(const string& name) { removeChildOfType<MaterialAssign>(name); }

    static const string CATEGORY;
};

/// @class LookGroup
/// A named group of looks.
class MX_CORE_API LookGroup : public Element
{
    MX_ELEMENT_CLASS_BODY(LookGroup)
  public:
    LookGroup(Element* parent, const string& name) :
        Element(parent, CATEGORY, name)
    {
    }
    static const string CATEGORY;
};

MATERIALX_NAMESPACE_END

#endif
