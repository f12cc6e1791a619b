#include "MtlBase.h"

#include "LiveObjects.h"
#include "ParamBlock2.h"
#include "RefKeeper.h"

#include <algorithm>

MtlBase::MtlBase() = default;

void MtlBase::SetName(const WStr& name)
{
    if (name == name_)
        return;
    if (Norvane::Recording()) {
        WStr before = name_;
        theHold.Put(new Norvane::FunctionRestore([this, before] { name_ = before; },
                                                 [this, name] { name_ = name; }, {this}, L"rename"));
    }
    name_ = name;
}

void MtlBase::SetMtlFlag(int mask, BOOL val)
{
    int after = val ? (flags_ | mask) : (flags_ & ~mask);
    if (after == flags_)
        return;
    if (Norvane::Recording()) {
        int before = flags_;
        theHold.Put(new Norvane::FunctionRestore([this, before] { flags_ = before; },
                                                 [this, after] { flags_ = after; }, {this}, L"material flags"));
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
    if (Norvane::Recording()) {
        auto* rec = new Norvane::FunctionRestore([this, before = items_] { Put(before); },
                                                 [this, items] { Put(items); }, {this}, L"library change");
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
