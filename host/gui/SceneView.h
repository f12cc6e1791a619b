#pragma once
// The scene list: each node with its material and position. Selecting rows
// selects the nodes in the host's scene.
#include <QTreeWidget>

class INode;

namespace Norvane
{

class SceneView : public QTreeWidget
{
  public:
    explicit SceneView(QWidget* parent = nullptr);
    // Rebuilds the rows from the scene and its selection.
    void refresh();

  private:
    void takeSelection();
    bool refreshing_ = false;
};

} // namespace Norvane
