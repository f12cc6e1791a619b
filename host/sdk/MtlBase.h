#pragma once
// Materials and texture maps.
#include "Animatable.h"
#include "Geometry.h"
#include "Tab.h"
#include "WStr.h"

class IParamBlock2;
class UVGen;
class Mtl;
class Texmap;

// Material flags (SetMtlFlag masks).
constexpr int MTL_IN_SCENE = 1 << 2;
constexpr int MTL_TEX_DISPLAY_ENABLED = 1 << 17; // 0x00020000: show maps in the viewport
constexpr int MTL_HW_MAT_ENABLED = 1 << 30;      // 0x40000000: realistic viewport shading

// Numeric interface ID a wrapper material answers, handing out IWrapperMaterial.
constexpr ULONG WRAPPER_MATERIAL_INTERFACE_ID = 0x11D0;

class MtlBase : public ReferenceTarget
{
  public:
    MtlBase();

    const WStr& GetName() const { return name_; }
    // Undoable.
    void SetName(const WStr& name);
    void SetName(const wchar_t* name) { SetName(WStr(name)); }
    WStr GetFullName() { return name_; }

    void SetMtlFlag(int mask, BOOL val = TRUE);
    void ClearMtlFlag(int mask) { SetMtlFlag(mask, FALSE); }
    int TestMtlFlag(int mask) const { return (flags_ & mask) != 0; }
    int GetMtlFlags() const { return flags_; }

    // Brings the object up to date for time t; narrows `valid` to the time its state holds.
    virtual void Update(TimeValue t, Interval& valid) {}
    virtual void Reset();

    // Texture maps this object holds directly.
    virtual int NumSubTexmaps() { return 0; }
    virtual Texmap* GetSubTexmap(int i) { return nullptr; }
    virtual void SetSubTexmap(int i, Texmap* m) {}
    virtual WStr GetSubTexmapSlotName(int i) { return WStr(); }

  protected:
    // Names a new object without an undo record.
    void InitName(const WStr& name) { name_ = name; }

  private:
    // Whether a change of name or flags needs a record of its own; objects
    // made in the open record get one snapshot there instead.
    bool NeedsOwnRecord();
    friend class FreshMtlBaseRestore;
    WStr name_;
    int flags_ = 0;
};

class Mtl : public MtlBase
{
  public:
    SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
    virtual int NumSubMtls() { return 0; }
    virtual Mtl* GetSubMtl(int i) { return nullptr; }
    virtual void SetSubMtl(int i, Mtl* m) {}
    virtual WStr GetSubMtlSlotName(int i) { return WStr(); }
    virtual Color GetDiffuse() { return Color(0.5f, 0.5f, 0.5f); }
};

class Texmap : public MtlBase
{
  public:
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    // The map's UV generator, none for maps without texture coordinates.
    virtual UVGen* GetTheUVGen() { return nullptr; }
    // Colour of the map at texture coordinate (u, v) for previews; black by default.
    virtual AColor EvalColor(float u, float v) { return AColor(0.0f, 0.0f, 0.0f, 1.0f); }
};

class UVGen : public MtlBase
{
  public:
    SClass_ID SuperClassID() override { return UVGEN_CLASS_ID; }
};

// Handed out by a material that wraps another one (interface 0x11D0).
class IWrapperMaterial
{
  public:
    virtual ~IWrapperMaterial() = default;
    // The wrapped material, none when the slot is empty.
    virtual Mtl* GetMaterial() = 0;
    virtual void SetMaterial(Mtl* m) = 0;
};

// A material library: an ordered list of materials and maps it keeps alive.
// Add and Remove are undoable.
class MtlBaseLib : public ReferenceTarget
{
  public:
    MtlBaseLib() = default;
    Class_ID ClassID() override { return Class_ID(0x4d6c4c62, 0x00000001); }
    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }

    int Count() const { return static_cast<int>(items_.size()); }
    MtlBase* operator[](int i) const { return items_[static_cast<size_t>(i)]; }
    // Appends `m` unless already there; answers its index (-1 for none).
    int Add(MtlBase* m);
    void Remove(MtlBase* m);
    // Index of the first entry with that name, -1 when absent.
    int FindName(const WStr& name) const;
    void Empty();
    // Replaces the content with `items` (undoable as one step).
    void Assign(const std::vector<MtlBase*>& items);
    const std::vector<MtlBase*>& Items() const { return items_; }

    int NumRefs() override { return Count(); }
    ReferenceTarget* GetReference(int i) override;
    void RefDeleted(ReferenceTarget* target) override;

  protected:
    ~MtlBaseLib() override;

  private:
    friend class LibraryRestore;
    void Put(const std::vector<MtlBase*>& items);
    std::vector<MtlBase*> items_;
};
