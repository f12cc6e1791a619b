#pragma once
// Function publishing: how a plug-in offers functions to the host's scripting.
//
// A plug-in describes an interface (ID, names, functions with their parameter
// and result type codes) through a variable argument list, subclasses
// FPStaticInterface with a dispatch override, and makes one static instance.
// Constructing it registers it with FPInterfaceRegistry, where the host finds
// it by ID or by name and calls Invoke().

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "FPTypes.h"

class ClassDesc;
class Mtl;
class Texmap;
class INode;
class ReferenceTarget;

using FunctionID = short;

// Results of Invoke / the dispatch function.
enum FPStatus : int
{
    FPS_FAIL = 0,
    FPS_OK = 1,
    FPS_NO_SUCH_FUNCTION = -1,
};

// Tags that may follow a parameter (or a function without parameters) in a
// descriptor list. Each takes a fixed number of values; the list ends with
// FP_TAG_END.
enum FPDescriptorTag : unsigned
{
    FP_TAG_PARAM_FLAGS = 0xC0000010u, // one value
    FP_TAG_DEFAULT = 0xC0000020u,     // one value: the parameter's default
    FP_TAG_RANGE = 0xC0000040u,       // two values: low, high
    FP_TAG_END = 0xC0000400u,         // ends the whole list
};
// Tags are unsigned 32-bit values with the two top bits set; function IDs fit 16 bits.
constexpr bool FPIsTag(std::int64_t v)
{
    return v >= 0xC0000000LL && v <= 0xFFFFFFFFLL;
}
int FPTagValueCount(unsigned tag); // -1 for a tag the host does not know

// One item of a descriptor list: a number or a text (narrow texts are UTF-8).
// Texts are copied, so a descriptor never points into caller storage.
class FPDescItem
{
  public:
    enum class Kind
    {
        Number,
        Real,
        Text,
        Pointer
    };

    template <typename T, std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, int> = 0>
    FPDescItem(T v) :
        kind_(Kind::Number),
        number_(static_cast<std::int64_t>(v)) {}
    FPDescItem(float v) :
        kind_(Kind::Real),
        real_(v) {}
    FPDescItem(double v) :
        kind_(Kind::Real),
        real_(v) {}
    FPDescItem(const wchar_t* s);
    FPDescItem(const char* s);
    FPDescItem(const std::wstring& s) :
        kind_(Kind::Text),
        text_(s) {}
    FPDescItem(std::nullptr_t) :
        kind_(Kind::Pointer) {}

    Kind kind() const { return kind_; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isText() const { return kind_ == Kind::Text; }
    std::int64_t number() const { return number_; }
    double real() const { return kind_ == Kind::Real ? real_ : static_cast<double>(number_); }
    const std::wstring& text() const { return text_; }
    std::string describe() const; // for error messages

  private:
    Kind kind_;
    std::int64_t number_ = 0;
    double real_ = 0.0;
    std::wstring text_;
};

class FPValue;

struct FPTagValue
{
    unsigned tag = 0;
    std::vector<FPDescItem> values;
};

struct FPParamDef
{
    std::wstring internal_name;
    int local_name_id = 0;
    ParamType2 type = TYPE_VOID;
    std::vector<FPTagValue> tags;

    const FPTagValue* tag(unsigned t) const;
    // The declared default as a value of the parameter's type; false without one.
    bool defaultValue(FPValue& value) const;
};

struct FPFunctionDef
{
    FunctionID ID = 0;
    std::wstring internal_name;
    int local_name_id = 0;
    ParamType2 result_type = TYPE_VOID;
    unsigned flags = 0;
    std::vector<FPParamDef> params;
    std::vector<FPTagValue> tags; // tags given before the first parameter
};

// A value passed to or returned from a published function: a type code and
// a payload. Values loaded by value (strings, BV tables) are owned copies;
// by-reference tables and objects are plain pointers owned elsewhere.
class FPValue
{
  public:
    ParamType2 type = TYPE_VOID;

    FPValue() = default;
    FPValue(ParamType2 t, int v) { Load(t, v); }
    FPValue(ParamType2 t, float v) { Load(t, v); }
    FPValue(ParamType2 t, const wchar_t* s) { Load(t, s); }
    FPValue(ParamType2 t, Mtl* m) { Load(t, m); }
    FPValue(ParamType2 t, const MtlTab& tab) { Load(t, tab); }

    // Loads from a pointer to the value in the type's C++ form: int/bool for
    // the integer codes, float, the characters for strings, the object for
    // object codes, a MtlTab for material tables.
    // Each Load gives false, leaving the value void, when the payload does not
    // suit the type code.
    bool LoadPtr(ParamType2 t, const void* value);
    bool Load(ParamType2 t, int v);
    bool Load(ParamType2 t, bool v) { return Load(t, static_cast<int>(v)); }
    bool Load(ParamType2 t, float v);
    bool Load(ParamType2 t, const wchar_t* s);
    bool Load(ParamType2 t, const std::wstring& s) { return Load(t, s.c_str()); }
    bool Load(ParamType2 t, Mtl* m) { return loadObject(t, m); }
    bool Load(ParamType2 t, Texmap* m) { return loadObject(t, m); }
    bool Load(ParamType2 t, INode* n) { return loadObject(t, n); }
    bool Load(ParamType2 t, ReferenceTarget* r) { return loadObject(t, r); }
    // A BV table is copied; a BR or plain table refers to `tab`, which must outlive the value.
    bool Load(ParamType2 t, const MtlTab& tab);
    void Free();

