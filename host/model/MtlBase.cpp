#include "MtlBase.h"

#include "LiveObjects.h"
#include "ParamBlock2.h"
#include "RefKeeper.h"

#include <algorithm>
#include <memory>
#include <utility>

MtlBase::MtlBase() = default;

// The name and flags of an object made in the open record, before its first
// change there: it takes back every later change in the record, so that an
// import of thousands of maps keeps one small record per map.
class FreshMtlBaseRestore : public RestoreObj
{
  public:
    explicit FreshMtlBaseRestore(MtlBase* object) :
        object_(object),
        name_(object->name_),
        flags_(object->flags_)
    {
        keeper_.Keep(object);
    }
    void Restore(int) override
    {
        if (keeper_.Broken())
            return;
        // Later changes are undone first: what is there now is the state after.
        if (!after_)
            after_ = std::make_unique<std::pair<WStr, int>>(object_->name_, object_->flags_);
        object_->name_ = name_;
        object_->flags_ = flags_;
    }
    void Redo() override
    {
        if (keeper_.Broken() || !after_)
            return;
        object_->name_ = after_->first;
        object_->flags_ = after_->second;
    }
    WStr Description() override { return WStr(L"name and flags"); }

  private:
    MtlBase* object_;
    Norvane::RefKeeper keeper_;
    WStr name_;
    int flags_;
    std::unique_ptr<std::pair<WStr, int>> after_;
};

bool MtlBase::NeedsOwnRecord()
{
    const ReferenceTarget* key = this;
    if (!theHold.MadeInOpenRecord(key))
        return true;
    if (theHold.FirstChangeInOpenRecord(key))
        theHold.Put(new FreshMtlBaseRestore(this));
    return false;
}

void MtlBase::SetName(const WStr& name)
{
    if (name == name_)
        return;
    if (Norvane::Recording() && NeedsOwnRecord())
    {
        WStr before = name_;
        theHold.Put(new Norvane::FunctionRestore([this, before] { name_ = before; },
                                                 [this, name] { name_ = name; }, { this }, L"rename"));
    }
    name_ = name;
}

void MtlBase::SetMtlFlag(int mask, BOOL val)
{
    int after = val ? (flags_ | mask) : (flags_ & ~mask);
    if (after == flags_)
        return;
    if (Norvane::Recording() && NeedsOwnRecord())
    {
        int before = flags_;
        theHold.Put(new Norvane::FunctionRestore([this, before] { flags_ = before; },
                                                 [this, after] { flags_ = after; }, { this }, L"material flags"));
    }
    flags_ = after;
}

void MtlBase::Reset()
{
    for (int i = 0; i < NumParamBlocks(); ++i)
        if (IParamBlock2* b = GetParamBlock(i))
            b->ResetAll();
}

// MtlBaseLib

MtlBaseLib::~MtlBaseLib() = default;

ReferenceTarget* MtlBaseLib::GetReference(int i)
{
    return i >= 0 && i < Count() ? items_[static_cast<size_t>(i)] : nullptr;
}

void MtlBaseLib::RefDeleted(ReferenceTarget* target)
{
    items_.erase(std::remove(items_.begin(), items_.end(), target), items_.end());
}

void MtlBaseLib::Put(const std::vector<MtlBase*>& items)
{
    for (MtlBase* m : items)
        Acquire(m);
    for (MtlBase* m : items_)
        Release(m);
    items_ = items;
}

void MtlBaseLib::Assign(const std::vector<MtlBase*>& items)
{
    if (Norvane::Recording())
    {
        auto* rec = new Norvane::FunctionRestore([this, before = items_] { Put(before); },
                                                 [this, items] { Put(items); }, { this }, L"library change");
        for (MtlBase* m : items_)
            rec->KeepAlso(m);
        for (MtlBase* m : items)
            rec->KeepAlso(m);
        theHold.Put(rec);
    }
    Put(items);
}

int MtlBaseLib::Add(MtlBase* m)
{
    if (!m)
        return -1;
    auto it = std::find(items_.begin(), items_.end(), m);
    if (it != items_.end())
        return static_cast<int>(it - items_.begin());
    std::vector<MtlBase*> items = items_;
    items.push_back(m);
    Assign(items);
    return Count() - 1;
}

void MtlBaseLib::Remove(MtlBase* m)
{
    std::vector<MtlBase*> items = items_;
    items.erase(std::remove(items.begin(), items.end(), m), items.end());
    if (items.size() != items_.size())
        Assign(items);
}

int MtlBaseLib::FindName(const WStr& name) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->GetName() == name)
            return static_cast<int>(i);
    return -1;
}

void MtlBaseLib::Empty()
{
    if (!items_.empty())
        Assign({});
}
