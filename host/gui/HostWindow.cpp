#include "HostWindow.h"

#include "CommandPanel.h"
#include "MaterialInspector.h"
#include "SceneView.h"
#include "SlotView.h"

#include "ClassDesc.h"
#include "Hold.h"
#include "HostCore.h"
#include "INode.h"
#include "MtlBase.h"
#include "Object.h"
#include "ParamBlock2.h"
#include "Teapot.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QSplitter>

namespace Norvane
{
namespace
{

std::vector<PluginClassInfo> utilitiesOf(PluginLoader& plugins)
{
    std::vector<PluginClassInfo> utilities;
    for (const auto& module : plugins.modules())
        for (const PluginClassInfo& c : module->classes())
            if (c.superClassID == UTILITY_CLASS_ID && c.desc && c.desc->IsPublic())
                utilities.push_back(c);
    return utilities;
}

const QString SCENE_FILTER = QStringLiteral("Norvane scene (*.nvs *.json);;All files (*)");

} // namespace

HostWindow::HostWindow(PluginLoader& plugins, QWidget* parent) :
    QMainWindow(parent)
{
    setObjectName(QStringLiteral("norvaneWindow"));
    setWindowTitle(QStringLiteral("Norvane"));
    scene_ = new SceneView(this);
    slots_ = new SlotView(this);
    commands_ = new CommandPanel(this);
    commands_->setUtilities(utilitiesOf(plugins));
    commands_->setMinimumWidth(340);
    inspector_ = new MaterialInspector(this);

    // The slots take the whole width below, so their swatches are large enough to tell apart.
    auto* top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(scene_);
    top->addWidget(inspector_);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    auto* left = new QSplitter(Qt::Vertical, this);
    left->addWidget(top);
    left->addWidget(slots_);
    left->setStretchFactor(0, 2);
    left->setStretchFactor(1, 3);
    // Stretch factors share only the room beyond the size hints; these share it all.
    top->setSizes({ 340, 350 });
    left->setSizes({ 340, 530 });
    auto* main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(left);
    main->addWidget(commands_);
    main->setStretchFactor(0, 1);
    main->setStretchFactor(1, 0);
    setCentralWidget(main);

    // The inspector shows what was chosen last: a slot, or the one selected node's material.
    connect(slots_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (MtlBase* held = Host().Editor().Slot(row * SlotView::COLUMNS + column))
            inspector_->setObject(held);
    });
    connect(scene_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (Mtl* m = selectedMaterial())
            inspector_->setObject(m);
    });

    buildMenus();
    resize(1100, 900);
    QPointer<HostWindow> self(this);
    Host().OnRedraw([self] {
        if (self)
            self->refresh();
    });
    refresh();
}

HostWindow::~HostWindow()
{
    // The utility's page must leave while the window still stands, and go
    // for good even when no event loop runs any more.
    commands_->closeUtility();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void HostWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&New Scene"), this, [this] {
        Host().NewScene();
        refresh();
    });
    file->addAction(
        QStringLiteral("&Open Scene..."), this, [this] { sceneFile(false); }, QKeySequence::Open);
    file->addAction(
        QStringLiteral("&Save Scene..."), this, [this] { sceneFile(true); }, QKeySequence::Save);
    file->addSeparator();
    file->addAction(
        QStringLiteral("&Quit"), this, [this] { close(); }, QKeySequence::Quit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = edit->addAction(
        QStringLiteral("&Undo"), this, [] { Host().Undo(); }, QKeySequence::Undo);
    redo_ = edit->addAction(
        QStringLiteral("&Redo"), this, [] { Host().Redo(); }, QKeySequence::Redo);

    QMenu* create = menuBar()->addMenu(QStringLiteral("&Create"));
    create->addAction(QStringLiteral("&Teapot"), this, [this] { createTeapot(); });
}

Mtl* HostWindow::selectedMaterial() const
{
    const QList<QTreeWidgetItem*> rows = scene_->selectedItems();
    if (rows.size() != 1)
        return nullptr;
    auto* node = static_cast<INode*>(rows[0]->data(0, Qt::UserRole).value<void*>());
    return node ? node->GetMtl() : nullptr;
}

void HostWindow::refresh()
{
    scene_->refresh();
    slots_->refresh();
    // A scene opened with one node selected shows that node's material at once.
    if (!inspector_->object())
        inspector_->setObject(selectedMaterial());
    else
        inspector_->refresh();
    const QString undoName = theHold.UndoName().ToQString();
    const QString redoName = theHold.RedoName().ToQString();
    undo_->setEnabled(theHold.UndoCount() > 0);
    undo_->setText(undoName.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + undoName);
    redo_->setEnabled(theHold.RedoCount() > 0);
    redo_->setText(redoName.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + redoName);
}

bool HostWindow::openUtility(const QString& className)
{
    const int index = commands_->findUtility(className);
    return commands_->openUtility(index >= 0 ? index : 0);
}

QString HostWindow::openUtilityName() const
{
    return commands_->openName();
}

bool HostWindow::saveScreenshot(const QString& path)
{
    show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    return grab().save(path, "PNG");
}

void HostWindow::sceneFile(bool save)
{
    const QString title = save ? QStringLiteral("Save Scene") : QStringLiteral("Open Scene");
    const QString path = save ? QFileDialog::getSaveFileName(this, title, QString(), SCENE_FILTER)
                              : QFileDialog::getOpenFileName(this, title, QString(), SCENE_FILTER);
    if (path.isEmpty())
        return;
    QString error;
    if (!(save ? Host().SaveScene(path, &error) : Host().LoadScene(path, &error)))
        QMessageBox::warning(this, title, error);
    refresh();
}

// A teapot node beside the last one, so there is something to put materials on.
void HostWindow::createTeapot()
{
    auto* teapot = static_cast<Object*>(Host().CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    if (!teapot)
        return;
    theHold.Begin();
    const int count = Host().GetScene().NodeCount();
    INode* node = Host().CreateObjectNode(teapot, (L"Teapot" + std::to_wstring(count + 1)).c_str());
    if (node)
        node->Move(0, Matrix3(), Point3(60.0f * static_cast<float>(count), 0.0f, 0.0f));
    theHold.Accept(L"Create Teapot");
    Host().RedrawViews(Host().GetTime());
}

} // namespace Norvane
