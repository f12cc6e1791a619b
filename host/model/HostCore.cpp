#include "HostCore.h"

#include "ClassRegistry.h"
#include "Hold.h"
#include "INode.h"
#include "LiveObjects.h"
#include "MtlBase.h"
#include "ObjectArchive.h"

namespace Norvane
{

HostCore& HostCore::Instance()
{
    static HostCore host;
    return host;
}

HostCore::HostCore() :
    library_(new MtlBaseLib()),
    dialogs_(std::make_unique<QueuedDialogProvider>())
{
    LiveObjects::Instance().Pin(library_);
}

HostCore::~HostCore()
{
    theHold.ClearHistory();
    scene_.Clear();
    editor_.Clear();
    library_->DeleteThis();
    LiveObjects::Instance().DeleteAll();
}

bool HostCore::Fail(QString* error, const QString& why)
{
    lastError_ = why;
    if (error)
        *error = why;
    // The caller shows it; the debug channel stays the plug-ins'.
    return false;
}

void* HostCore::CreateInstance(SClass_ID superClassID, const Class_ID& classID)
{
    return ClassRegistry::Instance().Create(superClassID, classID, false);
}

int HostCore::GetSelNodeCount()
{
    return static_cast<int>(scene_.Selection().size());
}

INode* HostCore::GetSelNode(int i)
{
    const auto& sel = scene_.Selection();
    return i >= 0 && i < static_cast<int>(sel.size()) ? sel[static_cast<size_t>(i)] : nullptr;
}

void HostCore::SelectNode(INode* node, int clearSel)
{
    scene_.Select(node, clearSel != 0);
}

void HostCore::DeselectNode(INode* node)
{
    scene_.Deselect(node);
}

void HostCore::ClearNodeSelection(bool)
{
    scene_.ClearSelection();
}

INode* HostCore::GetINodeByName(const wchar_t* name)
{
    return scene_.FindNode(WStr(name));
}

INode* HostCore::CreateObjectNode(Object* obj, const wchar_t* name)
{
    return scene_.CreateNode(obj, WStr(name));
}

INode* HostCore::CreateObjectNode(Object* obj)
{
    WStr name;
    name.printf(L"Object%03d", scene_.NodeCount() + 1);
    return scene_.CreateNode(obj, name);
}

void HostCore::DeleteNode(INode* node, bool)
{
    scene_.RemoveNode(node);
}

void HostCore::SetTime(TimeValue t, bool redraw)
{
    time_ = t;
    if (redraw)
        RedrawViews(t);
}

void HostCore::RedrawViews(TimeValue, DWORD, ReferenceTarget*)
{
    ++redraws_;
    for (const auto& listener : redrawListeners_)
        listener();
}

void HostCore::ForceCompleteRedraw(bool)
{
    RedrawViews(time_);
}

void HostCore::PutMtlToMtlEditor(MtlBase* mtl, int slot)
{
    editor_.Put(slot, mtl);
}

MtlBase* HostCore::GetMtlSlot(int slot)
{
    return editor_.Slot(slot);
}

int HostCore::LoadMaterialLib(const wchar_t* name, MtlBaseLib* lib)
{
    return LoadLibrary(QString::fromWCharArray(name ? name : L""), lib, nullptr) ? 1 : 0;
}

int HostCore::SaveMaterialLib(const wchar_t* name, MtlBaseLib* lib)
{
    return SaveLibrary(QString::fromWCharArray(name ? name : L""), lib, nullptr) ? 1 : 0;
}

bool HostCore::FileDialog(bool save, QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                          const FilterList& filters)
{
    QString file = fileName.ToQString(), folder = initialDir.ToQString();
    const QString filter = filters.ToQtFilter().ToQString();
    const bool chosen = save ? dialogs_->SaveFile(parent, title.ToQString(), file, folder, filter)
                             : dialogs_->OpenFile(parent, title.ToQString(), file, folder, filter);
    if (!chosen)
        return false;
    fileName = WStr::FromQString(file);
    initialDir = WStr::FromQString(folder);
    return true;
}

bool HostCore::DoOpenFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                                const FilterList& filters)
{
    return FileDialog(false, parent, title, fileName, initialDir, filters);
}

bool HostCore::DoSaveFileDialog(QWidget* parent, const WStr& title, WStr& fileName, WStr& initialDir,
                                const FilterList& filters)
{
    return FileDialog(true, parent, title, fileName, initialDir, filters);
}

void HostCore::WarningBox(QWidget* parent, const WStr& title, const WStr& text)
{
    dialogs_->Warning(parent, title.ToQString(), text.ToQString());
}

bool HostCore::Undo()
{
    const bool done = theHold.Undo();
    if (done)
        RedrawViews(time_);
    return done;
}

bool HostCore::Redo()
{
    const bool done = theHold.Redo();
    if (done)
        RedrawViews(time_);
    return done;
}

void HostCore::SetDialogProvider(std::unique_ptr<DialogProvider> provider)
{
    if (provider)
        dialogs_ = std::move(provider);
}

int HostCore::ReachableObjectCount()
{
    std::set<ReferenceTarget*> seen;
    for (int i = 0; i < scene_.NumRefs(); ++i)
        CollectReachable(scene_.GetReference(i), seen);
    for (int i = 0; i < editor_.NumRefs(); ++i)
        CollectReachable(editor_.GetReference(i), seen);
    CollectReachable(library_, seen);
    return static_cast<int>(seen.size());
}

} // namespace Norvane

Interface* GetCOREInterface()
{
    return &Norvane::HostCore::Instance();
}

float GetUIScaleFactor(int)
{
    return Norvane::HostCore::Instance().UIScaleFactor();
}
