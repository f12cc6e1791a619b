#include "ScriptValues.h"

#include "ParamAccess.h"
#include "ScriptEngine.h"

QString familyName(SClass_ID family)
{
    switch (family)
    {
        case MATERIAL_CLASS_ID:
            return QStringLiteral("material");
        case TEXMAP_CLASS_ID:
            return QStringLiteral("map");
        case NODE_CLASS_ID:
            return QStringLiteral("node");
        case GEOMOBJECT_CLASS_ID:
            return QStringLiteral("geometry");
        case UTILITY_CLASS_ID:
            return QStringLiteral("utility");
        default:
            return QStringLiteral("object");
    }
}

QVariant toParamVariant(const QJSValue& value)
{
    if (value.isNull() || value.isUndefined())
        return Norvane::FromTarget(nullptr);
    if (value.isBool())
        return value.toBool();
    if (value.isNumber())
        return value.toNumber();
    if (value.isString())
        return value.toString();
    if (ScriptEngine::isHostObject(value))
        return Norvane::FromTarget(ScriptEngine::unwrap(value));
    if (value.isArray())
    {
        QVariantList list;
        const int n = value.property(QStringLiteral("length")).toInt();
        for (int k = 0; k < n; ++k)
            list << toParamVariant(value.property(static_cast<quint32>(k)));
        return list;
    }
    return QVariant();
}
