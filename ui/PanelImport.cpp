// The panel's import button: import a document, then place the new materials
// on the selection (with teapots for the rest), in the editor and in a library.

#include "ui/Panel.h"

#include "plugin/MtlXIOUtil.h"
#include "ui_PluginRollup.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"
#include "plugin/StringTable.h"
#include "ui/PanelDialogs.h"

namespace rozo
{
namespace
{
constexpr float TEAPOT_RADIUS = 20.0f;
constexpr float TEAPOT_SPACING = 50.0f;
const wchar_t* const TEAPOT_PREFIX = L"Teapot_MtlX_";
const wchar_t* const TEAPOT_WARNING = L"More materials imported than objects selected. Teapot(s) created.";

/// Gives the selection the materials in turn; teapots carry those left over.
void placeOnSelection(Interface* ip, QProgressBar* progress, QWidget* panel, const std::vector<Mtl*>& materials)
{
    const int n = static_cast<int>(materials.size());
    const int k = ip->GetSelNodeCount();
    for (int i = 0; i < k; ++i)
    {
        if (INode* node = ip->GetSelNode(i))
            node->SetMtl(materials[static_cast<size_t>(i % n)]);
        progress->setValue(i);
    }
    if (k >= n)
        return;

    auto* teapot = static_cast<Object*>(ip->CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    if (!teapot)
        return;
    if (IParamBlock2* block = teapot->GetParamBlock(0))
        setFloatByName(block, "radius", TEAPOT_RADIUS);
    // Every teapot shows the one object; the offset follows the material's index.
    for (int j = k; j < n; ++j)
    {
        Mtl* material = materials[static_cast<size_t>(j)];
        const WStr name = WStr(TEAPOT_PREFIX) + material->GetName();
        INode* node = ip->CreateObjectNode(teapot, name.data());
        if (node)
        {
            node->Move(0, Matrix3(), Point3(0.0f, TEAPOT_SPACING * static_cast<float>(j), 0.0f), false, true,
                       PIV_NONE, false);
            node->SetMtl(material);
        }
        progress->setValue(j);
    }
    ip->WarningBox(panel, WStr(IMPORT_TITLE), WStr(TEAPOT_WARNING));
}

/// Adds the materials to the current library; saves it only when the file loaded.
void addMaterialsToLibrary(Interface* ip, const QString& path, const std::vector<Mtl*>& materials)
{
    const WStr file = WStr::FromQString(path);
    const bool loaded = ip->LoadMaterialLib(file.data(), nullptr) != 0;
    MtlBaseLib& library = ip->GetMaterialLibrary();
    for (Mtl* material : materials)
        library.Add(material);
    if (loaded)
        ip->SaveMaterialLib(file.data(), &library);
}
} // namespace

void Panel::onImport()
{
    static DialogMemory memory;
    Interface* ip = GetCOREInterface();
    if (!ip->DoOpenFileDialog(ip->GetMainWindow(), WStr(DIALOG_TITLE), memory.fileName, memory.folder,
                              materialXFilter()))
        return;

    form_->progressBar->show();
    const bool recordUndo = !theHold.RestoreOrRedoing();
    if (recordUndo)
        theHold.Begin();

    std::vector<Mtl*> materials;
    util_.importMaterials(toUtf8(memory.fileName), materials);
    const int n = static_cast<int>(materials.size());
    warnWithLog(panelWidget_, IMPORT_TITLE, util_.lastLog().text());

    if (n >= 1)
        placeImported(ip, materials);

    if (recordUndo)
    {
        const wchar_t* recordName = getString(IMPORT_NAME_STRING);
        theHold.Accept(recordName ? WStr(recordName) : WStr(L"ImportMtlX"));
    }
    ip->RedrawViews(ip->GetTime(), REDRAW_NORMAL);
    form_->progressBar->hide();
}

// The materials go to the editor's slots, then to the selection, the editor
// and the library as the options say.
void Panel::placeImported(Interface* ip, const std::vector<Mtl*>& materials)
{
    const int n = static_cast<int>(materials.size());
    form_->progressBar->setMaximum(n);
    for (int i = 0; i < n; ++i)
    {
        Interval valid = FOREVER;
        materials[static_cast<size_t>(i)]->Update(ip->GetTime(), valid);
        ip->PutMtlToMtlEditor(materials[static_cast<size_t>(i)], i);
        form_->progressBar->setValue(i);
    }
    if (form_->assignToSelection->isChecked())
        placeOnSelection(ip, form_->progressBar, panelWidget_, materials);
    if (form_->populateMEdit->isChecked())
    {
        for (int i = 0; i < n; ++i)
        {
            ip->PutMtlToMtlEditor(materials[static_cast<size_t>(i)], i);
            form_->progressBar->setValue(i);
        }
    }
    if (form_->makeMtlLib->isChecked())
        addMaterialsToLibrary(ip, form_->mtlLib->text(), materials);
}
} // namespace rozo
