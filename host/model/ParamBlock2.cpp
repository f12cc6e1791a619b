#include "ParamBlock2.h"

#include "ClassDesc.h"
#include "INode.h"
#include "Interface.h"
#include "MtlBase.h"
#include "RefKeeper.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// ParamBlockDesc2

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const WStr& internalName, ClassDesc2* classDesc) :
    ID(id),
    int_name(internalName),
    cd(classDesc)
{
    if (classDesc)
        classDesc->AddParamBlockDesc(this);
}

void ParamBlockDesc2::UpdateIndex() const
{
    // Scripts and reports look parameters up one after another.
    if (indexedCount_ == paramdefs.size())
        return;
    nameIndex_.clear();
    idsAreIndices_ = true;
    for (size_t i = 0; i < paramdefs.size(); ++i)
    {
        nameIndex_.emplace(paramdefs[i].int_name.str(), static_cast<int>(i));
        idsAreIndices_ = idsAreIndices_ && paramdefs[i].ID == static_cast<ParamID>(i);
    }
    indexedCount_ = paramdefs.size();
}

int ParamBlockDesc2::NameToIndex(const wchar_t* name) const
{
    if (!name || !*name)
        return -1;
    UpdateIndex();
    const auto found = nameIndex_.find(name);
    if (found != nameIndex_.end() && paramdefs[static_cast<size_t>(found->second)].int_name == name)
        return found->second;
    // A definition renamed in place since: the slow way.
    for (size_t i = 0; i < paramdefs.size(); ++i)
        if (paramdefs[i].int_name == name)
            return static_cast<int>(i);
    auto alias = aliases_.find(WStr(name));
    if (alias != aliases_.end())
        return NameToIndex(alias->second.data());
    return -1;
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const
{
    UpdateIndex();
    if (idsAreIndices_ && id >= 0 && static_cast<size_t>(id) < paramdefs.size() &&
        paramdefs[static_cast<size_t>(id)].ID == id)
        return id;
    for (size_t i = 0; i < paramdefs.size(); ++i)
        if (paramdefs[i].ID == id)
            return static_cast<int>(i);
    return -1;
}

ParamID ParamBlockDesc2::IndextoID(int index) const
{
    if (index < 0 || index >= Count())
        return -1;
    return paramdefs[static_cast<size_t>(index)].ID;
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id)
{
    static ParamDef none;
    int i = IDtoIndex(id);
    if (i < 0)
    {
        none = ParamDef();
        return none;
    }
    return paramdefs[static_cast<size_t>(i)];
}

const ParamDef* ParamBlockDesc2::FindParamDef(ParamID id) const
{
    int i = IDtoIndex(id);
    return i < 0 ? nullptr : &paramdefs[static_cast<size_t>(i)];
}

ParamID ParamBlockDesc2::AddParam(ParamDef def)
{
    if (def.ID < 0)
    {
        ParamID next = 0;
        for (const ParamDef& d : paramdefs)
            next = std::max<ParamID>(next, static_cast<ParamID>(d.ID + 1));
        def.ID = next;
    }
    paramdefs.push_back(std::move(def));
    return paramdefs.back().ID;
}

ParamID ParamBlockDesc2::AddParam(const WStr& name, int type, const ParamValue& def, int flags)
{
    return AddParam(ParamDef(-1, name, type, def, flags));
}

void ParamBlockDesc2::AddAlias(const WStr& alias, const WStr& name)
{
    aliases_[alias] = name;
}

// ClassDesc2's block list lives here with the descriptor it lists.

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(short id) const
{
    for (ParamBlockDesc2* d : pbDescs_)
        if (d->ID == id)
            return d;
    return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd)
{
    if (pbd && std::find(pbDescs_.begin(), pbDescs_.end(), pbd) == pbDescs_.end())
        pbDescs_.push_back(pbd);
}

// IParamBlock2

namespace
{

enum ValueClass
{
    VC_FLOAT,
    VC_INT,
    VC_POINT2,
    VC_POINT3,
    VC_POINT4,
    VC_STRING,
    VC_TEXMAP,
    VC_MTL,
    VC_INODE,
    VC_REF
};

bool Numeric(int valueClass)
{
    return valueClass == VC_FLOAT || valueClass == VC_INT || valueClass == VC_POINT2 || valueClass == VC_POINT3 ||
           valueClass == VC_POINT4;
}

// The value class a parameter type stores.
int StoredClass(int type)
{
    if (IsFloatParamType(type))
        return VC_FLOAT;
    if (IsIntParamType(type))
        return VC_INT;
    if (BaseParamType(type) == TYPE_POINT2)
        return VC_POINT2;
    if (IsPoint3ParamType(type))
        return VC_POINT3;
    if (IsPoint4ParamType(type))
        return VC_POINT4;
    if (IsStringParamType(type))
        return VC_STRING;
    switch (BaseParamType(type))
    {
        case TYPE_TEXMAP:
            return VC_TEXMAP;
        case TYPE_MTL:
            return VC_MTL;
        case TYPE_INODE:
            return VC_INODE;
        case TYPE_REFTARG:
            return VC_REF;
        default:
            return -1;
    }
}

bool IsRefClass(int vc)
{
    return vc == VC_TEXMAP || vc == VC_MTL || vc == VC_INODE || vc == VC_REF;
}

// Whether a value of class `given` may be stored in (or read from) a
// parameter storing class `stored`.
bool Fits(int given, int stored)
{
    if (given == stored)
        return true;
    if ((given == VC_POINT3 && stored == VC_POINT4) || (given == VC_POINT4 && stored == VC_POINT3))
        return true;
    return given == VC_REF && IsRefClass(stored);
}

bool RefFitsType(ReferenceTarget* r, int stored)
{
    if (!r)
        return true;
    switch (stored)
    {
        case VC_TEXMAP:
            return dynamic_cast<Texmap*>(r) != nullptr;
        case VC_MTL:
            return dynamic_cast<Mtl*>(r) != nullptr;
        case VC_INODE:
            return dynamic_cast<INode*>(r) != nullptr;
        default:
            return true;
    }
}

// Entries of a parameter at its default: one, or the table's initial count.
size_t DefaultEntryCount(const ParamDef& d)
{
    return d.IsTable() ? static_cast<size_t>(std::max(0, d.tab_size)) : 1u;
}

// A parameter at its default: one entry, or the table's initial entries.
IParamBlock2::Slot DefaultSlot(const ParamDef& d)
{
    IParamBlock2::Slot slot;
    IParamBlock2::Entry e;
    e.value = d.def;
    if (!IsRefClass(StoredClass(d.type)))
        e.value.r = nullptr;
    slot.entries.assign(DefaultEntryCount(d), e);
    return slot;
}

ParamValue Lerp(const ParamValue& a, const ParamValue& b, float u, int vc)
{
    if (vc == VC_INT)
        return a; // integers hold until the next key
    ParamValue out = a;
    for (int k = 0; k < 4; ++k)
        out.f[k] = a.f[k] + (b.f[k] - a.f[k]) * u;
    return out;
}

} // namespace

namespace
{

// Whether every parameter of `slots` is as DefaultSlot makes it (and refers to nothing).
bool AtDefaults(const ParamBlockDesc2& desc, const IParamBlock2::Slots& slots)
{
    if (slots.size() != desc.paramdefs.size())
        return false;
    bool at = true;
    slots.ForEach([&](size_t i, const IParamBlock2::Slot& slot) {
        const ParamDef& d = desc.paramdefs[i];
        if (!at || slot.entries.size() != DefaultEntryCount(d))
        {
            at = false;
            return;
        }
        for (const IParamBlock2::Entry& e : slot.entries)
        {
            const ParamValue& v = e.value;
            if (!e.keys.empty() || v.r || v.i != d.def.i || v.s != d.def.s ||
                !std::equal(std::begin(v.f), std::end(v.f), std::begin(d.def.f)))
                at = false;
        }
    });
    return at;
}

// Whether two slots read the same, bit for bit, and hold no keys.
bool SameSlot(const IParamBlock2::Slot& a, const IParamBlock2::Slot& b)
{
    if (a.entries.size() != b.entries.size())
        return false;
    for (size_t k = 0; k < a.entries.size(); ++k)
    {
        const IParamBlock2::Entry& x = a.entries[k];
        const IParamBlock2::Entry& y = b.entries[k];
        if (!x.keys.empty() || !y.keys.empty() || x.value.r != y.value.r || x.value.i != y.value.i ||
            x.value.s != y.value.s || std::memcmp(x.value.f, y.value.f, sizeof x.value.f) != 0)
            return false;
    }
    return true;
}

// Whether `slot` is exactly what DefaultSlot makes of `d`, bit for bit.
bool IsDefaultSlot(const IParamBlock2::Slot& slot, const ParamDef& d)
{
    if (slot.entries.size() != DefaultEntryCount(d))
        return false;
    ReferenceTarget* const r = IsRefClass(StoredClass(d.type)) ? d.def.r : nullptr;
    for (const IParamBlock2::Entry& e : slot.entries)
    {
        const ParamValue& v = e.value;
        if (!e.keys.empty() || v.r != r || v.i != d.def.i || v.s != d.def.s ||
            std::memcmp(v.f, d.def.f, sizeof v.f) != 0)
            return false;
    }
    return true;
}

} // namespace

std::shared_ptr<const std::vector<ParamSlot>> ParamBlockDesc2::DefaultSlots() const
{
    // Definitions are plain data that may change at any time: the shared
    // table is checked against them, which costs no allocation.
    bool current = defaultSlots_ && defaultSlots_->size() == paramdefs.size();
    for (size_t i = 0; current && i < paramdefs.size(); ++i)
        current = IsDefaultSlot((*defaultSlots_)[i], paramdefs[i]);
    if (!current)
    {
        auto made = std::make_shared<std::vector<ParamSlot>>();
        made->reserve(paramdefs.size());
        for (const ParamDef& d : paramdefs)
            made->push_back(DefaultSlot(d));
        defaultSlots_ = std::move(made);
    }
    return defaultSlots_;
}

class ParamBlockRestore : public RestoreObj
{
  public:
    // With `atDefaults` the state before is every parameter at its default:
    // only the definitions are kept, the values are made again on undo.
    ParamBlockRestore(IParamBlock2* block, IParamBlock2::State before, bool atDefaults = false) :
        block_(block),
        before_(std::move(before)),
        atDefaults_(atDefaults)
    {
        keeper_.Keep(block);
        KeepRefs(before_);
    }
    void Restore(int) override
    {
        if (keeper_.Broken())
            return;
        // The state after the change is the current one whenever this runs (later
        // changes are undone first): taken here, it costs nothing until an undo.
        if (!after_)
        {
            after_ = std::make_unique<IParamBlock2::State>(block_->TakeState());
            KeepRefs(*after_);
        }
        if (!atDefaults_)
        {
            block_->PutState(before_);
            return;
        }
        IParamBlock2::State defaults = before_;
        defaults.entrySlots = IParamBlock2::Slots(before_.desc->DefaultSlots());
        block_->PutState(defaults);
    }
    void Redo() override
    {
        if (!keeper_.Broken() && after_)
            block_->PutState(*after_);
    }
    WStr Description() override { return WStr(L"parameter change"); }

  private:
    void KeepRefs(const IParamBlock2::State& s)
    {
        s.entrySlots.ForEach([&](size_t, const IParamBlock2::Slot& slot) {
            for (const auto& e : slot.entries)
                if (e.value.r)
                    keeper_.Keep(e.value.r);
        });
    }
    IParamBlock2* block_;
    IParamBlock2::State before_;
    // Taken by the first undo; most records are never undone.
    std::unique_ptr<IParamBlock2::State> after_;
    bool atDefaults_;
    Norvane::RefKeeper keeper_;
};

namespace
{

// One entry's change, cheaper than a whole-block snapshot.
class EntryRestore : public RestoreObj
{
  public:
    EntryRestore(IParamBlock2* block, ParamID id, int tab, IParamBlock2::Entry before, IParamBlock2::Entry after) :
        block_(block),
        id_(id),
        tab_(tab),
        before_(std::move(before)),
        after_(std::move(after))
    {
        keeper_.Keep(block);
        if (before_.value.r)
            keeper_.Keep(before_.value.r);
        if (after_.value.r)
            keeper_.Keep(after_.value.r);
    }
    void Restore(int) override
    {
        if (!keeper_.Broken())
            block_->SetEntry(id_, tab_, before_);
    }
    void Redo() override
    {
        if (!keeper_.Broken())
            block_->SetEntry(id_, tab_, after_);
    }
    WStr Description() override { return WStr(L"parameter change"); }

  private:
    IParamBlock2* block_;
    ParamID id_;
    int tab_;
    IParamBlock2::Entry before_, after_;
    Norvane::RefKeeper keeper_;
};

} // namespace

IParamBlock2::IParamBlock2(const ParamBlockDesc2* desc, ReferenceTarget* owner) :
    owner_(owner)
{
    static const ParamBlockDesc2 empty;
    desc_ = desc ? desc : &empty;
    ResetAll();
}

IParamBlock2::~IParamBlock2()
{
    // The maker base drops the held references.
}

Class_ID IParamBlock2::ClassID()
{
    return Class_ID(0x50423200, static_cast<ULONG>(desc_->ID));
}

int IParamBlock2::GetParameterType(ParamID id) const
{
    const ParamDef* d = desc_->FindParamDef(id);
    return d ? d->type : TYPE_VOID;
}

WStr IParamBlock2::GetLocalName(ParamID id) const
{
    const ParamDef* d = desc_->FindParamDef(id);
    return d ? d->int_name : WStr();
}

void IParamBlock2::ResetAll()
{
    ReleaseAll(slots_);
    slots_ = Slots(desc_->DefaultSlots());
    AcquireAll(slots_);
}

void IParamBlock2::AcquireAll(const Slots& slotList)
{
    slotList.ForEach([&](size_t, const Slot& s) {
        for (const Entry& e : s.entries)
            if (e.value.r)
                Acquire(e.value.r);
    });
}

void IParamBlock2::ReleaseAll(const Slots& slotList)
{
    slotList.ForEach([&](size_t, const Slot& s) {
        for (const Entry& e : s.entries)
            if (e.value.r)
                Release(e.value.r);
    });
}

bool IParamBlock2::NeedsChangeRecord()
{
    if (!Norvane::Recording())
        return false;
    if (!theHold.MadeInOpenRecord(this))
        return true;
    // A block made in the open record: one snapshot before its first change
    // undoes all of them (an import changes thousands of fresh blocks).
    if (theHold.FirstChangeInOpenRecord(this))
    {
        // A fresh block is at its defaults: its snapshot needs no copy of them.
        if (AtDefaults(*desc_, slots_))
        {
            State before;
            before.desc = desc_;
            before.ownDesc = ownDesc_;
            theHold.Put(new ParamBlockRestore(this, std::move(before), true));
        }
        else
        {
            theHold.Put(new ParamBlockRestore(this, TakeState()));
        }
    }
    return false;
}

IParamBlock2::State IParamBlock2::TakeState() const
{
    State s;
    s.desc = desc_;
    s.ownDesc = ownDesc_;
    s.entrySlots = slots_;
    return s;
}

void IParamBlock2::PutState(const State& s)
{
    AcquireAll(s.entrySlots);
    ReleaseAll(slots_);
    slots_ = s.entrySlots;
    ownDesc_ = s.ownDesc;
    desc_ = s.desc;
    if (owner_)
        owner_->ParamChanged(this, -1, -1);
}

const IParamBlock2::Slot* IParamBlock2::GetSlot(ParamID id) const
{
    int i = desc_->IDtoIndex(id);
    return i < 0 ? nullptr : &slots_[static_cast<size_t>(i)];
}

bool IParamBlock2::SetEntry(ParamID id, int tabIndex, const Entry& entry)
{
    int i = desc_->IDtoIndex(id);
    if (i < 0)
        return false;
    if (tabIndex < 0 || tabIndex >= static_cast<int>(slots_[static_cast<size_t>(i)].entries.size()))
        return false;
    const size_t index = static_cast<size_t>(i);
    Entry& e = slots_.Mutable(index).entries[static_cast<size_t>(tabIndex)];
    Acquire(entry.value.r);
    Release(e.value.r);
    e = entry;
    // A value set back to the default (an import sets every parameter it
    // reads) needs no room of its own.
    if (SameSlot(slots_[index], slots_.Shared(index)))
        slots_.Revert(index);
    if (owner_)
        owner_->ParamChanged(this, id, tabIndex);
    return true;
}

int IParamBlock2::Count(ParamID id) const
{
    const Slot* s = GetSlot(id);
    return s ? static_cast<int>(s->entries.size()) : 0;
}

BOOL IParamBlock2::SetCount(ParamID id, int n)
{
    int i = desc_->IDtoIndex(id);
    if (i < 0 || n < 0 || !desc_->paramdefs[static_cast<size_t>(i)].IsTable())
        return FALSE;
    ParamBlockRestore* rec = NeedsChangeRecord() ? new ParamBlockRestore(this, TakeState()) : nullptr;
    Slot& slot = slots_.Mutable(static_cast<size_t>(i));
    for (size_t k = static_cast<size_t>(n); k < slot.entries.size(); ++k)
        Release(slot.entries[k].value.r);
    Entry e;
    e.value = desc_->paramdefs[static_cast<size_t>(i)].def;
    e.value.r = nullptr;
    slot.entries.resize(static_cast<size_t>(n), e);
    if (rec)
        theHold.Put(rec);
    if (owner_)
        owner_->ParamChanged(this, id, -1);
    return TRUE;
}

int IParamBlock2::Append(ParamID id, const ParamValue& v)
{
    int n = Count(id);
    if (!SetCount(id, n + 1))
        return -1;
    int i = desc_->IDtoIndex(id);
    Entry e;
    e.value = v;
    int vc = StoredClass(desc_->paramdefs[static_cast<size_t>(i)].type);
    if (!IsRefClass(vc) || !RefFitsType(v.r, vc))
        e.value.r = nullptr;
    Entry before = slots_[static_cast<size_t>(i)].entries[static_cast<size_t>(n)];
    const bool record = NeedsChangeRecord(); // before the change: it may take the snapshot
    SetEntry(id, n, e);
    if (record)
        theHold.Put(new EntryRestore(this, id, n, before, e));
    return n;
}

void IParamBlock2::Rebuild(const std::vector<ParamDef>& defs)
{
    auto desc = std::make_shared<ParamBlockDesc2>(desc_->ID, desc_->int_name);
    desc->cd = desc_->cd;
    for (const ParamDef& d : defs)
        desc->AddParam(d);
    Rebuild(std::move(desc));
}

void IParamBlock2::Rebuild(std::shared_ptr<ParamBlockDesc2> desc)
{
    ParamBlockRestore* rec = NeedsChangeRecord() ? new ParamBlockRestore(this, TakeState()) : nullptr;
    Slots slotList(desc->DefaultSlots());
    for (size_t i = 0; i < desc->paramdefs.size(); ++i)
    {
        const ParamDef& d = desc->paramdefs[i];
        int old = desc_->NameToIndex(d.int_name);
        if (old >= 0 && desc_->paramdefs[static_cast<size_t>(old)].type == d.type &&
            desc_->paramdefs[static_cast<size_t>(old)].IsTable() == d.IsTable())
            slotList.Mutable(i) = slots_[static_cast<size_t>(old)];
    }
    AcquireAll(slotList);
    ReleaseAll(slots_);
    slots_ = std::move(slotList);
    ownDesc_ = desc;
    desc_ = ownDesc_.get();
    if (rec)
        theHold.Put(rec);
    if (owner_)
        owner_->ParamChanged(this, -1, -1);
}

const IParamBlock2::Entry* IParamBlock2::FindEntry(ParamID id, int tabIndex, int given, const ParamDef*& def,
                                                   int& stored) const
{
    const int i = desc_->IDtoIndex(id);
    if (i < 0)
        return nullptr;
    def = &desc_->paramdefs[static_cast<size_t>(i)];
    stored = StoredClass(def->type);
    if (stored < 0 || !Fits(given, stored))
        return nullptr;
    const Slot& slot = slots_[static_cast<size_t>(i)];
    if (tabIndex < 0 || tabIndex >= static_cast<int>(slot.entries.size()))
        return nullptr;
    return &slot.entries[static_cast<size_t>(tabIndex)];
}

bool IParamBlock2::Store(ParamID id, TimeValue t, int tabIndex, const ParamValue& v, int given)
{
    const ParamDef* def = nullptr;
    int stored = -1;
    const Entry* entry = FindEntry(id, tabIndex, given, def, stored);
    if (!entry || (IsRefClass(stored) && !RefFitsType(v.r, stored)))
        return false;

    Entry before = *entry;
    Entry after = before;
    ParamValue value = v;
    if (given == VC_POINT3 && stored == VC_POINT4)
        value.f[3] = 1.0f;
    if (given == VC_POINT4 && stored == VC_POINT3)
        value.f[3] = 0.0f;
    if (!IsRefClass(stored))
        value.r = nullptr;

    Interface* ip = GetCOREInterface();
    const bool animate = Numeric(stored) && (def->flags & P_ANIMATABLE) && ip && ip->GetAnimateMode();
    if (Numeric(stored) && (animate || !after.keys.empty()))
    {
        if (after.keys.empty() && t != 0)
            after.keys[0] = after.value;
        after.keys[t] = value;
    }
    else
    {
        after.value = value;
        after.keys.clear();
    }
    const bool record = NeedsChangeRecord(); // before the change: it may take the snapshot
    SetEntry(id, tabIndex, after);
    if (record)
        theHold.Put(new EntryRestore(this, id, tabIndex, before, after));
    return true;
}

bool IParamBlock2::Fetch(ParamID id, TimeValue t, int tabIndex, ParamValue& v, Interval& valid, int given)
{
    const ParamDef* def = nullptr;
    int stored = -1;
    const Entry* entry = FindEntry(id, tabIndex, given, def, stored);
    if (!entry)
        return false;
    const Entry& e = *entry;
    if (e.keys.empty())
    {
        v = e.value;
        if (given == VC_POINT4 && stored == VC_POINT3)
            v.f[3] = 1.0f;
        return true;
    }
    auto next = e.keys.lower_bound(t);
    if (next == e.keys.end())
    {
        v = std::prev(next)->second;
        valid &= Interval(std::prev(next)->first, TIME_PosInfinity);
    }
    else if (next->first == t || next == e.keys.begin())
    {
        v = next->second;
        valid &= next == e.keys.begin() && next->first != t ? Interval(TIME_NegInfinity, next->first)
                                                            : Interval(t, t);
    }
    else
    {
        auto prev = std::prev(next);
        float u = static_cast<float>(t - prev->first) / static_cast<float>(next->first - prev->first);
        v = Lerp(prev->second, next->second, u, stored);
        valid &= Interval(t, t);
    }
    if (given == VC_POINT4 && stored == VC_POINT3)
        v.f[3] = 1.0f;
    return true;
}

std::vector<TimeValue> IParamBlock2::KeyTimes(ParamID id, int tabIndex) const
{
    std::vector<TimeValue> out;
    const Slot* s = GetSlot(id);
    if (!s || tabIndex < 0 || tabIndex >= static_cast<int>(s->entries.size()))
        return out;
    for (const auto& k : s->entries[static_cast<size_t>(tabIndex)].keys)
        out.push_back(k.first);
    return out;
}

int IParamBlock2::NumRefs()
{
    int n = 0;
    slots_.ForEach([&](size_t, const Slot& s) {
        for (const Entry& e : s.entries)
            if (e.value.r)
                ++n;
    });
    return n;
}

ReferenceTarget* IParamBlock2::GetReference(int i)
{
    ReferenceTarget* found = nullptr;
    slots_.ForEach([&](size_t, const Slot& s) {
        for (const Entry& e : s.entries)
            if (!found && e.value.r && i-- == 0)
                found = e.value.r;
    });
    return found;
}

void IParamBlock2::RefDeleted(ReferenceTarget* target)
{
    std::vector<size_t> holding;
    slots_.ForEach([&](size_t i, const Slot& s) {
        for (const Entry& e : s.entries)
            if (e.value.r == target)
            {
                holding.push_back(i);
                return;
            }
    });
    for (size_t i : holding)
        for (Entry& e : slots_.Mutable(i).entries)
            if (e.value.r == target)
                e.value.r = nullptr;
}

// Typed setters and getters.

#define PB_SET(TYPE, VC, FILL)                                                 \
    BOOL IParamBlock2::SetValue(ParamID id, TimeValue t, TYPE v, int tabIndex) \
    {                                                                          \
        ParamValue p;                                                          \
        FILL;                                                                  \
        return Store(id, t, tabIndex, p, VC) ? TRUE : FALSE;                   \
    }

PB_SET(float, VC_FLOAT, p.f[0] = v)
PB_SET(int, VC_INT, p.i = v)
PB_SET(const Point2&, VC_POINT2, (p.f[0] = v.x, p.f[1] = v.y))
PB_SET(const Point3&, VC_POINT3, (p.f[0] = v.x, p.f[1] = v.y, p.f[2] = v.z))
PB_SET(const Point4&, VC_POINT4, (p.f[0] = v.x, p.f[1] = v.y, p.f[2] = v.z, p.f[3] = v.w))
PB_SET(const Color&, VC_POINT3, (p.f[0] = v.r, p.f[1] = v.g, p.f[2] = v.b))
PB_SET(const AColor&, VC_POINT4, (p.f[0] = v.r, p.f[1] = v.g, p.f[2] = v.b, p.f[3] = v.a))
PB_SET(const wchar_t*, VC_STRING, p.s = WStr(v))
PB_SET(Texmap*, VC_TEXMAP, p.r = v)
PB_SET(Mtl*, VC_MTL, p.r = v)
PB_SET(INode*, VC_INODE, p.r = v)
PB_SET(ReferenceTarget*, VC_REF, p.r = v)
#undef PB_SET

#define PB_GET(TYPE, VC, TAKE)                                                                   \
    BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, TYPE& v, Interval& valid, int tabIndex) \
    {                                                                                            \
        ParamValue p;                                                                            \
        if (!Fetch(id, t, tabIndex, p, valid, VC))                                               \
            return FALSE;                                                                        \
        TAKE;                                                                                    \
        return TRUE;                                                                             \
    }

