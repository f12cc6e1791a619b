#include "FunctionPublishing.h"

#include "DebugPrint.h"
#include "Utf8Text.h"

#include <QString>

#include <algorithm>
#include <cstdio>

namespace
{

std::string hex(std::int64_t v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

bool isIntegerType(ParamType2 t)
{
    return IsIntParamType(t);
}
bool isFloatType(ParamType2 t)
{
    return IsFloatParamType(t);
}
bool isStringType(ParamType2 t)
{
    return IsStringParamType(t);
}
bool isObjectType(ParamType2 t)
{
    return IsReferenceParamType(t);
}

const char* baseTypeName(ParamType2 base)
{
    switch (base)
    {
        case TYPE_FLOAT:
            return "float";
        case TYPE_INT:
            return "integer";
        case TYPE_RGBA:
            return "colour";
        case TYPE_POINT3:
            return "point3";
        case TYPE_BOOL:
            return "boolean";
        case TYPE_ANGLE:
            return "angle";
        case TYPE_PCNT_FRAC:
            return "percentage";
        case TYPE_WORLD:
            return "world distance";
        case TYPE_STRING:
            return "string";
        case TYPE_FILENAME:
            return "file name";
        case TYPE_MTL:
            return "material";
        case TYPE_TEXMAP:
            return "texture map";
        case TYPE_INODE:
            return "node";
        case TYPE_INDEX:
            return "index";
        case TYPE_TIMEVALUE:
            return "time";
        case TYPE_REFTARG:
            return "reference target";
        case TYPE_POINT4:
            return "point4";
        case TYPE_FRGBA:
            return "colour with alpha";
        case TYPE_POINT2:
            return "point2";
        case TYPE_VOID:
            return "void";
        default:
            return nullptr;
    }
}

// Walks a descriptor list, keeping the position for messages.
class DescriptorReader
{
  public:
    DescriptorReader(const std::vector<FPDescItem>& items, std::string& error) :
        items_(items),
        error_(error) {}

    bool atEnd() const { return pos_ >= items_.size(); }
    const FPDescItem& peek() const { return items_[pos_]; }
    bool nextIsTag() const { return !atEnd() && peek().isNumber() && FPIsTag(peek().number()); }
    bool nextIsEnd() const { return !atEnd() && peek().isNumber() && peek().number() == FP_TAG_END; }
    void skip() { ++pos_; }

    bool number(std::int64_t& out, const std::string& what)
    {
        if (!expect(what))
            return false;
        const FPDescItem& item = items_[pos_];
        if (!item.isNumber() || FPIsTag(item.number()))
            return fail("expected " + what + ", found " + item.describe());
        out = item.number();
        ++pos_;
        return true;
    }
    bool text(std::wstring& out, const std::string& what)
    {
        if (!expect(what))
            return false;
        const FPDescItem& item = items_[pos_];
        if (!item.isText())
            return fail("expected " + what + ", found " + item.describe());
        out = item.text();
        ++pos_;
        return true;
    }
    bool type(ParamType2& out, const std::string& what)
    {
        std::int64_t v = 0;
        if (!number(v, what))
            return false;
        if (v < 0 || v > 0xFFFF || FPTypeName(static_cast<ParamType2>(v)).empty())
            return fail("unknown type code " + std::to_string(v) + " (" + hex(v) + ") as " + what);
        out = static_cast<ParamType2>(v);
        return true;
    }
    // Reads every tag at the current position into `tags`.
    bool tags(std::vector<FPTagValue>& tags)
    {
        while (nextIsTag() && !nextIsEnd())
        {
            FPTagValue tag;
            tag.tag = static_cast<unsigned>(peek().number());
            const int count = FPTagValueCount(tag.tag);
            if (count < 0)
                return fail("unknown tag " + hex(tag.tag));
            ++pos_;
            for (int k = 0; k < count; ++k)
            {
                if (atEnd() || nextIsEnd())
                    return fail("tag " + hex(tag.tag) + " lacks its value");
                tag.values.push_back(items_[pos_++]);
            }
            tags.push_back(std::move(tag));
        }
        return true;
    }
    void setContext(std::string context) { context_ = std::move(context); }
    bool fail(const std::string& what)
    {
        error_ = context_.empty() ? what : context_ + ": " + what;
        return false;
    }

  private:
    bool expect(const std::string& what)
    {
        if (!atEnd() && !nextIsEnd())
            return true;
        return fail("expected " + what + ", found " +
                    (atEnd() ? std::string("the end of the list") : std::string("the end marker")));
    }

    const std::vector<FPDescItem>& items_;
    std::string& error_;
    std::size_t pos_ = 0;
    std::string context_;
};

bool sameKind(ParamType2 expected, const FPValue& v)
{
    if (IsTableParamType(expected) != IsTableParamType(v.type))
        return false;
    const ParamType2 want = BaseParamType(expected), have = BaseParamType(v.type);
    if (want == have)
        return true;
    const bool numeric = isIntegerType(want) || isFloatType(want);
    if (numeric)
        return isIntegerType(have) || isFloatType(have);
    if (isStringType(want))
        return isStringType(have);
    return false;
}

} // namespace

// ---- descriptor items ------------------------------------------------------

FPDescItem::FPDescItem(const wchar_t* s) :
    kind_(s ? Kind::Text : Kind::Pointer)
{
    if (s)
        text_ = s;
}

FPDescItem::FPDescItem(const char* s) :
    kind_(s ? Kind::Text : Kind::Pointer)
{
    if (s)
        text_ = QString::fromUtf8(s).toStdWString();
}

std::string FPDescItem::describe() const
{
    switch (kind_)
    {
        case Kind::Number:
            return FPIsTag(number_) ? "the tag " + hex(number_) : "the number " + std::to_string(number_);
        case Kind::Real:
            return "the number " + std::to_string(real_);
        case Kind::Text:
            return "the text \"" + Norvane::Utf8FromWide(text_) + "\"";
        case Kind::Pointer:
            break;
    }
    return "a null pointer";
}

int FPTagValueCount(unsigned tag)
{
    switch (tag)
    {
        case FP_TAG_PARAM_FLAGS:
            return 1;
        case FP_TAG_DEFAULT:
            return 1;
        case FP_TAG_RANGE:
            return 2;
        default:
            return -1;
    }
}

const FPTagValue* FPParamDef::tag(unsigned t) const
{
    auto it = std::find_if(tags.begin(), tags.end(), [t](const FPTagValue& v) { return v.tag == t; });
    return it == tags.end() ? nullptr : &*it;
}

bool FPParamDef::defaultValue(FPValue& value) const
{
    const FPTagValue* given = tag(FP_TAG_DEFAULT);
    if (!given || given->values.empty())
        return false;
    const FPDescItem& item = given->values[0];
    switch (item.kind())
    {
        case FPDescItem::Kind::Text:
            return value.Load(type, item.text());
        case FPDescItem::Kind::Number:
            return value.Load(type, static_cast<int>(item.number()));
        case FPDescItem::Kind::Real:
            return value.Load(type, static_cast<float>(item.real()));
        case FPDescItem::Kind::Pointer:
            break;
    }
    return false;
}

std::string FPTypeName(ParamType2 type)
{
    if ((type & ~(TYPE_TAB | TYPE_PASSING_MASK | TYPE_BASE_MASK)) != 0)
        return {};
    const int passing = type & TYPE_PASSING_MASK;
    if (passing & (passing - 1))
        return {}; // at most one way of passing
    const char* base = baseTypeName(BaseParamType(type));
    if (!base)
        return {};
    std::string name = base;
    if (IsTableParamType(type))
        name += " table";
    if (IsByRefParamType(type))
        name += " (by reference)";
    if (IsByValueParamType(type))
        name += " (by value)";
    if (type & TYPE_BY_PTR)
        name += " (by pointer)";
    return name;
}

// ---- values ----------------------------------------------------------------

bool FPValue::Load(ParamType2 t, int v)
{
    Free();
    const ParamType2 base = BaseParamType(t);
    if (IsTableParamType(t))
        return false;
    if (isIntegerType(base))
        payload_ = base == TYPE_BOOL ? int(v != 0) : v;
    else if (isFloatType(base))
        payload_ = static_cast<float>(v);
    else
        return false;
    type = t;
    return true;
}

bool FPValue::Load(ParamType2 t, float v)
{
    Free();
    const ParamType2 base = BaseParamType(t);
    if (IsTableParamType(t))
        return false;
    if (isFloatType(base))
        payload_ = v;
    else if (isIntegerType(base))
        payload_ = base == TYPE_BOOL ? int(v != 0.0f) : static_cast<int>(v);
    else
        return false;
    type = t;
    return true;
}

bool FPValue::Load(ParamType2 t, const wchar_t* s)
{
    Free();
    if (IsTableParamType(t) || !isStringType(BaseParamType(t)))
        return false;
    payload_ = std::wstring(s ? s : L"");
    type = t;
    return true;
}

bool FPValue::loadObject(ParamType2 t, void* object)
{
    Free();
    if (IsTableParamType(t) || !isObjectType(BaseParamType(t)))
        return false;
    payload_ = object;
    type = t;
    return true;
}

bool FPValue::Load(ParamType2 t, const MtlTab& tab)
{
    Free();
    if (!IsTableParamType(t) || BaseParamType(t) != TYPE_MTL)
        return false;
    if (IsByValueParamType(t))
        payload_ = std::make_shared<MtlTab>(tab);
    else
        payload_ = RefTab{ &tab };
    type = t;
    return true;
}

bool FPValue::LoadPtr(ParamType2 t, const void* value)
{
    const ParamType2 base = BaseParamType(t);
    if (!value)
    {
        Free();
        return false;
    }
    if (IsTableParamType(t))
        return base == TYPE_MTL && Load(t, *static_cast<const MtlTab*>(value));
    if (isIntegerType(base))
        return Load(t, *static_cast<const int*>(value));
    if (isFloatType(base))
        return Load(t, *static_cast<const float*>(value));
    if (isStringType(base))
        return Load(t, static_cast<const wchar_t*>(value));
    if (isObjectType(base))
        return loadObject(t, const_cast<void*>(value));
    Free();
    return false;
}

void FPValue::Free()
{
    payload_ = std::monostate{};
    type = TYPE_VOID;
}

int FPValue::asInt() const
{
    if (auto* i = std::get_if<int>(&payload_))
        return *i;
    if (auto* f = std::get_if<float>(&payload_))
        return static_cast<int>(*f);
    return 0;
}

float FPValue::asFloat() const
{
    if (auto* f = std::get_if<float>(&payload_))
        return *f;
    if (auto* i = std::get_if<int>(&payload_))
        return static_cast<float>(*i);
    return 0.0f;
}

const wchar_t* FPValue::asString() const
{
    if (auto* s = std::get_if<std::wstring>(&payload_))
        return s->c_str();
    return L"";
}

void* FPValue::asObject() const
{
    if (auto* o = std::get_if<void*>(&payload_))
        return *o;
    return nullptr;
}

const MtlTab* FPValue::asMtlTab() const
{
    if (auto* owned = std::get_if<std::shared_ptr<MtlTab>>(&payload_))
        return owned->get();
    if (auto* ref = std::get_if<RefTab>(&payload_))
        return ref->tab;
    return nullptr;
}

// ---- interfaces ------------------------------------------------------------

int FPInterface::Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* p)
{
    return _dispatch_fn(fid, t, result, p);
}

