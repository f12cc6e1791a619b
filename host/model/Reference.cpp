#include "Animatable.h"
#include "Hold.h"
#include "LiveObjects.h"
#include "ParamBlock2.h"

#include <algorithm>

// ReferenceMaker

ReferenceMaker::~ReferenceMaker()
{
    std::vector<ReferenceTarget*> held;
    held.swap(held_);
    for (ReferenceTarget* t : held)
        t->RemoveDependent(this);
}

RefResult ReferenceMaker::ReplaceReference(int i, ReferenceTarget* target)
{
    if (i < 0 || i >= NumRefs())
        return REF_FAIL;
    ReferenceTarget* old = GetReference(i);
    if (old == target)
        return REF_SUCCEED;
    SetReference(i, target);
    Acquire(target);
    Release(old);
    return REF_SUCCEED;
}

void ReferenceMaker::DeleteAllRefs()
{
    for (int i = 0; i < NumRefs(); ++i)
        ReplaceReference(i, nullptr);
}

void ReferenceMaker::RefDeleted(ReferenceTarget* target)
{
    for (int i = 0; i < NumRefs(); ++i)
        if (GetReference(i) == target)
            SetReference(i, nullptr);
}

void ReferenceMaker::Acquire(ReferenceTarget* target)
{
    if (!target)
        return;
    held_.push_back(target);
    target->AddDependent(this);
}

void ReferenceMaker::Release(ReferenceTarget* target)
{
    if (!target)
        return;
    auto it = std::find(held_.begin(), held_.end(), target);
    if (it == held_.end())
        return;
    held_.erase(it);
    target->RemoveDependent(this);
}

// ReferenceTarget

ReferenceTarget::ReferenceTarget()
{
    Norvane::LiveObjects::Instance().Add(this);
    theHold.NoteMade(this);
}

ReferenceTarget::~ReferenceTarget()
{
    // Objects deleted without DeleteThis still clear the references to them.
    if (!deleting_)
    {
        deleting_ = true;
        DetachMakers();
        DeleteOwnedBlocks();
    }
    Norvane::LiveObjects::Instance().Remove(this);
    theHold.NoteGone(this);
}

void ReferenceTarget::DetachMakers()
{
    std::vector<ReferenceMaker*> makers = dependents_;
    std::sort(makers.begin(), makers.end());
    makers.erase(std::unique(makers.begin(), makers.end()), makers.end());
    for (ReferenceMaker* m : makers)
        m->RefDeleted(this);
    for (ReferenceMaker* m : makers)
        m->held_.erase(std::remove(m->held_.begin(), m->held_.end(), this), m->held_.end());
    dependents_.clear();
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker)
{
    dependents_.push_back(maker);
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker)
{
    auto it = std::find(dependents_.begin(), dependents_.end(), maker);
    if (it != dependents_.end())
        dependents_.erase(it);
}

bool ReferenceTarget::HasDependents() const
{
    for (ReferenceMaker* m : dependents_)
        if (!m->HoldsWeakly())
            return true;
    return false;
}

bool ReferenceTarget::MaybeAutoDelete()
{
    if (HasDependents() || deleting_)
        return false;
    DeleteThis();
    return true;
}

void ReferenceTarget::DeleteThis()
{
    if (deleting_)
        return;
    deleting_ = true;
    // Makers first forget this object, then this object drops what it holds.
    DetachMakers();
    DeleteAllRefs();
    DeleteOwnedBlocks();
    delete this;
}

IParamBlock2* ReferenceTarget::CreateParamBlock(const ParamBlockDesc2* desc)
{
    auto* block = new IParamBlock2(desc, this);
    ownedBlocks_.push_back(block);
    return block;
}

IParamBlock2* ReferenceTarget::GetParamBlock(int i)
{
    if (i < 0 || i >= static_cast<int>(ownedBlocks_.size()))
        return nullptr;
    return ownedBlocks_[static_cast<size_t>(i)];
}

IParamBlock2* ReferenceTarget::GetParamBlockByID(BlockID id)
{
    for (IParamBlock2* b : ownedBlocks_)
        if (b->ID() == id)
            return b;
    return nullptr;
}

void ReferenceTarget::DeleteOwnedBlocks()
{
    std::vector<IParamBlock2*> blocks;
    blocks.swap(ownedBlocks_);
    for (IParamBlock2* b : blocks)
        b->DeleteThis();
}

// LiveObjects

namespace Norvane
{

LiveObjects& LiveObjects::Instance()
{
    static LiveObjects objects;
    return objects;
}

void LiveObjects::DeleteAll(const std::set<ReferenceTarget*>& keep)
{
    // Objects go in address order. A pass resumes after the object it has
    // just deleted instead of starting over, so a scene of many objects goes
    // in linear time; a block skipped because its owner still lived is met
    // again in the next pass, if deleting the owner did not take it along.
    for (bool deleted = true; deleted;)
    {
        deleted = false;
        for (auto it = live_.begin(); it != live_.end();)
        {
            ReferenceTarget* t = *it;
            auto* block = dynamic_cast<IParamBlock2*>(t);
            if (pinned_.count(t) || keep.count(t) || (block && block->GetOwner() && Contains(block->GetOwner())))
            {
                ++it;
                continue;
            }
            t->DeleteThis();
            deleted = true;
            it = live_.upper_bound(t);
        }
    }
}

} // namespace Norvane
