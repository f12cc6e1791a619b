#pragma once
// The utility panel: its form while it is open, and the handlers of its
// buttons and options. The options live in the utility object's settings;
// the runs the buttons start go through the utility object, which keeps
// their log.

#include <NorvaneSDK.h>

#include <MaterialXFormat/File.h>

#include <QObject>

#include <memory>
#include <vector>

class QWidget;
class Ui_PluginRollup;

namespace mx = MaterialX;

namespace rozo
{
class MtlXIOUtil;

class Panel : public QObject
{
  public:
    explicit Panel(MtlXIOUtil& util);
    ~Panel() override;

    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    /// Builds the form from the settings and adds it to the host's panel.
    void open(IUtil* host);
    /// Takes the form off the host's panel; the settings stay for the next opening.
    void close(IUtil* host);

    void onImport();
    void onExport();
    void onOptionChanged();
    void onBrowseLibrary();
    void onLaunchViewer();
    /// The viewer program beside the plug-in; it need not exist.
    mx::FilePath viewerProgram() const;

    /// The panel while it is open, else null; the host's panel owns it.
    QWidget* panelWidget() const { return panelWidget_; }
    Ui_PluginRollup& form() { return *form_; }
    /// The host's utility panel while the form is on it.
    IUtil* utilityHost() const { return utilityHost_; }

  private:
    void placeImported(Interface* ip, const std::vector<Mtl*>& materials);

    MtlXIOUtil& util_;
    QWidget* panelWidget_ = nullptr;
    const std::unique_ptr<Ui_PluginRollup> form_;
    IUtil* utilityHost_ = nullptr;
};
} // namespace rozo
