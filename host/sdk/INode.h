#pragma once
// Scene nodes: a named placement of an object with a material.
#include "Animatable.h"
#include "Geometry.h"
#include "WStr.h"

class Mtl;
class Object;

// Pivot modes for Move.
constexpr int PIV_NONE = 0;
constexpr int PIV_PIVOT_ONLY = 1;
constexpr int PIV_OBJECT_ONLY = 2;

class INode : public ReferenceTarget
{
  public:
    INode();
    Class_ID ClassID() override { return Class_ID(1, 0); }
    SClass_ID SuperClassID() override { return NODE_CLASS_ID; }

    const wchar_t* GetName() const { return name_.data(); }
    void SetName(const wchar_t* name); // undoable

    Object* GetObjectRef() { return object_; }
    void SetObjectRef(Object* o); // undoable
    Mtl* GetMtl() { return mtl_; }
    void SetMtl(Mtl* m); // undoable

    // Transform at time t (nodes are not animated in this host).
    Matrix3 GetNodeTM(TimeValue t = 0) const { return tm_; }
    void SetNodeTM(TimeValue t, const Matrix3& tm); // undoable
    // Moves by `val` given in the axes of `tmAxis` (the world for identity).
    void Move(TimeValue t, const Matrix3& tmAxis, const Point3& val, bool localOrigin = false,
              bool affectKids = true, int pivMode = PIV_NONE, bool ignoreLocks = false);
    Point3 GetPosition() const { return tm_.GetTrans(); }

    // Selection is kept by the scene; this answers membership.
    int Selected();
    bool IsHidden() const { return hidden_; }
    void Hide(bool h) { hidden_ = h; }

    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override;

  protected:
    void SetReference(int i, ReferenceTarget* target) override;

  private:
    friend class NodeRestore;
    WStr name_;
    Object* object_ = nullptr;
    Mtl* mtl_ = nullptr;
    Matrix3 tm_;
    bool hidden_ = false;
};
