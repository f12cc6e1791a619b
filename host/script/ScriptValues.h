#pragma once
// Small helpers shared by the script objects.

#include <QJSValue>
#include <QString>
#include <QVariant>

#include "Hold.h"
#include "NorvaneTypes.h"

// One undo step for a script call that changes the model, unless the change
// already belongs to an open record (an import, a larger script step).
class ScriptStep
{
  public:
    explicit ScriptStep(const wchar_t* name) :
        name_(name),
        own_(!theHold.Holding() && !theHold.RestoreOrRedoing())
    {
        if (own_)
            theHold.Begin();
    }
    ~ScriptStep()
    {
        if (own_)
            theHold.Accept(name_);
    }
    ScriptStep(const ScriptStep&) = delete;
    ScriptStep& operator=(const ScriptStep&) = delete;

  private:
    const wchar_t* name_;
    bool own_;
};

// What scripts call a class family: "material", "map", "node", "geometry",
// "utility", else "object".
QString familyName(SClass_ID family);

// A script value as the host model takes parameter values: numbers, booleans,
// texts, lists of numbers, host objects (null empties a map slot).
QVariant toParamVariant(const QJSValue& value);