int FPInterface::_dispatch_fn(FunctionID, TimeValue, FPValue&, FPParams*)
{
    return FPS_NO_SUCH_FUNCTION;
}

FPInterfaceDesc::~FPInterfaceDesc() = default;

bool FPInterfaceDesc::loadDescriptorItems(Interface_ID id, const FPDescItem& name, int localNameId,
                                          ClassDesc* classDesc, unsigned descFlags,
                                          const std::vector<FPDescItem>& items)
{
    ID = id;
    internal_name = name.isText() ? name.text() : std::wstring();
    local_name_id = localNameId;
    cd = classDesc;
    flags = descFlags;
    functions.clear();
    loadError_.clear();

    std::string error;
    DescriptorReader in(items, error);
    const std::string where = "interface \"" + Norvane::Utf8FromWide(internal_name) + "\"";
    in.setContext(where);
    auto failed = [&]() {
        DebugPrint(L"Function publishing: %hs\n", error.c_str());
        loadError_ = error;
        functions.clear();
        return false;
    };
    if (!name.isText())
    {
        in.fail("the internal name is " + name.describe());
        return failed();
    }

    while (!in.nextIsEnd())
    {
        in.setContext(where);
        if (in.atEnd())
        {
            in.fail("the list has no end marker " + hex(FP_TAG_END));
            return failed();
        }
        FPFunctionDef fn;
        std::int64_t fid = 0, rid = 0, fnFlags = 0, count = 0;
        in.setContext(where + ", function " + std::to_string(functions.size() + 1));
        if (!in.number(fid, "a function ID"))
            return failed();
        if (fid < 0 || fid > 0xFFFF)
        {
            in.fail("function ID " + std::to_string(fid) + " does not fit 16 bits");
            return failed();
        }
        fn.ID = static_cast<FunctionID>(fid);
        if (function(fn.ID))
        {
            in.fail("function ID " + std::to_string(fid) + " is used twice");
            return failed();
        }
        if (!in.text(fn.internal_name, "a function name"))
            return failed();
        in.setContext(where + ", function " + std::to_string(fid) + " \"" + Norvane::Utf8FromWide(fn.internal_name) + "\"");
        if (!in.number(rid, "a name resource ID") || !in.type(fn.result_type, "the result type") ||
            !in.number(fnFlags, "function flags") || !in.number(count, "a parameter count"))
            return failed();
        if (count < 0)
        {
            in.fail("negative parameter count " + std::to_string(count));
            return failed();
        }
        fn.local_name_id = static_cast<int>(rid);
        fn.flags = static_cast<unsigned>(fnFlags);
        if (!in.tags(fn.tags))
            return failed();
        const std::string fnContext = where + ", function " + std::to_string(fid) + " \"" + Norvane::Utf8FromWide(fn.internal_name) + "\"";
        for (std::int64_t k = 0; k < count; ++k)
        {
            FPParamDef param;
            in.setContext(fnContext + ", parameter " + std::to_string(k + 1));
            if (!in.text(param.internal_name, "a parameter name") || !in.number(rid, "a name resource ID") ||
                !in.type(param.type, "the parameter type") || !in.tags(param.tags))
                return failed();
            param.local_name_id = static_cast<int>(rid);
            fn.params.push_back(std::move(param));
        }
        functions.push_back(std::move(fn));
    }
    in.skip();
    if (!in.atEnd())
    {
        in.setContext(where);
        in.fail("items follow the end marker, starting with " + in.peek().describe());
        return failed();
    }
    return true;
}

