#pragma once
// The utility panel: its form, and the handlers of its buttons and options.

#include "plugin/PluginState.h"

#include <memory>
#include <string>
#include <vector>

class QWidget;
class Ui_PluginRollup;

namespace rozo
{
class MaterialSet;

class PanelOperations : public virtual PluginState
{
  public:
    PanelOperations();
    ~PanelOperations() override;

    void onImport();
    void onExport();
    void onOptionChanged();
    void onBrowseLibrary();
    void onLaunchViewer();
    /// The viewer program beside the plug-in; it need not exist.
    mx::FilePath viewerProgram() const;

    /// The panel while it is open, else null; the host's panel owns it.
    QWidget* panelWidget = nullptr;
    const std::unique_ptr<Ui_PluginRollup> form;
    IUtil* utilityHost = nullptr;

  protected:
    // The runs the panel's buttons start.
    virtual bool importMaterials(const std::string& path, std::vector<Mtl*>& materials) = 0;
    virtual void exportMaterials(WStr fileName, const MaterialSet& materialSet) = 0;
};
} // namespace rozo
