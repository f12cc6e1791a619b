#include "ScriptObject.h"

#include "ClassRegistry.h"
#include "HostCore.h"
#include "INode.h"
#include "LiveObjects.h"
#include "MtlBase.h"
#include "Object.h"
#include "ParamAccess.h"
#include "ScriptEngine.h"
#include "ScriptValues.h"

namespace
{

bool isMtlBase(ReferenceTarget* t)
{
    const SClass_ID s = t->SuperClassID();
    return s == MATERIAL_CLASS_ID || s == TEXMAP_CLASS_ID;
}
bool isNode(ReferenceTarget* t)
{
    return t->SuperClassID() == NODE_CLASS_ID;
}
bool isNamed(ReferenceTarget* t)
{
    return isMtlBase(t) || isNode(t);
}

} // namespace

ScriptObject::ScriptObject(ScriptEngine& engine, ReferenceTarget* target) :
    engine_(engine),
    target_(target) {}

ReferenceTarget* ScriptObject::live() const
{
    return Norvane::LiveObjects::Instance().Contains(target_) ? target_ : nullptr;
}

ReferenceTarget* ScriptObject::need(const char* what, bool (*fits)(ReferenceTarget*)) const
{
    ReferenceTarget* t = live();
    if (!t)
    {
        engine_.throwError(QStringLiteral("the host object was deleted"));
        return nullptr;
    }
    if (!fits(t))
    {
        engine_.throwError(QString::fromLatin1(what) + " is not available on " + kind() + " " + toString());
        return nullptr;
    }
    return t;
}

QString ScriptObject::name() const
{
    ReferenceTarget* t = live();
    if (!t)
        return QString();
    if (isNode(t))
        return QString::fromWCharArray(static_cast<INode*>(t)->GetName());
    if (isMtlBase(t))
        return static_cast<MtlBase*>(t)->GetName().ToQString();
    return QString();
}

void ScriptObject::setName(const QString& name)
{
    ReferenceTarget* t = need("name", isNamed);
    if (!t)
        return;
    ScriptStep step(L"Rename");
    if (isNode(t))
        static_cast<INode*>(t)->SetName(WStr::FromQString(name).data());
    else
        static_cast<MtlBase*>(t)->SetName(WStr::FromQString(name));
}

QString ScriptObject::kind() const
{
    ReferenceTarget* t = live();
    if (!t)
        return QStringLiteral("deleted object");
    // A utility object lives in the command panel, not in the scene: to a
    // script holding one it is just an object.
    const SClass_ID family = t->SuperClassID();
    return family == UTILITY_CLASS_ID ? QStringLiteral("object") : familyName(family);
}

QString ScriptObject::className() const
{
    ReferenceTarget* t = live();
    if (!t)
        return QString();
    if (ClassDesc* cd = Norvane::ClassRegistry::Instance().Find(t->SuperClassID(), t->ClassID()))
        return QString::fromWCharArray(cd->ClassName());
    WStr s;
    t->GetClassName(s);
    return s.ToQString();
}

QVariantList ScriptObject::position() const
{
    ReferenceTarget* t = live();
    if (!t || !isNode(t))
        return {};
    const Point3 p = static_cast<INode*>(t)->GetPosition();
    return { double(p.x), double(p.y), double(p.z) };
}

void ScriptObject::setPosition(const QVariantList& p)
{
    ReferenceTarget* t = need("position", isNode);
    if (!t)
        return;
    if (p.size() != 3)
    {
        engine_.throwError(QStringLiteral("position takes three numbers [x, y, z]"));
        return;
    }
    const Point3 now = static_cast<INode*>(t)->GetPosition();
    move(p[0].toDouble() - now.x, p[1].toDouble() - now.y, p[2].toDouble() - now.z);
}

bool ScriptObject::selected() const
{
    ReferenceTarget* t = live();
    return t && isNode(t) && static_cast<INode*>(t)->Selected();
}

QJSValue ScriptObject::get(const QString& parameter) const
{
    ReferenceTarget* t = need("get", isMtlBase);
    if (!t)
        return {};
    if (!Norvane::FindParam(t, parameter))
    {
        engine_.throwError(toString() + " has no parameter \"" + parameter + "\"");
        return {};
    }
    return engine_.fromVariant(Norvane::GetParam(t, parameter, Norvane::Host().GetTime()));
}

void ScriptObject::set(const QString& parameter, const QJSValue& value)
{
    ReferenceTarget* t = need("set", isMtlBase);
    if (!t)
        return;
    if (!Norvane::FindParam(t, parameter))
    {
        engine_.throwError(toString() + " has no parameter \"" + parameter + "\"");
        return;
    }
    if (ScriptEngine::isHostObject(value) && !ScriptEngine::unwrap(value))
    {
        engine_.throwError(QStringLiteral("the host object was deleted"));
        return;
    }
    ScriptStep step(L"Set parameter");
    if (!Norvane::SetParam(t, parameter, toParamVariant(value), Norvane::Host().GetTime()))
        engine_.throwError(toString() + ": parameter \"" + parameter + "\" cannot take " + ScriptEngine::describe(value));
}

QStringList ScriptObject::params() const
{
    ReferenceTarget* t = need("params", isMtlBase);
    return t ? Norvane::ParamNames(t) : QStringList();
}

QJSValue ScriptObject::getMaterial() const
{
    ReferenceTarget* t = need("getMaterial", isNode);
    return t ? engine_.wrap(static_cast<INode*>(t)->GetMtl()) : QJSValue();
}

void ScriptObject::setMaterial(const QJSValue& material)
{
    ReferenceTarget* t = need("setMaterial", isNode);
    if (!t)
        return;
    ReferenceTarget* m = ScriptEngine::unwrap(material);
    if (!(material.isNull() || material.isUndefined()) && (!m || m->SuperClassID() != MATERIAL_CLASS_ID))
    {
        engine_.throwError("setMaterial needs a material or null, not " + ScriptEngine::describe(material));
        return;
    }
    ScriptStep step(L"Assign material");
    static_cast<INode*>(t)->SetMtl(static_cast<Mtl*>(m));
}

void ScriptObject::move(double x, double y, double z)
{
    ReferenceTarget* t = need("move", isNode);
    if (!t)
        return;
    ScriptStep step(L"Move");
    static_cast<INode*>(t)->Move(Norvane::Host().GetTime(), Matrix3(), Point3(x, y, z));
}

void ScriptObject::select(bool clearFirst)
{
    ReferenceTarget* t = need("select", isNode);
    if (!t)
        return;
    ScriptStep step(L"Select");
    Norvane::Host().SelectNode(static_cast<INode*>(t), clearFirst ? 1 : 0);
}

QString ScriptObject::toString() const
{
    if (!live())
        return QStringLiteral("<deleted object>");
    const QString n = name();
    return kind() + " " + (n.isEmpty() ? className() : "\"" + n + "\"");
}