PB_GET(float, VC_FLOAT, v = p.f[0])
PB_GET(int, VC_INT, v = p.i)
PB_GET(Point2, VC_POINT2, v = Point2(p.f[0], p.f[1]))
PB_GET(Point3, VC_POINT3, v = Point3(p.f[0], p.f[1], p.f[2]))
PB_GET(Point4, VC_POINT4, v = Point4(p.f[0], p.f[1], p.f[2], p.f[3]))
PB_GET(Color, VC_POINT3, v = Color(p.f[0], p.f[1], p.f[2]))
PB_GET(AColor, VC_POINT4, v = AColor(p.f[0], p.f[1], p.f[2], p.f[3]))
PB_GET(WStr, VC_STRING, v = p.s)
PB_GET(Texmap*, VC_TEXMAP, v = dynamic_cast<Texmap*>(p.r))
PB_GET(Mtl*, VC_MTL, v = dynamic_cast<Mtl*>(p.r))
PB_GET(INode*, VC_INODE, v = dynamic_cast<INode*>(p.r))
PB_GET(ReferenceTarget*, VC_REF, v = p.r)
#undef PB_GET

BOOL IParamBlock2::GetValue(ParamID id, TimeValue t, const wchar_t*& v, Interval& valid, int tabIndex)
{
    int i = desc_->IDtoIndex(id);
    if (i < 0 || !IsStringParamType(desc_->paramdefs[static_cast<size_t>(i)].type))
        return FALSE;
    const Slot& slot = slots_[static_cast<size_t>(i)];
    if (tabIndex < 0 || tabIndex >= static_cast<int>(slot.entries.size()))
        return FALSE;
    v = slot.entries[static_cast<size_t>(tabIndex)].value.s.data();
    return TRUE;
}

