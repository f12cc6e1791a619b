#include "SceneView.h"

#include "HostCore.h"
#include "INode.h"
#include "MtlBase.h"

#include <QHeaderView>

#include <algorithm>
#include <vector>

namespace Norvane
{
namespace
{

QString positionText(const Point3& p)
{
    return QStringLiteral("%1, %2, %3").arg(p.x, 0, 'g', 6).arg(p.y, 0, 'g', 6).arg(p.z, 0, 'g', 6);
}

} // namespace

SceneView::SceneView(QWidget* parent) :
    QTreeWidget(parent)
{
    setObjectName(QStringLiteral("sceneList"));
    setColumnCount(3);
    setHeaderLabels({ QStringLiteral("Node"), QStringLiteral("Material"), QStringLiteral("Position") });
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { takeSelection(); });
}

void SceneView::refresh()
{
    refreshing_ = true;
    clear();
    Scene& scene = Host().GetScene();
    const std::vector<INode*>& selection = scene.Selection();
    for (INode* node : scene.Nodes())
    {
        Mtl* material = node->GetMtl();
        auto* item = new QTreeWidgetItem(this, { WStr(node->GetName()).ToQString(),
                                                 material ? material->GetName().ToQString() : QString(),
                                                 positionText(node->GetPosition()) });
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(node)));
        item->setSelected(std::find(selection.begin(), selection.end(), node) != selection.end());
    }
    refreshing_ = false;
}

void SceneView::takeSelection()
{
    if (refreshing_)
        return;
    std::vector<INode*> nodes;
    // Row order is scene order, which is the order a selection made here has.
    for (int i = 0; i < topLevelItemCount(); ++i)
    {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->isSelected())
            nodes.push_back(static_cast<INode*>(item->data(0, Qt::UserRole).value<void*>()));
    }
    Host().GetScene().SetSelection(nodes);
}

} // namespace Norvane
