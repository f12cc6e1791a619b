// The panel's export button: the materials of the selected objects go to a
// MaterialX document that the user names.

#include "ui/Panel.h"

#include "plugin/MtlXIOUtil.h"
#include "ui_PluginRollup.h"

#include "ui/PanelDialogs.h"

namespace rozo
{
void Panel::onExport()
{
    static DialogMemory memory;
    Interface* ip = GetCOREInterface();
    const int count = ip->GetSelNodeCount();
    if (count == 0)
    {
        ip->WarningBox(panelWidget_, WStr(EXPORT_TITLE), WStr(L"No Objects Selected"));
        return;
    }

    MaterialSet materialSet;
    for (int i = 0; i < count; ++i)
    {
        INode* node = ip->GetSelNode(i);
        if (!node)
            continue;
        if (Mtl* material = node->GetMtl())
            materialSet.insert(material);
    }

    // Numbers are written with a full stop whatever the user's locale.
    const CLocaleGuard locale(LC_ALL, "C");
    if (!ip->DoSaveFileDialog(ip->GetMainWindow(), WStr(DIALOG_TITLE), memory.fileName, memory.folder,
                              materialXFilter()))
        return;

    util_.exportMaterials(WStr(memory.fileName), materialSet);
    warnWithLog(panelWidget_, EXPORT_TITLE, util_.lastLog().text());
}
} // namespace rozo
