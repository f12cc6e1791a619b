// Scene and material-library files of the host.
#include "HostCore.h"

#include "Hold.h"
#include "INode.h"
#include "JsonFile.h"
#include "JsonWriter.h"
#include "LiveObjects.h"
#include "MtlBase.h"
#include "Object.h"
#include "ObjectArchive.h"

#include <map>

namespace Norvane
{
namespace
{

const QString SCENE_FORMAT = QStringLiteral("norvane-scene");
const QString LIBRARY_FORMAT = QStringLiteral("norvane-material-library");
// 2: compact, with text and definition tables and default values left out; 1 still loads.
constexpr int SCENE_FILE_VERSION = 2;

void WriteMatrix(JsonWriter& out, const Matrix3& tm)
{
    out.BeginArray();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            out.Double(static_cast<double>(tm.GetRow(r)[c]));
    out.EndArray();
}

bool ReadMatrix(const JsonValue& a, Matrix3& tm)
{
    if (a.size() != 12)
        return false;
    for (int r = 0; r < 4; ++r)
        tm.SetRow(r, Point3(static_cast<float>(a[r * 3].toDouble()), static_cast<float>(a[r * 3 + 1].toDouble()),
                            static_cast<float>(a[r * 3 + 2].toDouble())));
    return true;
}

// Object number of an optional reference in the JSON (null for none).
bool ReadRef(const JsonValue& v, const ObjectReader& reader, ReferenceTarget*& out)
{
    if (v.isNull() || v.isUndefined())
    {
        out = nullptr;
        return true;
    }
    if (!v.isDouble() || !reader.Valid(v.toInt()))
        return false;
    out = reader.Get(v.toInt());
    return true;
}

// Reads a document of `kind` and makes its objects (without undo records).
bool ReadObjectsFile(const QString& path, const QString& kind, JsonValue& doc, ObjectReader& reader, QString& why)
{
    if (!ReadJsonFile(path, kind, SCENE_FILE_VERSION, doc, &why))
        return false;
    theHold.Suspend();
    const bool read = reader.Read(doc.value("objects"), &why, doc.value("texts"), doc.value("definitions"),
                                  doc.value("version").toInt() >= 2);
    theHold.Resume();
    if (!read)
        why = QStringLiteral("'%1': %2").arg(path, why);
    return read;
}

void WriteId(JsonWriter& out, int id)
{
    id < 0 ? out.Null() : out.Int(id);
}

} // namespace

bool HostCore::SaveScene(const QString& path, QString* error)
{
    // Nodes and slots first: they number the objects the tables then hold.
    ObjectWriter writer;
    JsonWriter nodes;
    nodes.BeginArray();
    for (INode* n : scene_.Nodes())
    {
        const int object = writer.Add(n->GetObjectRef());
        const int material = writer.Add(n->GetMtl());
        nodes.BeginObject();
        nodes.Key("hidden").Bool(n->IsHidden());
        nodes.Key("material");
        WriteId(nodes, material);
        nodes.Key("name").String(QString::fromWCharArray(n->GetName()));
        nodes.Key("object");
        WriteId(nodes, object);
        nodes.Key("tm");
        WriteMatrix(nodes, n->GetNodeTM());
        nodes.EndObject();
    }
    nodes.EndArray();
    JsonWriter slotArray;
    slotArray.BeginArray();
    for (int i = 0; i < MaterialEditor::SLOTS; ++i)
        WriteId(slotArray, writer.Add(editor_.Slot(i)));
    slotArray.EndArray();
    // Node numbers by node: a linear lookup per selected node grows with the square of the scene.
    std::map<INode*, int> nodeIndex;
    for (INode* n : scene_.Nodes())
        nodeIndex.emplace(n, static_cast<int>(nodeIndex.size()));

    JsonWriter doc;
    doc.BeginObject();
    doc.Key("definitions").Raw(writer.Definitions());
    doc.Key("editorSlots").Raw(slotArray.Bytes());
    doc.Key("format").String(SCENE_FORMAT);
    doc.Key("materialLibrary").String(libraryPath_);
    doc.Key("nodes").Raw(nodes.Bytes());
    doc.Key("objects").Raw(writer.Objects());
    doc.Key("selection").BeginArray();
    for (INode* n : scene_.Selection())
    {
        const auto found = nodeIndex.find(n);
        doc.Int(found != nodeIndex.end() ? found->second : static_cast<int>(scene_.Nodes().size()));
    }
    doc.EndArray();
    doc.Key("texts").Raw(writer.Texts());
    doc.Key("time").Int(time_);
    doc.Key("version").Int(SCENE_FILE_VERSION);
    doc.EndObject();
    QString why;
    if (!WriteJsonFile(path, doc.Bytes(), &why))
        return Fail(error, why);
    scenePath_ = path;
    return true;
}

bool HostCore::LoadScene(const QString& path, QString* error)
{
    JsonValue doc;
    ObjectReader reader;
    QString why;
    if (!ReadObjectsFile(path, SCENE_FORMAT, doc, reader, why))
        return Fail(error, why);

    struct NodeData
    {
        WStr name;
        Object* object;
        Mtl* mtl;
        Matrix3 tm;
        bool hidden;
    };
    std::vector<NodeData> nodeData;
    const JsonValue& nodes = doc.value("nodes");
    for (int i = 0; i < nodes.size(); ++i)
    {
        const JsonValue& o = nodes[i];
        ReferenceTarget *obj = nullptr, *mtl = nullptr;
        NodeData d{ WStr::FromQString(o.value("name").toString()), nullptr, nullptr, Matrix3(), false };
        if (!ReadRef(o.value("object"), reader, obj) || !ReadRef(o.value("material"), reader, mtl) ||
            (obj && !dynamic_cast<Object*>(obj)) || (mtl && !dynamic_cast<Mtl*>(mtl)) ||
            !ReadMatrix(o.value("tm"), d.tm))
            return Fail(error, QStringLiteral("'%1': node %2 is malformed").arg(path).arg(i));
        d.object = dynamic_cast<Object*>(obj);
        d.mtl = dynamic_cast<Mtl*>(mtl);
        d.hidden = o.value("hidden").toBool();
        nodeData.push_back(d);
    }
    std::vector<MtlBase*> slotData;
    const JsonValue& slotArray = doc.value("editorSlots");
    for (int i = 0; i < slotArray.size() && i < MaterialEditor::SLOTS; ++i)
    {
        ReferenceTarget* m = nullptr;
        if (!ReadRef(slotArray[i], reader, m) || (m && !dynamic_cast<MtlBase*>(m)))
            return Fail(error, QStringLiteral("'%1': editor slot %2 is malformed").arg(path).arg(i));
        slotData.push_back(dynamic_cast<MtlBase*>(m));
    }
    std::vector<int> selected;
    for (const JsonValue& v : doc.value("selection"))
    {
        if (!v.isDouble() || v.toInt() < 0 || v.toInt() >= nodes.size())
            return Fail(error, QStringLiteral("'%1': the selection names a node that does not exist").arg(path));
        selected.push_back(v.toInt());
    }

    // Everything read: replace the scene.
    reader.Release();
    std::set<ReferenceTarget*> keep;
    CollectReachable(library_, keep);
    for (int i = 0; i < doc.value("objects").size(); ++i)
        CollectReachable(reader.Get(i), keep);
    theHold.ClearHistory();
    scene_.Clear();
    editor_.Clear();
    LiveObjects::Instance().DeleteAll(keep);

    theHold.Suspend();
    std::vector<INode*> made;
    for (const NodeData& d : nodeData)
    {
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
    time_ = doc.value("time").toInt();
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
    JsonValue doc;
    ObjectReader reader;
    QString why;
    if (!ReadObjectsFile(path, LIBRARY_FORMAT, doc, reader, why))
        return Fail(error, why);
    std::vector<MtlBase*> items;
    for (const JsonValue& v : doc.value("materials"))
    {
        ReferenceTarget* t = nullptr;
        if (!ReadRef(v, reader, t) || !dynamic_cast<MtlBase*>(t))
            return Fail(error, QStringLiteral("'%1': a library entry is not a material or map").arg(path));
        items.push_back(dynamic_cast<MtlBase*>(t));
    }
    reader.Release();
    lib->Assign(items);
    // Objects of the file that no entry uses go at once.
    for (int i = 0; i < doc.value("objects").size(); ++i)
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
    JsonWriter materials;
    materials.BeginArray();
    for (MtlBase* m : lib->Items())
        materials.Int(writer.Add(m));
    materials.EndArray();
    JsonWriter doc;
    doc.BeginObject();
    doc.Key("definitions").Raw(writer.Definitions());
    doc.Key("format").String(LIBRARY_FORMAT);
    doc.Key("materials").Raw(materials.Bytes());
    doc.Key("objects").Raw(writer.Objects());
    doc.Key("texts").Raw(writer.Texts());
    doc.Key("version").Int(SCENE_FILE_VERSION);
    doc.EndObject();
    QString why;
    if (!WriteJsonFile(path, doc.Bytes(), &why))
        return Fail(error, why);
    if (lib == library_)
        libraryPath_ = path;
    return true;
}

} // namespace Norvane