    bool isVoid() const { return type == TYPE_VOID; }
    int asInt() const;
    bool asBool() const { return asInt() != 0; }
    float asFloat() const;
    const wchar_t* asString() const; // empty text when not a string
    Mtl* asMtl() const { return static_cast<Mtl*>(asObject()); }
    Texmap* asTexmap() const { return static_cast<Texmap*>(asObject()); }
    INode* asINode() const { return static_cast<INode*>(asObject()); }
    ReferenceTarget* asRefTarg() const { return static_cast<ReferenceTarget*>(asObject()); }
    void* asObject() const;
    const MtlTab* asMtlTab() const; // null when not a material table

  private:
    bool loadObject(ParamType2 t, void* object);

    struct RefTab
    {
        const MtlTab* tab;
    };
    std::variant<std::monostate, int, float, std::wstring, void*, std::shared_ptr<MtlTab>, RefTab> payload_;
};

class FPParams
{
  public:
    FPParams() = default;
    FPParams(std::initializer_list<FPValue> values) :
        params(values) {}
    int Count() const { return static_cast<int>(params.size()); }
    FPValue& operator[](int i) { return params[static_cast<std::size_t>(i)]; }
    const FPValue& operator[](int i) const { return params[static_cast<std::size_t>(i)]; }
    void Append(const FPValue& v) { params.push_back(v); }

    std::vector<FPValue> params;
};

class FPInterfaceDesc;

class FPInterface
{
  public:
    virtual ~FPInterface() = default;
    virtual FPInterfaceDesc* GetDesc() = 0;
    // The host's entry for a script call; returns the dispatch status.
    virtual int Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* p);
    int Invoke(FunctionID fid, FPValue& result, FPParams* p) { return Invoke(fid, 0, result, p); }

  protected:
    virtual int _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p);
};

class FPInterfaceDesc : public FPInterface
{
  public:
    Interface_ID ID;
    std::wstring internal_name;
    int local_name_id = 0;
    ClassDesc* cd = nullptr;
    unsigned flags = 0;
    std::vector<FPFunctionDef> functions;

    FPInterfaceDesc() = default;
    template <typename... Items>
    FPInterfaceDesc(Interface_ID id, FPDescItem name, int localNameId, ClassDesc* classDesc, unsigned descFlags,
                    Items... items)
    {
        LoadDescriptor(id, std::move(name), localNameId, classDesc, descFlags, items...);
    }
    ~FPInterfaceDesc() override;

    // Fills the descriptor from the list: per function its id, internal name,
    // localised-name resource id, result type, flags and parameter count, then
    // per parameter its internal name, resource id, type and tags; FP_TAG_END
    // closes the list. Returns false (see loadError()) when the list is malformed.
    template <typename... Items>
    bool LoadDescriptor(Interface_ID id, FPDescItem name, int localNameId, ClassDesc* classDesc, unsigned descFlags,
                        Items... items)
    {
        return loadDescriptorItems(id, name, localNameId, classDesc, descFlags, { FPDescItem(items)... });
    }
    bool loadDescriptorItems(Interface_ID id, const FPDescItem& name, int localNameId, ClassDesc* classDesc,
                             unsigned descFlags, const std::vector<FPDescItem>& items);

    FPInterfaceDesc* GetDesc() override { return this; }
    const FPFunctionDef* function(FunctionID fid) const;
    const FPFunctionDef* function(const std::wstring& internalName) const;
    bool isValid() const { return loadError_.empty(); }
    const std::string& loadError() const { return loadError_; }

    // Empty when `p` suits function `fid`; otherwise a message naming the
    // function and the parameter.
    std::string checkArguments(FunctionID fid, const FPParams* p) const;
    // Appends the defaults of the trailing parameters a call left out, as long
    // as each of them declares one (FP_TAG_DEFAULT); false when one does not.
    bool completeArguments(FunctionID fid, FPParams& p) const;

  private:
    std::string loadError_;
};

// An interface with one static instance per module; it registers itself.
class FPStaticInterface : public FPInterfaceDesc
{
  public:
    FPStaticInterface();
    template <typename... Items>
    FPStaticInterface(Interface_ID id, FPDescItem name, int localNameId, ClassDesc* classDesc, unsigned descFlags,
                      Items... items) :
        FPStaticInterface()
    {
        LoadDescriptor(id, std::move(name), localNameId, classDesc, descFlags, items...);
    }
    ~FPStaticInterface() override;
    FPStaticInterface(const FPStaticInterface&) = delete;
    FPStaticInterface& operator=(const FPStaticInterface&) = delete;
};

// Every FPStaticInterface alive in the process, in order of creation.
class FPInterfaceRegistry
{
  public:
    static FPInterfaceRegistry& instance();

    FPStaticInterface* find(const Interface_ID& id) const;
    FPStaticInterface* find(const std::wstring& internalName) const;
    const std::vector<FPStaticInterface*>& interfaces() const { return interfaces_; }
    // Bumped on every add and remove, so a caller can tell what a load added.
    std::uint64_t generation() const { return generation_; }

  private:
    friend class FPStaticInterface;
    void add(FPStaticInterface* fpi);
    void remove(FPStaticInterface* fpi);

    std::vector<FPStaticInterface*> interfaces_;
    std::uint64_t generation_ = 0;
};

inline FPStaticInterface* GetFPStaticInterface(const Interface_ID& id)
{
    return FPInterfaceRegistry::instance().find(id);
}
inline FPStaticInterface* GetFPStaticInterface(const wchar_t* internalName)
{
    return FPInterfaceRegistry::instance().find(std::wstring(internalName ? internalName : L""));
}

// A human-readable name of a type code, such as "string" or "material table (by reference)".
std::string FPTypeName(ParamType2 type);
