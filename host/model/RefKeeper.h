#pragma once
// Undo records keep the objects they touch alive through a RefKeeper; when one
// of them is deleted anyway the record turns into a no-op.
#include "Animatable.h"
#include "Hold.h"
#include <functional>
#include <initializer_list>

namespace Norvane
{

class RefKeeper : public ReferenceMaker
{
  public:
    RefKeeper() = default;
    ~RefKeeper() override = default;
    void Keep(ReferenceTarget* t) { Acquire(t); }
    bool Broken() const { return broken_; }
    void RefDeleted(ReferenceTarget*) override { broken_ = true; }
    bool HoldsWeakly() const override { return true; }

  private:
    bool broken_ = false;
};

// A change given by two functions (undo, redo), run only while every kept
// object still exists.
class FunctionRestore : public RestoreObj
{
  public:
    FunctionRestore(std::function<void()> undo, std::function<void()> redo,
                    std::initializer_list<ReferenceTarget*> keep, WStr what = WStr(L"change")) :
        undo_(std::move(undo)),
        redo_(std::move(redo)),
        what_(std::move(what))
    {
        for (ReferenceTarget* t : keep)
            keeper_.Keep(t);
    }
    void KeepAlso(ReferenceTarget* t) { keeper_.Keep(t); }
    void Restore(int) override
    {
        if (!keeper_.Broken())
            undo_();
    }
    void Redo() override
    {
        if (!keeper_.Broken())
            redo_();
    }
    WStr Description() override { return what_; }

  private:
    std::function<void()> undo_, redo_;
    RefKeeper keeper_;
    WStr what_;
};

// Hands `rob` to the undo system when it is recording, deletes it otherwise.
inline void HoldPut(RestoreObj* rob)
{
    if (theHold.Holding())
        theHold.Put(rob);
    else
        delete rob;
}

// Whether changes are being recorded: callers skip building records otherwise.
inline bool Recording()
{
    return theHold.Holding() != 0;
}

} // namespace Norvane
