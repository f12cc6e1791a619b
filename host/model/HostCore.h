#pragma once
// The stand-alone host: the core interface the plug-in sees, and the model API
// that the host's own front ends (script engine, window, tests) drive.
#include "DialogProvider.h"
#include "Interface.h"
#include "MaterialEditor.h"
#include "Scene.h"
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class MtlBaseLib;

namespace Norvane
{

class HostCore : public Interface
{
  public:
    static HostCore& Instance();
    ~HostCore() override;

    // ---- Interface ----
    void* CreateInstance(SClass_ID superClassID, const Class_ID& classID) override;
    int GetSelNodeCount() override;
    INode* GetSelNode(int i) override;
    void SelectNode(INode* node, int clearSel = 1) override;
    void DeselectNode(INode* node) override;
    void ClearNodeSelection(bool redraw = true) override;
    INode* GetINodeByName(const wchar_t* name) override;
    INode* CreateObjectNode(Object* obj, const wchar_t* name) override;
    INode* CreateObjectNode(Object* obj) override;
    void DeleteNode(INode* node, bool redraw = true) override;
    TimeValue GetTime() override { return time_; }
    void SetTime(TimeValue t, bool redraw = true) override;
    bool GetAnimateMode() override { return animate_; }
    void SetAnimateMode(bool on) override { animate_ = on; }
    void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, ReferenceTarget* change = nullptr) override;
    void ForceCompleteRedraw(bool doDisabled = true) override;
    void PutMtlToMtlEditor(MtlBase* mtl, int slot) override;
    MtlBase* GetMtlSlot(int slot) override;
    int LoadMaterialLib(const wchar_t* name, MtlBaseLib* lib = nullptr) override;
    int SaveMaterialLib(const wchar_t* name, MtlBaseLib* lib = nullptr) override;
    MtlBaseLib& GetMaterialLibrary() override { return *library_; }
    WStr GetCurMaterialLibraryPath() override { return WStr::FromQString(libraryPath_); }
    QWidget* GetMainWindow() override { return mainWindow_; }
    bool DoOpenFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                          const FilterList& filters) override;
    bool DoSaveFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                          const FilterList& filters) override;
    void WarningBox(QWidget* parent, const WStr& title, const WStr& text) override;
    WStr GetCurFilePath() override { return WStr::FromQString(scenePath_); }

    // ---- model API ----
    Scene& GetScene() { return scene_; }
    MaterialEditor& Editor() { return editor_; }

    // Undo and redo of whole steps.
    bool Undo();
    bool Redo();

    // Scene files. Load replaces the scene only when the whole file reads;
    // otherwise `error` names the file and the cause and the scene stays.
    bool SaveScene(const QString& path, QString* error = nullptr);
    bool LoadScene(const QString& path, QString* error = nullptr);
    // An empty scene: no nodes, empty slots, time 0, no undo history. Objects
    // held only by the current material library survive.
    void NewScene();

    // Material library files, into or from `lib` (the current library when none).
    bool LoadLibrary(const QString& path, MtlBaseLib* lib = nullptr, QString* error = nullptr);
    bool SaveLibrary(const QString& path, MtlBaseLib* lib = nullptr, QString* error = nullptr);

    // The message of the last failed file operation.
    QString LastError() const { return lastError_; }

    // Dialogs: headless hosts answer from a queue (the default), window
    // sessions install a QtDialogProvider.
    void SetDialogProvider(std::unique_ptr<DialogProvider> provider);
    DialogProvider& Dialogs() { return *dialogs_; }
    // The queued provider when it is the current one, none otherwise.
    QueuedDialogProvider* QueuedDialogs() { return dynamic_cast<QueuedDialogProvider*>(dialogs_.get()); }

    void SetMainWindow(QWidget* w) { mainWindow_ = w; }
    float UIScaleFactor() const { return uiScale_; }
    void SetUIScaleFactor(float s) { uiScale_ = s > 0.0f ? s : 1.0f; }
    int RedrawCount() const { return redraws_; }
    // Called at every redraw request (a window repaints its views).
    void OnRedraw(std::function<void()> listener) { redrawListeners_.push_back(std::move(listener)); }

    // Objects reachable from the scene, the editor slots and the library.
    int ReachableObjectCount();

  private:
    HostCore();
    // Notes a failed file operation for LastError and `error`; answers false.
    bool Fail(QString* error, const QString& why);
    bool FileDialog(bool save, QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                    const FilterList& filters);
    Scene scene_;
    MaterialEditor editor_;
    MtlBaseLib* library_;
    QString libraryPath_;
    QString scenePath_;
    QString lastError_;
    std::unique_ptr<DialogProvider> dialogs_;
    QWidget* mainWindow_ = nullptr;
    TimeValue time_ = 0;
    bool animate_ = false;
    float uiScale_ = 1.0f;
    int redraws_ = 0;
    std::vector<std::function<void()>> redrawListeners_;
};

// Shorthand for HostCore::Instance().
inline HostCore& Host()
{
    return HostCore::Instance();
}

} // namespace Norvane
