#include "ObjectArchive.h"

#include "ClassRegistry.h"
#include "INode.h"
#include "JsonWriter.h"
#include "MtlBase.h"
#include "ParamBlock2.h"

#include <cmath>

namespace Norvane
{
namespace
{

// Shorter texts stay inline: a table entry only pays off for long, repeated ones.
constexpr int SHARED_TEXT_LENGTH = 128;

// A part of a class identifier: a whole number that fits 32 bits (a
// non-number reads as 0, as it always has).
bool IsIdPart(const JsonValue& v)
{
    const double d = v.toDouble();
    return d >= 0.0 && d <= 4294967295.0 && std::floor(d) == d;
}

QString Hex(quint32 v)
{
    return QStringLiteral("0x%1").arg(v, 0, 16);
}

void WriteValue(JsonWriter& out, const ParamValue& v, int type, ObjectWriter& writer)
{
    if (IsFloatParamType(type))
        return out.Double(static_cast<double>(v.f[0]));
    if (IsIntParamType(type))
        return out.Int(v.i);
    if (int n = ParamTypeComponents(type))
    {
        out.BeginArray();
        for (int k = 0; k < n; ++k)
            out.Double(static_cast<double>(v.f[k]));
        return out.EndArray();
    }
    if (IsStringParamType(type))
    {
        if (v.s.Length() < SHARED_TEXT_LENGTH)
            return out.String(v.s.str().str());
        const int text = writer.AddText(v.s);
        out.BeginObject();
        out.Key("text").Int(text);
        return out.EndObject();
    }
    if (IsReferenceParamType(type) && v.r && !dynamic_cast<INode*>(v.r))
    {
        const int id = writer.Add(v.r);
        return out.Int(id);
    }
    out.Null();
}

// Reads a value of `type`; false when the JSON does not fit the type.
bool ReadValue(const JsonValue& j, int type, const ObjectReader& reader, ParamValue& v)
{
    if (IsFloatParamType(type))
    {
        if (!j.isDouble())
            return false;
        v.f[0] = static_cast<float>(j.toDouble());
        return true;
    }
    if (IsIntParamType(type))
    {
        if (!j.isDouble())
            return false;
        v.i = j.toInt();
        return true;
    }
    if (int n = ParamTypeComponents(type))
    {
        if (!j.isArray() || j.size() != n)
            return false;
        for (int k = 0; k < n; ++k)
            v.f[k] = static_cast<float>(j[k].toDouble());
        return true;
    }
    if (IsStringParamType(type))
    {
        if (j.isObject() && reader.Text(j.value("text"), v.s))
            return true;
        if (!j.isString())
            return false;
        v.s = WStr::FromQString(j.toString());
        return true;
    }
    if (IsReferenceParamType(type))
    {
        if (j.isNull() || j.isUndefined())
        {
            v.r = nullptr;
            return true;
        }
        if (!j.isDouble() || !reader.Valid(j.toInt()))
            return false;
        v.r = reader.Get(j.toInt());
        return true;
    }
    return true;
}

// Keys in the order Qt's objects keep them (sorted), as files always had them.
void WriteDef(JsonWriter& out, const ParamDef& d, ObjectWriter& writer)
{
    out.BeginObject();
    out.Key("default");
    WriteValue(out, d.def, d.type, writer);
    out.Key("flags").Int(d.flags);
    out.Key("id").Int(d.ID);
    out.Key("name").String(d.int_name.str());
    out.Key("tab").Int(d.tab_size);
    out.Key("type").Int(d.type);
    out.EndObject();
}

// Whether an unanimated value equals the definition's default (left out of the file).
bool IsDefault(const ParamValue& v, const ParamDef& d)
{
    if (IsFloatParamType(d.type))
        return v.f[0] == d.def.f[0];
    if (IsIntParamType(d.type))
        return v.i == d.def.i;
    if (int n = ParamTypeComponents(d.type))
    {
        for (int k = 0; k < n; ++k)
            if (v.f[k] != d.def.f[k])
                return false;
        return true;
    }
    if (IsStringParamType(d.type))
        return v.s == d.def.s;
    if (IsReferenceParamType(d.type))
        return !v.r;
    return false;
}

// Whether `a` holds the definitions `b` does, as far as a file tells them.
bool SameDefinitions(const ParamBlockDesc2& a, const ParamBlockDesc2& b)
{
    if (a.paramdefs.size() != b.paramdefs.size())
        return false;
    for (size_t i = 0; i < a.paramdefs.size(); ++i)
    {
        const ParamDef& x = a.paramdefs[i];
        const ParamDef& y = b.paramdefs[i];
        if (x.ID != y.ID || x.type != y.type || x.flags != y.flags || x.tab_size != y.tab_size ||
            x.int_name != y.int_name || !IsDefault(x.def, y) || (IsReferenceParamType(x.type) && x.def.r != y.def.r))
            return false;
    }
    return true;
}

void WriteBlock(JsonWriter& out, IParamBlock2* pb, ObjectWriter& writer)
{
    out.BeginObject();
    const ParamBlockDesc2* desc = pb->GetDesc();
    if (pb->IsRebuilt())
        out.Key("defs").Int(writer.AddDefinitions(*desc));
    out.Key("id").Int(pb->ID());
    out.Key("params").BeginArray();
    for (const ParamDef& d : desc->paramdefs)
    {
        if (d.flags & P_TRANSIENT)
            continue;
        const IParamBlock2::Slot* slot = pb->GetSlot(d.ID);
        // A plain unanimated value is written inline; tables and keys list their entries.
        const bool plain = !d.IsTable() && slot->entries.size() == 1 && slot->entries[0].keys.empty();
        if (plain && IsDefault(slot->entries[0].value, d))
            continue;
        out.BeginObject();
        if (!plain)
        {
            out.Key("entries").BeginArray();
            for (const IParamBlock2::Entry& e : slot->entries)
            {
                out.BeginObject();
                if (!e.keys.empty())
                {
                    out.Key("keys").BeginArray();
                    for (const auto& k : e.keys)
                    {
                        out.BeginArray();
                        out.Int(k.first);
                        WriteValue(out, k.second, d.type, writer);
                        out.EndArray();
                    }
                    out.EndArray();
                }
                out.Key("v");
                WriteValue(out, e.value, d.type, writer);
                out.EndObject();
            }
            out.EndArray();
        }
        out.Key("name").String(d.int_name.str());
        out.Key("type").Int(d.type);
        if (plain)
        {
            out.Key("v");
            WriteValue(out, slot->entries[0].value, d.type, writer);
        }
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
}

} // namespace

void CollectReachable(ReferenceTarget* root, std::set<ReferenceTarget*>& out)
{
    if (!root || !out.insert(root).second)
        return;
    for (int i = 0; i < root->NumRefs(); ++i)
        CollectReachable(root->GetReference(i), out);
    for (int i = 0; i < root->NumParamBlocks(); ++i)
        CollectReachable(root->GetParamBlock(i), out);
}

int ObjectWriter::Add(ReferenceTarget* t)
{
    if (!t)
        return -1;
    auto found = ids_.find(t);
    if (found != ids_.end())
        return found->second;
    const int id = static_cast<int>(objects_.size());
    ids_[t] = id;
    objects_.emplace_back();

    // Objects it refers to are numbered (and written) as its blocks are.
    JsonWriter out;
    out.BeginObject();
    out.Key("blocks").BeginArray();
    for (int i = 0; i < t->NumParamBlocks(); ++i)
        if (IParamBlock2* pb = t->GetParamBlock(i))
            WriteBlock(out, pb, *this);
    out.EndArray();
    const Class_ID cid = t->ClassID();
    out.Key("class").BeginArray();
    out.Double(static_cast<double>(cid.PartA()));
    out.Double(static_cast<double>(cid.PartB()));
    out.EndArray();
    auto* m = dynamic_cast<MtlBase*>(t);
    if (m)
        out.Key("flags").Int(m->GetMtlFlags());
    if (m)
        out.Key("name").String(m->GetName().str());
    out.Key("superClass").Double(static_cast<double>(t->SuperClassID()));
    out.EndObject();
    objects_[static_cast<size_t>(id)] = out.Take();
    return id;
}

QByteArray ObjectWriter::ToArray(const std::vector<QByteArray>& items)
{
    int size = 2;
    for (const QByteArray& item : items)
        size += item.size() + 1;
    QByteArray out;
    out.reserve(size);
    out.append('[');
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (i)
            out.append(',');
        out.append(items[i]);
    }
    out.append(']');
    return out;
}

int ObjectWriter::AddText(const WStr& text)
{
    const auto found = textIds_.find(text.str());
    if (found != textIds_.end())
        return found->second;
    JsonWriter out;
    out.String(text.str());
    texts_.push_back(out.Take());
    return textIds_[text.str()] = static_cast<int>(texts_.size() - 1);
}

int ObjectWriter::AddDefinitions(const ParamBlockDesc2& desc)
{
    const auto known = descriptorIds_.find(&desc);
    if (known != descriptorIds_.end())
        return known->second;
    JsonWriter out;
    out.BeginArray();
    for (const ParamDef& d : desc.paramdefs)
        WriteDef(out, d, *this);
    out.EndArray();
    QByteArray defs = out.Take();
    const auto found = definitionIds_.find(defs);
    const int id = found != definitionIds_.end() ? found->second : static_cast<int>(definitions_.size());
    if (found == definitionIds_.end())
    {
        definitions_.push_back(defs);
        definitionIds_.emplace(std::move(defs), id);
    }
    return descriptorIds_[&desc] = id;
}

bool ObjectReader::Text(const JsonValue& index, ParamText& out) const
{
    const int i = index.toInt(-1);
    if (!index.isDouble() || i < 0 || i >= static_cast<int>(texts_.size()) || !texts_[static_cast<size_t>(i)].first)
        return false;
    out = texts_[static_cast<size_t>(i)].second;
    return true;
}

ObjectReader::~ObjectReader()
{
    if (!released_)
        DeleteMade();
}

void ObjectReader::DeleteMade()
{
    for (ReferenceTarget* t : made_)
        if (t)
            t->DeleteThis();
    made_.clear();
}

ReferenceTarget* ObjectReader::Get(int id) const
{
    return id >= 0 && id < static_cast<int>(made_.size()) ? made_[static_cast<size_t>(id)] : nullptr;
}

bool ObjectReader::Read(const JsonValue& objects, QString* error, const JsonValue& texts,
                        const JsonValue& definitions, bool omitsDefaults)
{
    texts_.clear();
    texts_.reserve(static_cast<size_t>(texts.size()));
    for (const JsonValue& text : texts)
        texts_.emplace_back(text.isString(), text.isString() ? ParamText(WStr::FromQString(text.toString())) : ParamText());
    // Blocks that name the same table entry share one descriptor.
    std::map<std::pair<int, BlockID>, std::shared_ptr<ParamBlockDesc2>> shared;
    auto fail = [&](int index, const QString& why) {
        if (error)
            *error = QStringLiteral("object %1: %2").arg(index).arg(why);
        DeleteMade();
        return false;
    };
    // First make every object, so references can point forwards.
    for (int i = 0; i < objects.size(); ++i)
    {
        const JsonValue& o = objects[i];
        const JsonValue& cls = o.value("class");
        const JsonValue& super = o.value("superClass");
        if (!o.isObject() || cls.size() != 2 || !super.isDouble() || !IsIdPart(cls[0]) || !IsIdPart(cls[1]) ||
            !IsIdPart(super))
            return fail(i, QStringLiteral("no class identifier"));
        const Class_ID cid(static_cast<ULONG>(cls[0].toDouble()), static_cast<ULONG>(cls[1].toDouble()));
        const auto sclass = static_cast<SClass_ID>(super.toDouble());
        void* made = ClassRegistry::Instance().Create(sclass, cid, true);
        if (!made)
            return fail(i, QStringLiteral("unknown class (%1, %2) of super class %3")
                               .arg(Hex(cid.PartA()), Hex(cid.PartB()), Hex(sclass)));
        made_.push_back(static_cast<ReferenceTarget*>(static_cast<Animatable*>(made)));
    }
    for (int i = 0; i < objects.size(); ++i)
    {
        const JsonValue& o = objects[i];
        ReferenceTarget* t = made_[static_cast<size_t>(i)];
        if (auto* m = dynamic_cast<MtlBase*>(t))
        {
            m->SetName(WStr::FromQString(o.value("name").toString()));
            m->ClearMtlFlag(~0);
            m->SetMtlFlag(o.value("flags").toInt(), TRUE);
        }
        const JsonValue& blocks = o.value("blocks");
        for (int b = 0; b < blocks.size(); ++b)
        {
            const JsonValue& block = blocks[b];
            IParamBlock2* pb = t->GetParamBlockByID(static_cast<BlockID>(block.value("id").toInt()));
            if (!pb)
                continue; // a block the class no longer has
            if (block.contains("defs"))
            {
                const JsonValue& defsValue = block.value("defs");
                const int table = defsValue.isDouble() ? defsValue.toInt() : -1;
                if (defsValue.isDouble() && (table < 0 || table >= definitions.size()))
                    return fail(i, QStringLiteral("bad definition in block %1").arg(b));
                std::shared_ptr<ParamBlockDesc2>& desc = shared[{ table, pb->ID() }];
                if (!desc || table < 0)
                {
                    desc = std::make_shared<ParamBlockDesc2>(pb->ID(), pb->GetDesc()->int_name);
                    desc->cd = pb->GetDesc()->cd;
                    for (const JsonValue& d : table >= 0 ? definitions[table] : defsValue)
                    {
                        ParamDef def(static_cast<ParamID>(d.value("id").toInt()),
                                     WStr::FromQString(d.value("name").toString()), d.value("type").toInt(),
                                     ParamValue(), d.value("flags").toInt());
                        def.tab_size = d.value("tab").toInt();
                        if (!ReadValue(d.value("default"), def.type, *this, def.def) || def.int_name.isNull())
                            return fail(i, QStringLiteral("bad definition in block %1").arg(b));
                        desc->AddParam(def);
                    }
                }
                // A shader-driven map rebuilt the block from its code already, as the file has it.
                if (!SameDefinitions(*pb->GetDesc(), *desc))
                    pb->Rebuild(desc);
            }
            // Not what the constructor left: a value at its default is not in the file.
            if (omitsDefaults)
                pb->ResetAll();
            for (const JsonValue& p : block.value("params"))
            {
                const WStr name = WStr::FromQString(p.value("name").toString());
                const int index = pb->GetDesc()->NameToIndex(name);
                if (index < 0)
                    continue; // a parameter the class no longer has
                const ParamDef& def = pb->GetDesc()->paramdefs[static_cast<size_t>(index)];
                if (def.type != p.value("type").toInt())
                    continue;
                // A plain value stands for a single entry without keys.
                const bool listed = p.contains("entries");
                const JsonValue& entries = p.value("entries");
                const int count = listed ? entries.size() : 1;
                if (def.IsTable())
                    pb->SetCount(def.ID, count);
                for (int e = 0; e < count && e < pb->Count(def.ID); ++e)
                {
                    const JsonValue& v = listed ? entries[e].value("v") : p.value("v");
                    IParamBlock2::Entry value;
                    if (!ReadValue(v, def.type, *this, value.value))
                        return fail(i, QStringLiteral("bad value of parameter '%1'").arg(name.ToQString()));
                    if (listed)
                    {
                        for (const JsonValue& key : entries[e].value("keys"))
                        {
                            ParamValue at;
                            if (key.size() != 2 || !ReadValue(key[1], def.type, *this, at))
                                return fail(i, QStringLiteral("bad key of parameter '%1'").arg(name.ToQString()));
                            value.keys[key[0].toInt()] = at;
                        }
                    }
                    pb->SetEntry(def.ID, e, value);
                }
            }
        }
    }
    return true;
}

} // namespace Norvane
