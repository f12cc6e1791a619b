#pragma once
// Parameters by name as Qt values, for front ends that do not know the
// parameter types in advance (the script engine, property panels).
//   float kinds -> double, integers -> int, TYPE_BOOL -> bool,
//   points and colours -> QVariantList of doubles, text -> QString,
//   maps, materials and other references -> ReferenceTarget* as void*.
#include "NorvaneTypes.h"
#include <QStringList>
#include <QVariant>

#include <functional>

class Animatable;
class IParamBlock2;
class ReferenceTarget;
struct ParamDef;

namespace Norvane
{

struct ParamLocation
{
    IParamBlock2* block = nullptr;
    ParamID id = -1;
    int type = 0;
    explicit operator bool() const { return block != nullptr; }
};

// The parameter `name` of `owner`: in block `blockIndex`, or the first block
// that has it when blockIndex is negative.
ParamLocation FindParam(Animatable* owner, const QString& name, int blockIndex = -1);
// Names of the parameters of one block, or of every block in order.
QStringList ParamNames(Animatable* owner, int blockIndex = -1);

// An invalid QVariant when the parameter cannot be read.
QVariant GetParam(Animatable* owner, const QString& name, TimeValue t, int tabIndex = 0, int blockIndex = -1);
// The same for a parameter already found.
QVariant GetParam(const ParamLocation& at, TimeValue t, int tabIndex = 0);
// Every definition of every block in ParamNames order, with the location that
// FindParam gives its name (a repeated name reaches its first definition).
void ForEachParam(Animatable* owner, const std::function<void(const ParamDef&, const ParamLocation&)>& visit);
// False when there is no such parameter or the value does not fit its type. A
// colour with alpha takes three components as well (alpha 1).
bool SetParam(Animatable* owner, const QString& name, const QVariant& value, TimeValue t, int tabIndex = 0,
              int blockIndex = -1);

inline QVariant FromTarget(ReferenceTarget* t)
{
    return QVariant::fromValue(static_cast<void*>(t));
}
inline ReferenceTarget* ToTarget(const QVariant& v)
{
    return static_cast<ReferenceTarget*>(v.value<void*>());
}

} // namespace Norvane