const FPFunctionDef* FPInterfaceDesc::function(FunctionID fid) const
{
    auto it = std::find_if(functions.begin(), functions.end(), [fid](const FPFunctionDef& f) { return f.ID == fid; });
    return it == functions.end() ? nullptr : &*it;
}

const FPFunctionDef* FPInterfaceDesc::function(const std::wstring& name) const
{
    auto it = std::find_if(functions.begin(), functions.end(),
                           [&name](const FPFunctionDef& f) { return f.internal_name == name; });
    return it == functions.end() ? nullptr : &*it;
}

std::string FPInterfaceDesc::checkArguments(FunctionID fid, const FPParams* p) const
{
    const FPFunctionDef* fn = function(fid);
    if (!fn)
        return Norvane::Utf8FromWide(internal_name) + " has no function with ID " + std::to_string(fid);
    const std::string fname = Norvane::Utf8FromWide(internal_name) + "." + Norvane::Utf8FromWide(fn->internal_name);
    const int given = p ? p->Count() : 0;
    const int wanted = static_cast<int>(fn->params.size());
    if (given != wanted)
    {
        // Trailing parameters with defaults may be left out.
        int required = wanted;
        while (required > 0 && fn->params[static_cast<std::size_t>(required - 1)].tag(FP_TAG_DEFAULT))
            --required;
        const std::string count = required == wanted ? std::to_string(wanted)
                                                     : std::to_string(required) + " to " + std::to_string(wanted);
        return fname + " takes " + count + (wanted == 1 ? " argument" : " arguments") + ", " + std::to_string(given) +
               " given";
    }
    for (int k = 0; k < wanted; ++k)
    {
        const FPParamDef& def = fn->params[static_cast<std::size_t>(k)];
        const FPValue& v = (*p)[k];
        if (!sameKind(def.type, v))
            return fname + ": argument " + std::to_string(k + 1) + " \"" + Norvane::Utf8FromWide(def.internal_name) + "\" must be a " +
                   FPTypeName(def.type) + ", not a " + (v.isVoid() ? std::string("void") : FPTypeName(v.type));
    }
    return {};
}

