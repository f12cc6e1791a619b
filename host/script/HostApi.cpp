#include "HostApi.h"

#include "ClassRegistry.h"
#include "Hold.h"
#include "HostCore.h"
#include "INode.h"
#include "MtlBase.h"
#include "Object.h"
#include "ScriptEngine.h"
#include "ScriptValues.h"
#include "Teapot.h"

HostApi::HostApi(ScriptEngine& engine) :
    engine_(engine) {}

int HostApi::time() const
{
    return Norvane::Host().GetTime();
}
void HostApi::setTime(int t)
{
    Norvane::Host().SetTime(t);
}
int HostApi::undoCount() const
{
    return theHold.UndoCount();
}
int HostApi::redoCount() const
{
    return theHold.RedoCount();
}
int HostApi::editorSlots() const
{
    return Norvane::MaterialEditor::SLOTS;
}

template <typename Range>
QJSValue HostApi::array(const Range& objects)
{
    QJSValue a = engine_.js().newArray();
    quint32 k = 0;
    for (auto* o : objects)
        a.setProperty(k++, engine_.wrap(o));
    return a;
}

ReferenceTarget* HostApi::needObject(const QJSValue& v, SClass_ID family, const char* function, bool nullable)
{
    if (nullable && (v.isNull() || v.isUndefined()))
        return nullptr;
    ReferenceTarget* t = ScriptEngine::unwrap(v);
    const bool fits = t && (t->SuperClassID() == family ||
                            (family == TEXMAP_CLASS_ID + MATERIAL_CLASS_ID &&
                             (t->SuperClassID() == MATERIAL_CLASS_ID || t->SuperClassID() == TEXMAP_CLASS_ID)));
    if (!fits)
    {
        const QString wanted = family == TEXMAP_CLASS_ID + MATERIAL_CLASS_ID ? "a material or map" : "a " + familyName(family);
        engine_.throwError(QString::fromLatin1(function) + " needs " + wanted + (nullable ? " or null" : "") + ", not " +
                           ScriptEngine::describe(v));
    }
    return fits ? t : nullptr;
}

