#pragma once
// The host's main window: scene list and inspector above the material editor's
// slots on the left, the command panel on the right; scene files, a teapot,
// undo and redo in the menus.
#include <QMainWindow>

class Mtl;
class PluginLoader;
class QAction;

namespace Norvane
{

class CommandPanel;
class MaterialInspector;
class SceneView;
class SlotView;

class HostWindow : public QMainWindow
{
  public:
    explicit HostWindow(PluginLoader& plugins, QWidget* parent = nullptr);
    ~HostWindow() override;

    CommandPanel& commandPanel() { return *commands_; }
    MaterialInspector& inspector() { return *inspector_; }
    // Shows the model's current state: scene, slots, undo and redo names.
    void refresh();
    // Opens the utility of that class (or the first one when absent).
    bool openUtility(const QString& className);
    QString openUtilityName() const;
    // Lays the window out at its size and renders it into a PNG file.
    bool saveScreenshot(const QString& path);

  private:
    void buildMenus();
    void sceneFile(bool save);
    void createTeapot();
    // The material of the one selected node in the scene list, if any.
    Mtl* selectedMaterial() const;
    SceneView* scene_;
    SlotView* slots_;
    CommandPanel* commands_;
    MaterialInspector* inspector_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace Norvane
