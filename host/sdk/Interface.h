#pragma once
// The host's core interface: object creation, scene, time, material editor and
// library, dialogs. Reached through GetCOREInterface().
#include "ClassID.h"
#include "Geometry.h"
#include "NorvaneTypes.h"
#include "Tab.h"
#include "WStr.h"
#include <vector>

class INode;
class Mtl;
class MtlBase;
class MtlBaseLib;
class Object;
class QWidget;
class ReferenceTarget;

constexpr int NUM_MATERIAL_EDITOR_SLOTS = 24;

// Redraw flags.
constexpr DWORD REDRAW_BEGIN = 1 << 0;
constexpr DWORD REDRAW_INTERACTIVE = 1 << 1;
constexpr DWORD REDRAW_END = 1 << 2;
constexpr DWORD REDRAW_NORMAL = 1 << 3; // 8

// File-type filters of a file dialog: pairs of description and pattern.
class FilterList
{
  public:
    // Appends a description and its pattern ("MaterialX", "*.mtlx").
    void Append(const WStr& description, const WStr& pattern)
    {
        descriptions_.push_back(description);
        patterns_.push_back(pattern);
    }
    // Appends one text: descriptions and patterns alternate.
    void Append(const wchar_t* text)
    {
        if (pending_)
        {
            patterns_.push_back(WStr(text));
            pending_ = false;
        }
        else
        {
            descriptions_.push_back(WStr(text));
            pending_ = true;
        }
    }
    int Count() const { return static_cast<int>(patterns_.size()); }
    const WStr& Description(int i) const { return descriptions_[static_cast<size_t>(i)]; }
    const WStr& Pattern(int i) const { return patterns_[static_cast<size_t>(i)]; }
    // The filters in Qt's form: "MaterialX (*.mtlx);;All (*)".
    WStr ToQtFilter() const
    {
        WStr out;
        for (int i = 0; i < Count(); ++i)
        {
            if (i > 0)
                out += L";;";
            out += descriptions_[static_cast<size_t>(i)] + L" (" + patterns_[static_cast<size_t>(i)] + L")";
        }
        return out;
    }

  private:
    std::vector<WStr> descriptions_;
    std::vector<WStr> patterns_;
    bool pending_ = false;
};

class Interface
{
  public:
    virtual ~Interface() = default;

    // Objects: a new instance of a registered class, none for an unknown class.
    virtual void* CreateInstance(SClass_ID superClassID, const Class_ID& classID) = 0;

    // Scene and selection (selection order).
    virtual int GetSelNodeCount() = 0;
    virtual INode* GetSelNode(int i) = 0;
    virtual void SelectNode(INode* node, int clearSel = 1) = 0;
    virtual void DeselectNode(INode* node) = 0;
    virtual void ClearNodeSelection(bool redraw = true) = 0;
    virtual INode* GetINodeByName(const wchar_t* name) = 0;
    // A new scene node named `name` showing `obj` (undoable).
    virtual INode* CreateObjectNode(Object* obj, const wchar_t* name) = 0;
    virtual INode* CreateObjectNode(Object* obj) = 0;
    virtual void DeleteNode(INode* node, bool redraw = true) = 0;

    // Time and animation.
    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t, bool redraw = true) = 0;
    virtual bool GetAnimateMode() = 0;
    virtual void SetAnimateMode(bool on) = 0;

    // Views.
    virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, ReferenceTarget* change = nullptr) = 0;
    virtual void ForceCompleteRedraw(bool doDisabled = true) = 0;

    // Material editor (slots 0 to 23).
    virtual void PutMtlToMtlEditor(MtlBase* mtl, int slot) = 0;
    virtual MtlBase* GetMtlSlot(int slot) = 0;

    // Material libraries. Load replaces `lib` (the current library when none)
    // with the file's materials; both answer non-zero on success.
    virtual int LoadMaterialLib(const wchar_t* name, MtlBaseLib* lib = nullptr) = 0;
    virtual int SaveMaterialLib(const wchar_t* name, MtlBaseLib* lib = nullptr) = 0;
    virtual MtlBaseLib& GetMaterialLibrary() = 0;
    virtual WStr GetCurMaterialLibraryPath() = 0;

    // The main window, none when the host runs without a window.
    virtual QWidget* GetMainWindow() = 0;

    // Modal file dialogs. `fileName` and `initialDir` go in and come back
    // changed; false when the user cancels.
    virtual bool DoOpenFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                                  const FilterList& filters) = 0;
    virtual bool DoSaveFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                                  const FilterList& filters) = 0;
    // A modal warning box with an Ok button.
    virtual void WarningBox(QWidget* parent, const WStr& title, const WStr& text) = 0;

    // Scene files.
    virtual WStr GetCurFilePath() = 0;
};

// The host's one core interface.
Interface* GetCOREInterface();

// Scale of the user interface on a monitor (-1: the main one); 1.0 at 96 dpi.
float GetUIScaleFactor(int monitorIndex = -1);
