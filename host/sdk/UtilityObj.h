#pragma once
// Utility plug-ins and the panel they show in.
#include "NorvaneTypes.h"
#include "WStr.h"

class Interface;
class QWidget;

constexpr int ROLLUP_CAT_STANDARD = 4000;

// The host's utility panel, handed to a utility when it opens.
class IUtil
{
  public:
    virtual ~IUtil() = default;
    // Adds `page` as a rollup page titled `title`; answers its index. The panel
    // takes the widget into its layout; the caller keeps ownership.
    virtual int AddRollupPage(QWidget* page, const WStr& title, DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) = 0;
    // Takes the page off the panel (the widget is deleted later by the panel).
    virtual void DeleteRollupPage(QWidget* page) = 0;
    // Closes the current utility (the host then calls its EndEditParams).
    virtual void CloseUtility() {}
};

class UtilityObj
{
  public:
    virtual ~UtilityObj() = default;
    virtual void BeginEditParams(Interface* ip, IUtil* iu) = 0;
    virtual void EndEditParams(Interface* ip, IUtil* iu) = 0;
    virtual void SelectionSetChanged(Interface* ip, IUtil* iu) {}
    virtual void DeleteThis() = 0;
    virtual void SetStartupParam(WStr param) {}
    virtual void TimeChanged(TimeValue t) {}
    virtual void UnitsChanged(int unitType) {}
};
