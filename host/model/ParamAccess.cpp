#include "ParamAccess.h"

#include "MtlBase.h"
#include "ParamBlock2.h"

namespace Norvane
{
ParamLocation FindParam(Animatable* owner, const QString& name, int blockIndex)
{
    ParamLocation at;
    if (!owner)
        return at;
    const WStr wide = WStr::FromQString(name);
    const int first = blockIndex < 0 ? 0 : blockIndex;
    const int last = blockIndex < 0 ? owner->NumParamBlocks() - 1 : blockIndex;
    for (int b = first; b <= last; ++b)
    {
        IParamBlock2* pb = owner->GetParamBlock(b);
        if (!pb)
            continue;
        const int index = pb->GetDesc()->NameToIndex(wide);
        if (index < 0)
            continue;
        at.block = pb;
        at.id = pb->IndextoID(index);
        at.type = pb->GetParameterType(at.id);
        return at;
    }
    return at;
}

QStringList ParamNames(Animatable* owner, int blockIndex)
{
    QStringList names;
    if (!owner)
        return names;
    for (int b = 0; b < owner->NumParamBlocks(); ++b)
    {
        if (blockIndex >= 0 && b != blockIndex)
            continue;
        if (IParamBlock2* pb = owner->GetParamBlock(b))
            for (const ParamDef& d : pb->GetDesc()->paramdefs)
                names << d.int_name.ToQString();
    }
    return names;
}

namespace
{
bool IsAscii(const WStr& s)
{
    for (const wchar_t* c = s.data(); *c; ++c)
        if (static_cast<unsigned long>(*c) > 0x7F)
            return false;
    return true;
}
} // namespace

void ForEachParam(Animatable* owner, const std::function<void(const ParamDef&, const ParamLocation&)>& visit)
{
    if (!owner)
        return;
    const int blocks = owner->NumParamBlocks();
    for (int b = 0; b < blocks; ++b)
    {
        IParamBlock2* pb = owner->GetParamBlock(b);
        if (!pb)
            continue;
        const ParamBlockDesc2* desc = pb->GetDesc();
        for (int index = 0; index < static_cast<int>(desc->paramdefs.size()); ++index)
        {
            const ParamDef& d = desc->paramdefs[static_cast<size_t>(index)];
            // Names outside ASCII go the way of ParamNames and FindParam, through
            // QString, so that one that does not convert back is treated alike.
            bool first = IsAscii(d.int_name) && desc->NameToIndex(d.int_name) == index;
            for (int earlier = 0; first && earlier < b; ++earlier)
            {
                IParamBlock2* other = owner->GetParamBlock(earlier);
                first = !other || other->GetDesc()->NameToIndex(d.int_name) < 0;
            }
            if (first)
            {
                ParamLocation at;
                at.block = pb;
                at.id = pb->IndextoID(index);
                at.type = pb->GetParameterType(at.id);
                visit(d, at);
            }
            else
            {
                visit(d, FindParam(owner, d.int_name.ToQString()));
            }
        }
    }
}

QVariant GetParam(Animatable* owner, const QString& name, TimeValue t, int tabIndex, int blockIndex)
{
    return GetParam(FindParam(owner, name, blockIndex), t, tabIndex);
}

QVariant GetParam(const ParamLocation& at, TimeValue t, int tabIndex)
{
    if (!at || tabIndex < 0 || tabIndex >= at.block->Count(at.id))
        return QVariant();
    IParamBlock2* pb = at.block;
    if (IsFloatParamType(at.type))
        return static_cast<double>(pb->GetFloat(at.id, t, tabIndex));
    if (BaseParamType(at.type) == TYPE_BOOL)
        return pb->GetInt(at.id, t, tabIndex) != 0;
    if (IsIntParamType(at.type))
        return pb->GetInt(at.id, t, tabIndex);
    if (int n = ParamTypeComponents(at.type))
    {
        const Point4 p = n == 2   ? [&] { Point2 q = pb->GetPoint2(at.id, t, tabIndex); return Point4(q.x, q.y, 0, 0); }()
                         : n == 3 ? [&] { Point3 q = pb->GetPoint3(at.id, t, tabIndex); return Point4(q.x, q.y, q.z, 0); }()
                                  : pb->GetPoint4(at.id, t, tabIndex);
        QVariantList list;
        for (int k = 0; k < n; ++k)
            list << static_cast<double>(p[k]);
        return list;
    }
    if (IsStringParamType(at.type))
        return QString::fromWCharArray(pb->GetStr(at.id, t, tabIndex));
    if (IsReferenceParamType(at.type))
        return FromTarget(pb->GetReferenceTarget(at.id, t, tabIndex));
    return QVariant();
}

bool SetParam(Animatable* owner, const QString& name, const QVariant& value, TimeValue t, int tabIndex, int blockIndex)
{
    const ParamLocation at = FindParam(owner, name, blockIndex);
    if (!at || !value.isValid())
        return false;
    IParamBlock2* pb = at.block;
    bool ok = false;
    if (IsFloatParamType(at.type))
    {
        const double d = value.toDouble(&ok);
        return ok && pb->SetValue(at.id, t, static_cast<float>(d), tabIndex);
    }
    if (IsIntParamType(at.type))
    {
        const int i = value.type() == QVariant::Bool ? (value.toBool() ? 1 : 0) : value.toInt(&ok);
        return (ok || value.type() == QVariant::Bool) && pb->SetValue(at.id, t, i, tabIndex);
    }
    if (int n = ParamTypeComponents(at.type))
    {
        const QVariantList list = value.toList();
        // A colour with alpha also takes red, green and blue alone (opaque).
        const bool opaque = BaseParamType(at.type) == TYPE_FRGBA && list.size() == 3;
        if (list.size() < n && !opaque)
            return false;
        float f[4] = { 0, 0, 0, 1 };
        for (int k = 0; k < (opaque ? 3 : n); ++k)
        {
            f[k] = static_cast<float>(list[k].toDouble(&ok));
            if (!ok)
                return false;
        }
        if (n == 2)
            return pb->SetValue(at.id, t, Point2(f[0], f[1]), tabIndex);
        if (n == 3)
            return pb->SetValue(at.id, t, Point3(f[0], f[1], f[2]), tabIndex);
        return pb->SetValue(at.id, t, Point4(f[0], f[1], f[2], f[3]), tabIndex);
    }
    if (IsStringParamType(at.type))
        return value.canConvert<QString>() && pb->SetValue(at.id, t, WStr::FromQString(value.toString()), tabIndex);
    if (IsReferenceParamType(at.type))
        return value.canConvert<void*>() && pb->SetValue(at.id, t, ToTarget(value), tabIndex);
    return false;
}

} // namespace Norvane
