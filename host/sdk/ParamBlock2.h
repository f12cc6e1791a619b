#pragma once
// Parameter blocks: named, typed parameters addressed by ID, time and table index.
#include "Animatable.h"
#include "Geometry.h"
#include "CompactList.h"
#include "ParamKeys.h"
#include "ParamText.h"
#include "ParamType.h"
#include "SparseTable.h"
#include "WStr.h"
#include <map>
#include <string>
#include <unordered_map>
#include <memory>
#include <vector>

class ClassDesc2;
class INode;
class Mtl;
class Texmap;

// Parameter flags.
constexpr int P_ANIMATABLE = 0x0001;
constexpr int P_TRANSIENT = 0x0002; // not saved
constexpr int P_TABLE = 0x0004;     // a table of values (count given by the definition)

// One value of any parameter type. Only the fields of the parameter's value
// class are used: i for integers, f[0..3] for floats, points and colours, s for
// text, r for references.
struct ParamValue
{
    int i = 0;
    float f[4] = { 0.0f, 0.0f, 0.0f, 0.0f };
    ParamText s;
    ReferenceTarget* r = nullptr;

    static ParamValue Int(int v)
    {
        ParamValue p;
        p.i = v;
        return p;
    }
    static ParamValue Float(float v)
    {
        ParamValue p;
        p.f[0] = v;
        return p;
    }
    static ParamValue Floats(float a, float b = 0.0f, float c = 0.0f, float d = 0.0f)
    {
        ParamValue p;
        p.f[0] = a;
        p.f[1] = b;
        p.f[2] = c;
        p.f[3] = d;
        return p;
    }
    static ParamValue Text(const WStr& v)
    {
        ParamValue p;
        p.s = v;
        return p;
    }
};

// The definition of one parameter.
struct ParamDef
{
    ParamID ID = -1;
    WStr int_name;         // internal (script) name
    int type = TYPE_FLOAT; // a ParamType code (without TYPE_TAB; use P_TABLE)
    int flags = 0;
    ParamValue def;                            // default value
    int tab_size = 0;                          // initial entries of a table parameter
    float range_low = 0.0f, range_high = 0.0f; // both zero: unbounded

    ParamDef() = default;
    ParamDef(ParamID id, const WStr& name, int t, const ParamValue& d = ParamValue(), int f = 0) :
        ID(id),
        int_name(name),
        type(t),
        flags(f),
        def(d) {}
    bool IsTable() const { return (flags & P_TABLE) != 0; }
};

// The state of one value: constant, or animated by keys.
struct ParamEntry
{
    ParamValue value;                     // used when there are no keys
    KeyTable<TimeValue, ParamValue> keys; // animation keys
};
// The entries of one parameter: one for a plain parameter, the table otherwise.
struct ParamSlot
{
    CompactList<ParamEntry> entries;
};

// The descriptor of a block: its ID, name and parameter definitions.
class ParamBlockDesc2
{
  public:
    ParamBlockDesc2() = default;
    ParamBlockDesc2(BlockID id, const WStr& internalName, ClassDesc2* classDesc = nullptr);

    BlockID ID = 0;
    WStr int_name;
    ClassDesc2* cd = nullptr;
    std::vector<ParamDef> paramdefs; // in index order

    int Count() const { return static_cast<int>(paramdefs.size()); }
    // Index of the parameter with that internal name (exact, case-sensitive);
    // negative when the block has none. Alias names answer their parameter's index.
    int NameToIndex(const wchar_t* name) const;
    int NameToIndex(const WStr& name) const { return NameToIndex(name.data()); }
    int IDtoIndex(ParamID id) const;
    ParamID IndextoID(int index) const;
    ParamDef& GetParamDef(ParamID id);
    const ParamDef* FindParamDef(ParamID id) const;

    // Adds a definition (ID < 0 takes the next free ID); answers its ID.
    ParamID AddParam(ParamDef def);
    ParamID AddParam(const WStr& name, int type, const ParamValue& def = ParamValue(), int flags = P_ANIMATABLE);
    // A second name for an existing parameter.
    void AddAlias(const WStr& alias, const WStr& name);
    const std::map<WStr, WStr>& Aliases() const { return aliases_; }

    // The slots of a fresh block at the current definitions, shared by the blocks
    // made from them.
    std::shared_ptr<const std::vector<ParamSlot>> DefaultSlots() const;

  private:
    mutable std::shared_ptr<const std::vector<ParamSlot>> defaultSlots_;
    std::map<WStr, WStr> aliases_;
    // Index by internal name, built on the first lookup after a change.
    void UpdateIndex() const;
    mutable std::unordered_map<std::wstring, int> nameIndex_;
    mutable size_t indexedCount_ = 0;
    mutable bool idsAreIndices_ = true;
};

