// Scene and material-library files of the host.
#include "HostCore.h"

#include "Hold.h"
#include "INode.h"
#include "JsonFile.h"
#include "LiveObjects.h"
#include "MtlBase.h"
#include "Object.h"
#include "ObjectArchive.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

namespace Norvane {
namespace {

const QString kSceneFormat = QStringLiteral("norvane-scene");
const QString kLibraryFormat = QStringLiteral("norvane-material-library");
// 2: compact, with text and definition tables and default values left out; 1 still loads.
constexpr int kVersion = 2;

QJsonArray WriteMatrix(const Matrix3& tm)
{
    QJsonArray a;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            a.append(static_cast<double>(tm.GetRow(r)[c]));
    return a;
}

bool ReadMatrix(const QJsonValue& v, Matrix3& tm)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 12)
        return false;
    for (int r = 0; r < 4; ++r)
        tm.SetRow(r, Point3(static_cast<float>(a[r * 3].toDouble()), static_cast<float>(a[r * 3 + 1].toDouble()),
                            static_cast<float>(a[r * 3 + 2].toDouble())));
    return true;
}

// Object number of an optional reference in the JSON (null for none).
bool ReadRef(const QJsonValue& v, const ObjectReader& reader, ReferenceTarget*& out)
{
    if (v.isNull() || v.isUndefined()) {
        out = nullptr;
        return true;
    }
    if (!v.isDouble() || !reader.Valid(v.toInt()))
        return false;
    out = reader.Get(v.toInt());
    return true;
}

// Reads a document of `kind` and makes its objects (without undo records).
bool ReadObjectsFile(const QString& path, const QString& kind, QJsonObject& doc, ObjectReader& reader, QString& why)
{
    if (!ReadJsonFile(path, kind, kVersion, doc, &why))
        return false;
    theHold.Suspend();
    const bool read = reader.Read(doc.value(QStringLiteral("objects")).toArray(), &why,
                                  doc.value(QStringLiteral("texts")).toArray(),
                                  doc.value(QStringLiteral("definitions")).toArray(),
                                  doc.value(QStringLiteral("version")).toInt() >= 2);
    theHold.Resume();
    if (!read)
        why = QStringLiteral("'%1': %2").arg(path, why);
    return read;
}

QJsonValue Id(int id)
{
    return id < 0 ? QJsonValue() : QJsonValue(id);
}

} // namespace

bool HostCore::SaveScene(const QString& path, QString* error)
{
    ObjectWriter writer;
    QJsonArray nodes, selection, slotArray;
    for (INode* n : scene_.Nodes()) {
        QJsonObject o;
        o[QStringLiteral("name")] = QString::fromWCharArray(n->GetName());
        o[QStringLiteral("object")] = Id(writer.Add(n->GetObjectRef()));
        o[QStringLiteral("material")] = Id(writer.Add(n->GetMtl()));
        o[QStringLiteral("tm")] = WriteMatrix(n->GetNodeTM());
        o[QStringLiteral("hidden")] = n->IsHidden();
        nodes.append(o);
    }
    for (INode* n : scene_.Selection())
        selection.append(static_cast<int>(std::find(scene_.Nodes().begin(), scene_.Nodes().end(), n) -
                                          scene_.Nodes().begin()));
    for (int i = 0; i < MaterialEditor::kSlots; ++i)
        slotArray.append(Id(writer.Add(editor_.Slot(i))));
    QJsonObject doc;
    doc[QStringLiteral("format")] = kSceneFormat;
    doc[QStringLiteral("version")] = kVersion;
    doc[QStringLiteral("objects")] = writer.Objects();
    doc[QStringLiteral("texts")] = writer.Texts();
    doc[QStringLiteral("definitions")] = writer.Definitions();
    doc[QStringLiteral("nodes")] = nodes;
    doc[QStringLiteral("selection")] = selection;
    doc[QStringLiteral("editorSlots")] = slotArray;
    doc[QStringLiteral("time")] = time_;
    doc[QStringLiteral("materialLibrary")] = libraryPath_;
    QString why;
    if (!WriteJsonFile(path, doc, &why))
        return Fail(error, why);
    scenePath_ = path;
    return true;
}