#define PB_SHORT(NAME, TYPE, ZERO)                                 \
    TYPE IParamBlock2::NAME(ParamID id, TimeValue t, int tabIndex) \
    {                                                              \
        TYPE v = ZERO;                                             \
        Interval valid;                                            \
        if (!GetValue(id, t, v, valid, tabIndex))                  \
            return ZERO;                                           \
        return v;                                                  \
    }

PB_SHORT(GetFloat, float, 0.0f)
PB_SHORT(GetInt, int, 0)
PB_SHORT(GetPoint2, Point2, Point2())
PB_SHORT(GetPoint3, Point3, Point3())
PB_SHORT(GetPoint4, Point4, Point4())
PB_SHORT(GetColor, Color, Color())
PB_SHORT(GetAColor, AColor, AColor(0.0f, 0.0f, 0.0f, 0.0f))
PB_SHORT(GetTexmap, Texmap*, nullptr)
PB_SHORT(GetMtl, Mtl*, nullptr)
PB_SHORT(GetINode, INode*, nullptr)
PB_SHORT(GetReferenceTarget, ReferenceTarget*, nullptr)
#undef PB_SHORT

const wchar_t* IParamBlock2::GetStr(ParamID id, TimeValue t, int tabIndex)
{
    const wchar_t* v = nullptr;
    Interval valid;
    return GetValue(id, t, v, valid, tabIndex) ? v : nullptr;
}
