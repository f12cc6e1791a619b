#include "ObjectArchive.h"

#include "ClassRegistry.h"
#include "INode.h"
#include "MtlBase.h"
#include "ParamBlock2.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Norvane {
namespace {

// Shorter texts stay inline: a table entry only pays off for long, repeated ones.
constexpr int kSharedTextLength = 128;

// A part of a class identifier: a whole number that fits 32 bits (a
// non-number reads as 0, as it always has).
bool IsIdPart(const QJsonValue& v)
{
    const double d = v.toDouble();
    return d >= 0.0 && d <= 4294967295.0 && std::floor(d) == d;
}

QString Hex(quint32 v)
{
    return QStringLiteral("0x%1").arg(v, 0, 16);
}

QJsonValue WriteValue(const ParamValue& v, int type, ObjectWriter& writer)
{
    if (IsFloatParamType(type))
        return static_cast<double>(v.f[0]);
    if (IsIntParamType(type))
        return v.i;
    if (int n = ParamTypeComponents(type)) {
        QJsonArray a;
        for (int k = 0; k < n; ++k)
            a.append(static_cast<double>(v.f[k]));
        return a;
    }
    if (IsStringParamType(type)) {
        if (v.s.Length() >= kSharedTextLength)
            return QJsonObject{{QStringLiteral("text"), writer.AddText(v.s.ToQString())}};
        return v.s.ToQString();
    }
    if (IsReferenceParamType(type)) {
        if (!v.r || dynamic_cast<INode*>(v.r))
            return QJsonValue();
        return writer.Add(v.r);
    }
    return QJsonValue();
}

// Reads a value of `type`; false when the JSON does not fit the type.
bool ReadValue(const QJsonValue& j, int type, const ObjectReader& reader, ParamValue& v)
{
    if (IsFloatParamType(type)) {
        if (!j.isDouble()) return false;
        v.f[0] = static_cast<float>(j.toDouble());
        return true;
    }
    if (IsIntParamType(type)) {
        if (!j.isDouble()) return false;
        v.i = j.toInt();
        return true;
    }
    if (int n = ParamTypeComponents(type)) {
        const QJsonArray a = j.toArray();
        if (!j.isArray() || a.size() != n) return false;
        for (int k = 0; k < n; ++k)
            v.f[k] = static_cast<float>(a[k].toDouble());
        return true;
    }
    if (IsStringParamType(type)) {
        QString text;
        if (j.isObject() && reader.Text(j.toObject().value(QStringLiteral("text")), text)) {
            v.s = WStr::FromQString(text);
            return true;
        }
        if (!j.isString()) return false;
        v.s = WStr::FromQString(j.toString());
        return true;
    }
    if (IsReferenceParamType(type)) {
        if (j.isNull() || j.isUndefined()) { v.r = nullptr; return true; }
        if (!j.isDouble() || !reader.Valid(j.toInt())) return false;
        v.r = reader.Get(j.toInt());
        return true;
    }
    return true;
}

QJsonObject WriteDef(const ParamDef& d, ObjectWriter& writer)
{
    QJsonObject o;
    o[QStringLiteral("id")] = d.ID;
    o[QStringLiteral("name")] = d.int_name.ToQString();
    o[QStringLiteral("type")] = d.type;
    o[QStringLiteral("flags")] = d.flags;
    o[QStringLiteral("tab")] = d.tab_size;
    o[QStringLiteral("default")] = WriteValue(d.def, d.type, writer);
    return o;
}

// Whether an unanimated value equals the definition's default (left out of the file).
bool IsDefault(const ParamValue& v, const ParamDef& d)
{
    if (IsFloatParamType(d.type))
        return v.f[0] == d.def.f[0];
    if (IsIntParamType(d.type))
        return v.i == d.def.i;
    if (int n = ParamTypeComponents(d.type)) {
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

QJsonObject WriteBlock(IParamBlock2* pb, ObjectWriter& writer)
{
    QJsonObject block;
    block[QStringLiteral("id")] = pb->ID();
    const ParamBlockDesc2* desc = pb->GetDesc();
    if (pb->IsRebuilt()) {
        QJsonArray defs;
        for (const ParamDef& d : desc->paramdefs)
            defs.append(WriteDef(d, writer));
        block[QStringLiteral("defs")] = writer.AddDefinitions(defs);
    }
    QJsonArray params;
    for (const ParamDef& d : desc->paramdefs) {
        if (d.flags & P_TRANSIENT)
            continue;
        const IParamBlock2::Slot* slot = pb->GetSlot(d.ID);
        // A plain unanimated value is written inline; tables and keys list their entries.
        const bool plain = !d.IsTable() && slot->entries.size() == 1 && slot->entries[0].keys.empty();
        if (plain && IsDefault(slot->entries[0].value, d))
            continue;
        QJsonObject param;
        param[QStringLiteral("name")] = d.int_name.ToQString();
        param[QStringLiteral("type")] = d.type;
        if (plain) {
            param[QStringLiteral("v")] = WriteValue(slot->entries[0].value, d.type, writer);
        } else {
            QJsonArray entries;
            for (const IParamBlock2::Entry& e : slot->entries) {
                QJsonObject entry;
                entry[QStringLiteral("v")] = WriteValue(e.value, d.type, writer);
                if (!e.keys.empty()) {
                    QJsonArray keys;
                    for (const auto& k : e.keys)
                        keys.append(QJsonArray{k.first, WriteValue(k.second, d.type, writer)});
                    entry[QStringLiteral("keys")] = keys;
                }
                entries.append(entry);
            }
            param[QStringLiteral("entries")] = entries;
        }
        params.append(param);
    }
    block[QStringLiteral("params")] = params;
    return block;
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

    QJsonObject o;
    const Class_ID cid = t->ClassID();
    o[QStringLiteral("class")] = QJsonArray{static_cast<double>(cid.PartA()), static_cast<double>(cid.PartB())};
    o[QStringLiteral("superClass")] = static_cast<double>(t->SuperClassID());
    if (auto* m = dynamic_cast<MtlBase*>(t)) {
        o[QStringLiteral("name")] = m->GetName().ToQString();
        o[QStringLiteral("flags")] = m->GetMtlFlags();
    }
    QJsonArray blocks;
    for (int i = 0; i < t->NumParamBlocks(); ++i)
        if (IParamBlock2* pb = t->GetParamBlock(i))
            blocks.append(WriteBlock(pb, *this));
    o[QStringLiteral("blocks")] = blocks;
    objects_[static_cast<size_t>(id)] = o;
    return id;
}

QJsonArray ObjectWriter::Objects() const
{
    return ToArray(objects_);
}

int ObjectWriter::AddText(const QString& text)
{
    const auto found = textIds_.find(text);
    if (found != textIds_.end())
        return found->second;
    texts_.push_back(text);
    return textIds_[text] = static_cast<int>(texts_.size() - 1);
}

int ObjectWriter::AddDefinitions(const QJsonArray& defs)
{
    const QByteArray key = QJsonDocument(defs).toJson(QJsonDocument::Compact);
    const auto found = definitionIds_.find(key);
    if (found != definitionIds_.end())
        return found->second;
    definitions_.push_back(defs);
    return definitionIds_[key] = static_cast<int>(definitions_.size() - 1);
}

bool ObjectReader::Text(const QJsonValue& index, QString& out) const
{
    if (!index.isDouble() || index.toInt() < 0 || index.toInt() >= texts_.size() || !texts_[index.toInt()].isString())
        return false;
    out = texts_[index.toInt()].toString();
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

bool ObjectReader::Read(const QJsonArray& objects, QString* error, const QJsonArray& texts,
                        const QJsonArray& definitions, bool omitsDefaults)
{
    texts_ = texts;
    // Blocks that name the same table entry share one descriptor.
    std::map<std::pair<int, BlockID>, std::shared_ptr<ParamBlockDesc2>> shared;
    auto fail = [&](int index, const QString& why) {
        if (error)
            *error = QStringLiteral("object %1: %2").arg(index).arg(why);
        DeleteMade();
        return false;
    };
    // First make every object, so references can point forwards.
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject o = objects[i].toObject();
        const QJsonArray cls = o.value(QStringLiteral("class")).toArray();
        const QJsonValue super = o.value(QStringLiteral("superClass"));
        if (!objects[i].isObject() || cls.size() != 2 || !super.isDouble() || !IsIdPart(cls[0]) ||
            !IsIdPart(cls[1]) || !IsIdPart(super))
            return fail(i, QStringLiteral("no class identifier"));
        const Class_ID cid(static_cast<ULONG>(cls[0].toDouble()), static_cast<ULONG>(cls[1].toDouble()));
        const auto sclass = static_cast<SClass_ID>(super.toDouble());
        void* made = ClassRegistry::Instance().Create(sclass, cid, true);
        if (!made)
            return fail(i, QStringLiteral("unknown class (%1, %2) of super class %3")
                               .arg(Hex(cid.PartA()), Hex(cid.PartB()), Hex(sclass)));
        made_.push_back(static_cast<ReferenceTarget*>(static_cast<Animatable*>(made)));
    }
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject o = objects[i].toObject();
        ReferenceTarget* t = made_[static_cast<size_t>(i)];
        if (auto* m = dynamic_cast<MtlBase*>(t)) {
            m->SetName(WStr::FromQString(o.value(QStringLiteral("name")).toString()));
            m->ClearMtlFlag(~0);
            m->SetMtlFlag(o.value(QStringLiteral("flags")).toInt(), TRUE);
        }
        const QJsonArray blocks = o.value(QStringLiteral("blocks")).toArray();
        for (int b = 0; b < blocks.size(); ++b) {
            const QJsonObject block = blocks[b].toObject();
            IParamBlock2* pb = t->GetParamBlockByID(static_cast<BlockID>(block.value(QStringLiteral("id")).toInt()));
            if (!pb)
                continue;  // a block the class no longer has
            if (block.contains(QStringLiteral("defs"))) {
                const QJsonValue defsValue = block.value(QStringLiteral("defs"));
                const int table = defsValue.isDouble() ? defsValue.toInt() : -1;
                if (defsValue.isDouble() && (table < 0 || table >= definitions.size()))
                    return fail(i, QStringLiteral("bad definition in block %1").arg(b));
                std::shared_ptr<ParamBlockDesc2>& desc = shared[{table, pb->ID()}];
                if (!desc || table < 0) {
                    desc = std::make_shared<ParamBlockDesc2>(pb->ID(), pb->GetDesc()->int_name);
                    desc->cd = pb->GetDesc()->cd;
                    for (const QJsonValue& dv : table >= 0 ? definitions[table].toArray() : defsValue.toArray()) {
                        const QJsonObject d = dv.toObject();
                        ParamDef def(static_cast<ParamID>(d.value(QStringLiteral("id")).toInt()),
                                     WStr::FromQString(d.value(QStringLiteral("name")).toString()),
                                     d.value(QStringLiteral("type")).toInt(), ParamValue(),
                                     d.value(QStringLiteral("flags")).toInt());
                        def.tab_size = d.value(QStringLiteral("tab")).toInt();
                        if (!ReadValue(d.value(QStringLiteral("default")), def.type, *this, def.def) ||
                            def.int_name.isNull())
                            return fail(i, QStringLiteral("bad definition in block %1").arg(b));
                        desc->AddParam(def);
                    }
                }
                pb->Rebuild(desc);
            }
            // Not what the constructor left: a value at its default is not in the file.
            if (omitsDefaults)
                pb->ResetAll();
            for (const QJsonValue& pv : block.value(QStringLiteral("params")).toArray()) {
                const QJsonObject p = pv.toObject();
                const WStr name = WStr::FromQString(p.value(QStringLiteral("name")).toString());
                const int index = pb->GetDesc()->NameToIndex(name);
                if (index < 0)
                    continue;  // a parameter the class no longer has
                const ParamDef& def = pb->GetDesc()->paramdefs[static_cast<size_t>(index)];
                if (def.type != p.value(QStringLiteral("type")).toInt())
                    continue;
                const QJsonArray entries = p.contains(QStringLiteral("entries"))
                                               ? p.value(QStringLiteral("entries")).toArray()
                                               : QJsonArray{QJsonObject{{QStringLiteral("v"), p.value(QStringLiteral("v"))}}};
                if (def.IsTable())
                    pb->SetCount(def.ID, entries.size());
                for (int e = 0; e < entries.size() && e < pb->Count(def.ID); ++e) {
                    const QJsonObject entry = entries[e].toObject();
                    IParamBlock2::Entry value;
                    if (!ReadValue(entry.value(QStringLiteral("v")), def.type, *this, value.value))
                        return fail(i, QStringLiteral("bad value of parameter '%1'").arg(name.ToQString()));
                    for (const QJsonValue& kv : entry.value(QStringLiteral("keys")).toArray()) {
                        const QJsonArray key = kv.toArray();
                        ParamValue at;
                        if (key.size() != 2 || !ReadValue(key[1], def.type, *this, at))
                            return fail(i, QStringLiteral("bad key of parameter '%1'").arg(name.ToQString()));
                        value.keys[key[0].toInt()] = at;
                    }
                    pb->SetEntry(def.ID, e, value);
                }
            }
        }
    }
    return true;
}

} // namespace Norvane