bool HostCore::LoadScene(const QString& path, QString* error)
{
    QJsonObject doc;
    ObjectReader reader;
    QString why;
    if (!ReadObjectsFile(path, kSceneFormat, doc, reader, why))
        return Fail(error, why);

    struct NodeData {
        WStr name;
        Object* object;
        Mtl* mtl;
        Matrix3 tm;
        bool hidden;
    };
    std::vector<NodeData> nodeData;
    const QJsonArray nodes = doc.value(QStringLiteral("nodes")).toArray();
    for (int i = 0; i < nodes.size(); ++i) {
        const QJsonObject o = nodes[i].toObject();
        ReferenceTarget *obj = nullptr, *mtl = nullptr;
        NodeData d{WStr::FromQString(o.value(QStringLiteral("name")).toString()), nullptr, nullptr, Matrix3(), false};
        if (!ReadRef(o.value(QStringLiteral("object")), reader, obj) ||
            !ReadRef(o.value(QStringLiteral("material")), reader, mtl) ||
            (obj && !dynamic_cast<Object*>(obj)) || (mtl && !dynamic_cast<Mtl*>(mtl)) ||
            !ReadMatrix(o.value(QStringLiteral("tm")), d.tm))
            return Fail(error, QStringLiteral("'%1': node %2 is malformed").arg(path).arg(i));
        d.object = dynamic_cast<Object*>(obj);
        d.mtl = dynamic_cast<Mtl*>(mtl);
        d.hidden = o.value(QStringLiteral("hidden")).toBool();
        nodeData.push_back(d);
    }
    std::vector<MtlBase*> slotData;
    const QJsonArray slotArray = doc.value(QStringLiteral("editorSlots")).toArray();
    for (int i = 0; i < slotArray.size() && i < MaterialEditor::kSlots; ++i) {
        ReferenceTarget* m = nullptr;
        if (!ReadRef(slotArray[i], reader, m) || (m && !dynamic_cast<MtlBase*>(m)))
            return Fail(error, QStringLiteral("'%1': editor slot %2 is malformed").arg(path).arg(i));
        slotData.push_back(dynamic_cast<MtlBase*>(m));
    }
    std::vector<int> selected;
    for (const QJsonValue& v : doc.value(QStringLiteral("selection")).toArray()) {
        if (!v.isDouble() || v.toInt() < 0 || v.toInt() >= nodes.size())
            return Fail(error, QStringLiteral("'%1': the selection names a node that does not exist").arg(path));
        selected.push_back(v.toInt());
    }

    // Everything read: replace the scene.
    reader.Release();
    std::set<ReferenceTarget*> keep;
    CollectReachable(library_, keep);
    for (int i = 0; i < static_cast<int>(doc.value(QStringLiteral("objects")).toArray().size()); ++i)
        CollectReachable(reader.Get(i), keep);
    theHold.ClearHistory();
    scene_.Clear();
    editor_.Clear();
    LiveObjects::Instance().DeleteAll(keep);

    theHold.Suspend();
    std::vector<INode*> made;
    for (const NodeData& d : nodeData) {
        auto* n = new INode();
        n->SetName(d.name);
        n->SetObjectRef(d.object);
        n->SetMtl(d.mtl);
        n->SetNodeTM(0, d.tm);
        n->Hide(d.hidden);
        made.push_back(n);
    }
    std::vector<INode*> selection;
    for (int i : selected)
        selection.push_back(made[static_cast<size_t>(i)]);
    scene_.Install(made, selection);
    for (size_t i = 0; i < slotData.size(); ++i)
        editor_.Put(static_cast<int>(i), slotData[i]);
    theHold.Resume();
    time_ = doc.value(QStringLiteral("time")).toInt();
    scenePath_ = path;
    RedrawViews(time_);
    return true;
}

void HostCore::NewScene()
{
    std::set<ReferenceTarget*> keep;
    CollectReachable(library_, keep);
    theHold.ClearHistory();
    scene_.Clear();
    editor_.Clear();
    LiveObjects::Instance().DeleteAll(keep);
    time_ = 0;
    animate_ = false;
    scenePath_.clear();
    RedrawViews(time_);
}

bool HostCore::LoadLibrary(const QString& path, MtlBaseLib* lib, QString* error)
{
    if (!lib)
        lib = library_;
    QJsonObject doc;
    ObjectReader reader;
    QString why;
    if (!ReadObjectsFile(path, kLibraryFormat, doc, reader, why))
        return Fail(error, why);
    std::vector<MtlBase*> items;
    for (const QJsonValue& v : doc.value(QStringLiteral("materials")).toArray()) {
        ReferenceTarget* t = nullptr;
        if (!ReadRef(v, reader, t) || !dynamic_cast<MtlBase*>(t))
            return Fail(error, QStringLiteral("'%1': a library entry is not a material or map").arg(path));
        items.push_back(dynamic_cast<MtlBase*>(t));
    }
    reader.Release();
    lib->Assign(items);
    // Objects of the file that no entry uses go at once.
    for (int i = 0; i < doc.value(QStringLiteral("objects")).toArray().size(); ++i)
        if (ReferenceTarget* t = reader.Get(i); t && LiveObjects::Instance().Contains(t))
            t->MaybeAutoDelete();
    if (lib == library_)
        libraryPath_ = path;
    return true;
}

bool HostCore::SaveLibrary(const QString& path, MtlBaseLib* lib, QString* error)
{
    if (!lib)
        lib = library_;
    ObjectWriter writer;
    QJsonArray materials;
    for (MtlBase* m : lib->Items())
        materials.append(writer.Add(m));
    QJsonObject doc;
    doc[QStringLiteral("format")] = kLibraryFormat;
    doc[QStringLiteral("version")] = kVersion;
    doc[QStringLiteral("objects")] = writer.Objects();
    doc[QStringLiteral("texts")] = writer.Texts();
    doc[QStringLiteral("definitions")] = writer.Definitions();
    doc[QStringLiteral("materials")] = materials;
    QString why;
    if (!WriteJsonFile(path, doc, &why))
        return Fail(error, why);
    if (lib == library_)
        libraryPath_ = path;
    return true;
}

} // namespace Norvane