QJSValue HostApi::createNode(const QString& name, const QJSValue& material)
{
    Mtl* m = static_cast<Mtl*>(needObject(material, MATERIAL_CLASS_ID, "createNode", true));
    if (!m && !(material.isNull() || material.isUndefined()))
        return {};
    ScriptStep step(L"Create node");
    auto* teapot = static_cast<Object*>(Norvane::Host().CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    if (!teapot)
    {
        engine_.throwError(QStringLiteral("createNode: the host cannot make a teapot"));
        return {};
    }
    INode* node = Norvane::Host().CreateObjectNode(teapot, WStr::FromQString(name).data());
    if (m)
        node->SetMtl(m);
    return engine_.wrap(node);
}

QJSValue HostApi::nodes()
{
    return array(Norvane::Host().GetScene().Nodes());
}

QJSValue HostApi::findNode(const QString& name)
{
    return engine_.wrap(Norvane::Host().GetINodeByName(WStr::FromQString(name).data()));
}

void HostApi::deleteNode(const QJSValue& node)
{
    if (auto* n = static_cast<INode*>(needObject(node, NODE_CLASS_ID, "deleteNode", false)))
    {
        ScriptStep step(L"Delete node");
        Norvane::Host().DeleteNode(n);
    }
}

QJSValue HostApi::selection()
{
    return array(Norvane::Host().GetScene().Selection());
}

void HostApi::select(const QJSValue& nodes, bool add)
{
    std::vector<INode*> chosen;
    if (nodes.isArray())
    {
        const int n = nodes.property(QStringLiteral("length")).toInt();
        for (int k = 0; k < n; ++k)
        {
            auto* node = static_cast<INode*>(needObject(nodes.property(static_cast<quint32>(k)), NODE_CLASS_ID, "select", false));
            if (!node)
                return;
            chosen.push_back(node);
        }
    }
    else if (auto* node = static_cast<INode*>(needObject(nodes, NODE_CLASS_ID, "select", false)))
    {
        chosen.push_back(node);
    }
    else
    {
        return;
    }
    ScriptStep step(L"Select");
    if (!add)
        Norvane::Host().ClearNodeSelection();
    for (INode* node : chosen)
        Norvane::Host().SelectNode(node, 0);
}

void HostApi::clearSelection()
{
    ScriptStep step(L"Select");
    Norvane::Host().ClearNodeSelection();
}

QStringList HostApi::classes(const QString& kind)
{
    QStringList names;
    for (ClassDesc* cd : Norvane::ClassRegistry::Instance().All())
        if (kind.isEmpty() || familyName(cd->SuperClassID()) == kind)
            names << QString::fromWCharArray(cd->ClassName());
    names.sort();
    return names;
}

QJSValue HostApi::create(const QString& className, SClass_ID family, const char* what)
{
    ClassDesc* cd = Norvane::ClassRegistry::Instance().FindByName(WStr::FromQString(className).data());
    if (!cd || cd->SuperClassID() != family)
    {
        engine_.throwError(QString::fromLatin1(what) + ": no " + familyName(family) + " class named \"" + className +
                           "\" (known: " + classes(familyName(family)).join(", ") + ")");
        return {};
    }
    ScriptStep step(L"Create");
    auto* object = static_cast<ReferenceTarget*>(Norvane::Host().CreateInstance(family, cd->ClassID()));
    if (!object)
    {
        engine_.throwError(QString::fromLatin1(what) + ": the host cannot make a \"" + className + "\"");
        return {};
    }
    return engine_.wrap(object);
}

QJSValue HostApi::createMaterial(const QString& className)
{
    return create(className, MATERIAL_CLASS_ID, "createMaterial");
}
QJSValue HostApi::createMap(const QString& className)
{
    return create(className, TEXMAP_CLASS_ID, "createMap");
}

bool HostApi::validSlot(int slot, const char* function)
{
    if (slot >= 0 && slot < Norvane::MaterialEditor::SLOTS)
        return true;
    engine_.throwError(QString::fromLatin1(function) + ": slot " + QString::number(slot) + " is not between 0 and " +
                       QString::number(Norvane::MaterialEditor::SLOTS - 1));
    return false;
}

QJSValue HostApi::editorSlot(int slot)
{
    if (!validSlot(slot, "editorSlot"))
        return {};
    return engine_.wrap(Norvane::Host().GetMtlSlot(slot));
}

void HostApi::setEditorSlot(int slot, const QJSValue& material)
{
    if (!validSlot(slot, "setEditorSlot"))
        return;
    ReferenceTarget* m = needObject(material, TEXMAP_CLASS_ID + MATERIAL_CLASS_ID, "setEditorSlot", false);
    if (!m)
        return;
    ScriptStep step(L"Editor slot");
    Norvane::Host().PutMtlToMtlEditor(static_cast<MtlBase*>(m), slot);
}

QJSValue HostApi::library()
{
    return array(Norvane::Host().GetMaterialLibrary().Items());
}

void HostApi::addToLibrary(const QJSValue& material)
{
    ReferenceTarget* m = needObject(material, TEXMAP_CLASS_ID + MATERIAL_CLASS_ID, "addToLibrary", false);
    if (!m)
        return;
    ScriptStep step(L"Add to library");
    Norvane::Host().GetMaterialLibrary().Add(static_cast<MtlBase*>(m));
}

bool HostApi::loadLibrary(const QString& path)
{
    return Norvane::Host().LoadLibrary(path);
}
bool HostApi::saveLibrary(const QString& path)
{
    return Norvane::Host().SaveLibrary(path);
}

bool HostApi::undo()
{
    return Norvane::Host().Undo();
}
bool HostApi::redo()
{
    return Norvane::Host().Redo();
}

bool HostApi::saveScene(const QString& path)
{
    return Norvane::Host().SaveScene(path);
}
bool HostApi::loadScene(const QString& path)
{
    return Norvane::Host().LoadScene(path);
}
void HostApi::newScene()
{
    Norvane::Host().NewScene();
}
QString HostApi::lastError() const
{
    return Norvane::Host().LastError();
}