bool FPInterfaceDesc::completeArguments(FunctionID fid, FPParams& p) const
{
    const FPFunctionDef* fn = function(fid);
    if (!fn)
        return false;
    for (std::size_t k = static_cast<std::size_t>(p.Count()); k < fn->params.size(); ++k)
    {
        FPValue value;
        if (!fn->params[k].defaultValue(value))
            return false;
        p.Append(value);
    }
    return true;
}

FPStaticInterface::FPStaticInterface()
{
    FPInterfaceRegistry::instance().add(this);
}

FPStaticInterface::~FPStaticInterface()
{
    FPInterfaceRegistry::instance().remove(this);
}

// ---- registry --------------------------------------------------------------

FPInterfaceRegistry& FPInterfaceRegistry::instance()
{
    // Never destroyed: static interfaces of modules unregister during exit,
    // possibly after this library's own statics are gone.
    static auto* registry = new FPInterfaceRegistry;
    return *registry;
}

FPStaticInterface* FPInterfaceRegistry::find(const Interface_ID& id) const
{
    auto it = std::find_if(interfaces_.begin(), interfaces_.end(), [&id](FPStaticInterface* i) { return i->ID == id; });
    return it == interfaces_.end() ? nullptr : *it;
}

FPStaticInterface* FPInterfaceRegistry::find(const std::wstring& name) const
{
    auto it = std::find_if(interfaces_.begin(), interfaces_.end(),
                           [&name](FPStaticInterface* i) { return i->internal_name == name; });
    return it == interfaces_.end() ? nullptr : *it;
}

void FPInterfaceRegistry::add(FPStaticInterface* fpi)
{
    interfaces_.push_back(fpi);
    ++generation_;
}

void FPInterfaceRegistry::remove(FPStaticInterface* fpi)
{
    interfaces_.erase(std::remove(interfaces_.begin(), interfaces_.end(), fpi), interfaces_.end());
    ++generation_;
}