// A block of parameter values owned by one object. Setters answer TRUE when
// the parameter exists, the table index is in range and the value class fits
// the parameter's type (points and colours of three and four floats convert
// into one another); otherwise nothing is set. Every change made while the
// undo system holds is undoable.
class IParamBlock2 : public ReferenceTarget
{
  public:
    IParamBlock2(const ParamBlockDesc2* desc, ReferenceTarget* owner);

    Class_ID ClassID() override;
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }

    ParamBlockDesc2* GetDesc() { return const_cast<ParamBlockDesc2*>(desc_); }
    BlockID ID() const { return desc_->ID; }
    ReferenceTarget* GetOwner() const { return owner_; }
    int NumParams() const { return desc_->Count(); }
    ParamID IndextoID(int index) const { return desc_->IndextoID(index); }
    int IDtoIndex(ParamID id) const { return desc_->IDtoIndex(id); }
    // Type code of the parameter, TYPE_VOID when there is none.
    int GetParameterType(ParamID id) const;
    WStr GetLocalName(ParamID id) const;

    // Tables: entry count, resize, append.
    int Count(ParamID id) const;
    // How many parameters hold a value of their own; the others read the
    // defaults every block of the descriptor shares.
    size_t OwnValueCount() const { return slots_.OwnCount(); }
    BOOL SetCount(ParamID id, int n);
    int Append(ParamID id, const ParamValue& v);

    BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, double v, int tabIndex = 0) { return SetValue(id, t, static_cast<float>(v), tabIndex); }
    BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Point2& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const wchar_t* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, const WStr& v, int tabIndex = 0) { return SetValue(id, t, v.data(), tabIndex); }
    BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, Mtl* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, INode* v, int tabIndex = 0);
    BOOL SetValue(ParamID id, TimeValue t, ReferenceTarget* v, int tabIndex = 0);

    BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Point2& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Point4& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, const wchar_t*& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, WStr& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, Mtl*& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, INode*& v, Interval& valid, int tabIndex = 0);
    BOOL GetValue(ParamID id, TimeValue t, ReferenceTarget*& v, Interval& valid, int tabIndex = 0);

    // Shorthands; a parameter that cannot be read gives the zero value.
    float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
    int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Point2 GetPoint2(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Point3 GetPoint3(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Point4 GetPoint4(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0);
    AColor GetAColor(ParamID id, TimeValue t = 0, int tabIndex = 0);
    const wchar_t* GetStr(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0);
    Mtl* GetMtl(ParamID id, TimeValue t = 0, int tabIndex = 0);
    INode* GetINode(ParamID id, TimeValue t = 0, int tabIndex = 0);
    ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t = 0, int tabIndex = 0);

    // Animation keys of one entry (times in ascending order); none for a constant.
    std::vector<TimeValue> KeyTimes(ParamID id, int tabIndex = 0) const;
    // Back to the defaults of every parameter.
    void ResetAll();

    // Replaces the block's definitions at run time. Values of parameters whose
    // name and type stay are kept; the others start at their defaults, and
    // the references of dropped parameters are released. Undoable.
    void Rebuild(const std::vector<ParamDef>& defs);
    // The same with definitions several blocks may share (same ID and name as this block's).
    void Rebuild(std::shared_ptr<ParamBlockDesc2> desc);

    // Raw access for the host (scene files, undo): the whole state of one entry.
    using Entry = ParamEntry;
    using Slot = ParamSlot;
    using Slots = SparseTable<Slot>; // parallel to the descriptor's definitions
    struct State
    {
        const ParamBlockDesc2* desc = nullptr;
        std::shared_ptr<ParamBlockDesc2> ownDesc; // set once the block was rebuilt
        Slots entrySlots;
    };
    const Slot* GetSlot(ParamID id) const;
    bool SetEntry(ParamID id, int tabIndex, const Entry& entry);
    bool IsRebuilt() const { return static_cast<bool>(ownDesc_); }

    int NumRefs() override;
    ReferenceTarget* GetReference(int i) override;
    void RefDeleted(ReferenceTarget* target) override;

  protected:
    ~IParamBlock2() override;

  private:
    friend class ParamBlockRestore;
    State TakeState() const;
    // Whether a change needs a record of its own (see the definition).
    bool NeedsChangeRecord();
    void PutState(const State& s);
    // The entry a typed access of value class `given` reaches, none when it cannot.
    const Entry* FindEntry(ParamID id, int tabIndex, int given, const ParamDef*& def, int& stored) const;
    bool Store(ParamID id, TimeValue t, int tabIndex, const ParamValue& v, int valueClass);
    bool Fetch(ParamID id, TimeValue t, int tabIndex, ParamValue& v, Interval& valid, int valueClass);
    void AcquireAll(const Slots& slotList);
    void ReleaseAll(const Slots& slotList);

    const ParamBlockDesc2* desc_;
    std::shared_ptr<ParamBlockDesc2> ownDesc_;
    ReferenceTarget* owner_;
    Slots slots_;
};

// The block of `owner` with index 0 (common shorthand).
using IParamBlock2Ptr = IParamBlock2*;
