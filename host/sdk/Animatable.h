#pragma once
// The root of the host's object model: identity, interfaces, references.
#include "ClassID.h"
#include "NorvaneTypes.h"
#include "WStr.h"
#include <vector>

class IParamBlock2;
class ReferenceTarget;

// Base of the interfaces an object hands out by Interface_ID.
class BaseInterface
{
  public:
    virtual ~BaseInterface() = default;
    virtual Interface_ID GetID() { return Interface_ID(); }
};

class Animatable
{
  public:
    Animatable() = default;
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;

    virtual Class_ID ClassID() { return Class_ID(0, 0); }
    virtual SClass_ID SuperClassID() { return 0; }
    virtual void GetClassName(WStr& s) { s = WStr(); }

    // Interface query by numeric ID; none when the object lacks it.
    virtual void* GetInterface(ULONG id) { return nullptr; }
    virtual BaseInterface* GetInterface(Interface_ID id) { return nullptr; }

    // Parameter blocks the object owns.
    virtual int NumParamBlocks() { return 0; }
    virtual IParamBlock2* GetParamBlock(int i) { return nullptr; }
    virtual IParamBlock2* GetParamBlockByID(BlockID id) { return nullptr; }

    // Destroys the object (and, for a reference target, clears every reference to it).
    virtual void DeleteThis() { delete this; }

  protected:
    virtual ~Animatable() = default;
};

enum RefResult
{
    REF_FAIL = 0,
    REF_SUCCEED = 1
};

// An object that holds references to targets. Every held target knows its
// makers, so deleting a target clears the references to it.
class ReferenceMaker : public Animatable
{
  public:
    // Numbered reference slots; a maker with other holdings (a parameter
    // block's map slots) lists them here in a fixed order.
    virtual int NumRefs() { return 0; }
    virtual ReferenceTarget* GetReference(int i) { return nullptr; }

    // Points slot i at `target`, keeping the dependency lists straight.
    RefResult ReplaceReference(int i, ReferenceTarget* target);
    // Drops every reference this maker holds.
    void DeleteAllRefs();

    // Called when a target that this maker refers to is being deleted; the
    // default clears every numbered slot that holds it.
    virtual void RefDeleted(ReferenceTarget* target);

    // A weak maker (an undo record) does not keep its targets from MaybeAutoDelete.
    virtual bool HoldsWeakly() const { return false; }

  protected:
    ~ReferenceMaker() override;
    virtual void SetReference(int i, ReferenceTarget* target) {}
    // Bookkeeping for makers that hold targets outside numbered slots.
    void Acquire(ReferenceTarget* target);
    void Release(ReferenceTarget* target);
    friend class ReferenceTarget;

  private:
    std::vector<ReferenceTarget*> held_; // one entry per reference held
};

class ReferenceTarget : public ReferenceMaker
{
  public:
    ReferenceTarget();

    // Number of references held to this object by makers.
    int NumDependents() const { return static_cast<int>(dependents_.size()); }
    ReferenceMaker* GetDependent(int i) const { return dependents_[static_cast<size_t>(i)]; }
    // Whether any maker other than a weak one refers to this object.
    bool HasDependents() const;

    // Deletes the object when nothing but weak makers refer to it; answers whether it did.
    bool MaybeAutoDelete();
    void DeleteThis() override;

    // Told by an owned parameter block after one of its values changed
    // (also while the undo system restores or redoes).
    virtual void ParamChanged(IParamBlock2* block, ParamID id, int tabIndex) {}

    // Parameter blocks owned by this object, in the order they were made.
    int NumParamBlocks() override { return static_cast<int>(ownedBlocks_.size()); }
    IParamBlock2* GetParamBlock(int i) override;
    IParamBlock2* GetParamBlockByID(BlockID id) override;

  protected:
    ~ReferenceTarget() override;
    // Makes a block for `desc` owned by this object; the object deletes it.
    IParamBlock2* CreateParamBlock(const class ParamBlockDesc2* desc);

  private:
    std::vector<IParamBlock2*> ownedBlocks_;
    void DeleteOwnedBlocks();
    void DetachMakers();

    friend class ReferenceMaker;
    void AddDependent(ReferenceMaker* maker);
    void RemoveDependent(ReferenceMaker* maker);
    std::vector<ReferenceMaker*> dependents_;
    bool deleting_ = false;
};

using RefTargetHandle = ReferenceTarget*;
