// The host's window: the command panel opening and closing a utility's rollup
// pages, the scene list and editor following the model, and the screenshot.

#include "CommandPanel.h"
#include "HostWindow.h"
#include "MaterialInspector.h"
#include "SceneView.h"

#include <ClassDesc.h>
#include <Hold.h>
#include <HostCore.h>
#include <INode.h>
#include <MtlBase.h>
#include <ParamAccess.h>
#include <PluginLoader.h>
#include <Teapot.h>
#include <UtilityObj.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "host-window-test";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

// A utility that shows one labelled page and counts its openings and closings.
class CountingUtility : public UtilityObj
{
  public:
    void BeginEditParams(Interface*, IUtil* iu) override
    {
        ++opened;
        page = new QLabel(QStringLiteral("counting"));
        iu->AddRollupPage(page, WStr(L"Counting Page"));
    }
    void EndEditParams(Interface*, IUtil* iu) override
    {
        ++closed;
        iu->DeleteRollupPage(page);
        page = nullptr;
    }
    void DeleteThis() override {}
    int opened = 0;
    int closed = 0;
    QWidget* page = nullptr;
};

class CountingDesc : public ClassDesc
{
  public:
    int IsPublic() override { return 1; }
    void* Create(bool) override { return &utility; }
    const wchar_t* ClassName() override { return L"Counting"; }
    SClass_ID SuperClassID() override { return UTILITY_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0x1234, 0x5678); }
    const wchar_t* Category() override { return L"Tests"; }
    CountingUtility utility;
};

QStringList pageTitles(QWidget* panel)
{
    QStringList titles;
    for (QGroupBox* frame : panel->findChildren<QGroupBox*>())
        titles << frame->title();
    return titles;
}
} // namespace

class CommandPanelTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ensureApplication();
        PluginClassInfo info;
        info.desc = &desc;
        info.name = L"Counting";
        info.superClassID = UTILITY_CLASS_ID;
        owned = std::make_unique<Norvane::CommandPanel>();
        owned->setUtilities({ info });
        owned->resize(300, 500);
        owned->show();
    }
    CountingDesc desc;
    std::unique_ptr<Norvane::CommandPanel> owned;
    Norvane::CommandPanel& panel() { return *owned; }
};

TEST_F(CommandPanelTest, ChoosingTheUtilityOpensItsPage)
{
    auto* list = panel().findChild<QListWidget*>("utilityList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Counting");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(desc.utility.opened, 1);
    EXPECT_TRUE(panel().isOpen());
    EXPECT_EQ(pageTitles(&panel()), QStringList{ "Counting Page" });
    EXPECT_TRUE(desc.utility.page->isVisible());
}

TEST_F(CommandPanelTest, CloseButtonClosesTheUtilityAndRemovesItsPage)
{
    ASSERT_TRUE(panel().openUtility(0));
    auto* close = panel().findChild<QAbstractButton*>("closeUtility");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(desc.utility.closed, 1);
    EXPECT_FALSE(panel().isOpen());
    EXPECT_TRUE(pageTitles(&panel()).isEmpty());
    EXPECT_TRUE(panel().rollups().Pages().empty());
}

TEST_F(CommandPanelTest, ReopeningClosesFirst)
{
    ASSERT_TRUE(panel().openUtility(0));
    ASSERT_TRUE(panel().openUtility(0));
    EXPECT_EQ(desc.utility.opened, 2);
    EXPECT_EQ(desc.utility.closed, 1);
    EXPECT_EQ(pageTitles(&panel()), QStringList{ "Counting Page" });
    EXPECT_FALSE(panel().openUtility(3));
    EXPECT_EQ(desc.utility.closed, 2);
}

class HostWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ensureApplication();
        Norvane::Host().NewScene();
        window = std::make_unique<Norvane::HostWindow>(plugins);
    }
    void TearDown() override { window.reset(); }

    PluginLoader plugins;
    std::unique_ptr<Norvane::HostWindow> window;
};

TEST_F(HostWindowTest, SceneListAndSlotsFollowTheModel)
{
    Norvane::HostCore& host = Norvane::Host();
    auto* object = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    auto* material = static_cast<Mtl*>(host.CreateInstance(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID));
    ASSERT_NE(material, nullptr);
    material->SetName(L"Shiny");
    theHold.Begin();
    INode* node = host.CreateObjectNode(object, L"Pot");
    node->Move(0, Matrix3(), Point3(1.0f, 2.5f, -3.0f));
    node->SetMtl(material);
    host.PutMtlToMtlEditor(material, 5);
    theHold.Accept(L"Make Pot");
    host.RedrawViews(host.GetTime());

    auto* scene = window->findChild<QTreeWidget*>("sceneList");
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->topLevelItemCount(), 1);
    EXPECT_EQ(scene->topLevelItem(0)->text(0), "Pot");
    EXPECT_EQ(scene->topLevelItem(0)->text(1), "Shiny");
    EXPECT_EQ(scene->topLevelItem(0)->text(2), "1, 2.5, -3");
    auto* editor = window->findChild<QTableWidget*>("materialEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->rowCount() * editor->columnCount(), 24);
    EXPECT_EQ(editor->item(0, 5)->text(), "6\nShiny");
    EXPECT_EQ(editor->item(0, 4)->text(), "5");

    // Undo from the menu takes the step back and the lists follow.
    QAction* undo = nullptr;
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text().startsWith("&Undo"))
            undo = action;
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->text(), "&Undo Make Pot");
    undo->trigger();
    EXPECT_EQ(scene->topLevelItemCount(), 0);
    EXPECT_EQ(editor->item(0, 5)->text(), "6");
}

TEST_F(HostWindowTest, SelectingRowsSelectsNodes)
{
    Norvane::HostCore& host = Norvane::Host();
    auto* object = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    host.CreateObjectNode(object, L"One");
    INode* two = host.CreateObjectNode(object, L"Two");
    host.RedrawViews(host.GetTime());
    auto* scene = window->findChild<QTreeWidget*>("sceneList");
    scene->topLevelItem(1)->setSelected(true);
    ASSERT_EQ(host.GetSelNodeCount(), 1);
    EXPECT_EQ(host.GetSelNode(0), two);
}

TEST_F(HostWindowTest, InspectorShowsTheSelectedNodesMaterial)
{
    Norvane::HostCore& host = Norvane::Host();
    auto* object = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
    auto* material = static_cast<Mtl*>(host.CreateInstance(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID));
    host.CreateObjectNode(object, L"Bare");
    INode* dressed = host.CreateObjectNode(object, L"Dressed");
    dressed->SetMtl(material);
    // Selected in the model (as a loaded scene is): the window shows it when it redraws.
    host.SelectNode(dressed);
    host.RedrawViews(host.GetTime());
    EXPECT_EQ(window->inspector().object(), material);

    // A node without a material leaves the inspector as it was.
    auto* scene = window->findChild<QTreeWidget*>("sceneList");
    scene->clearSelection();
    scene->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(window->inspector().object(), material);
}

TEST_F(HostWindowTest, SlotsShowSwatchesAndTheInspectorEditsWithUndo)
{
    Norvane::HostCore& host = Norvane::Host();
    auto* material = static_cast<Mtl*>(host.CreateInstance(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID));
    material->SetName(L"Clay");
    host.PutMtlToMtlEditor(material, 0);
    host.RedrawViews(host.GetTime());
    auto* editor = window->findChild<QTableWidget*>("materialEditor");
    const QPixmap swatch = editor->item(0, 0)->data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_FALSE(swatch.isNull());

    // Choosing the slot shows the material in the inspector.
    emit editor->cellClicked(0, 0);
    Norvane::MaterialInspector& inspector = window->inspector();
    ASSERT_EQ(inspector.object(), material);
    QTreeWidgetItem* colour = inspector.findRow("base_color");
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->text(1), "0.5, 0.5, 0.5, 1");

    colour->setText(1, "0.9, 0.1, 0.1");
    QCoreApplication::processEvents();
    EXPECT_EQ(Norvane::GetParam(material, "base_color", 0).toList().value(0).toDouble(), static_cast<double>(0.9f));
    EXPECT_EQ(theHold.UndoName().ToQString(), "Set base_color");
    const QImage red = editor->item(0, 0)->data(Qt::DecorationRole).value<QPixmap>().toImage();
    EXPECT_NE(red, swatch.toImage()) << "the slot's swatch follows the edit";

    // A value that does not fit is refused and the row shows the parameter again.
    inspector.findRow("roughness")->setText(1, "rough");
    QCoreApplication::processEvents();
    EXPECT_EQ(inspector.findRow("roughness")->text(1), "0");
    EXPECT_EQ(theHold.UndoName().ToQString(), "Set base_color");

    ASSERT_TRUE(host.Undo());
    QCoreApplication::processEvents();
    EXPECT_EQ(inspector.findRow("base_color")->text(1), "0.5, 0.5, 0.5, 1");
    EXPECT_EQ(editor->item(0, 0)->data(Qt::DecorationRole).value<QPixmap>().toImage(), swatch.toImage());

    // An edit far down the list leaves the list where it was.
    window->show();
    QCoreApplication::processEvents();
    QScrollBar* scroll = inspector.findChild<QTreeWidget*>()->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    scroll->setValue(scroll->maximum());
    const int scrolled = scroll->value();
    QTreeWidgetItem* thin = inspector.findRow("thin_walled");
    ASSERT_NE(thin, nullptr);
    thin->setCheckState(1, Qt::Checked);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Norvane::GetParam(material, "thin_walled", 0).toBool());
    EXPECT_EQ(scroll->value(), scrolled);
}

TEST(NorvaneScreenshot, ShowsTheWindowWithThePanelOpen)
{
    ensureApplication();
    QTemporaryDir dir;
    const QString file = dir.path() + "/shot.png";
    QProcess norvane;
    // Under the sanitizers: Qt's offscreen platform leaves its screen objects
    // behind at exit, which is not what this test is about.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString sanitizer = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", sanitizer + (sanitizer.isEmpty() ? "" : ":") + "detect_leaks=0");
    norvane.setProcessEnvironment(environment);
    norvane.start(QStringLiteral(NORVANE_PROGRAM), { "--gui", "--screenshot", file });
    ASSERT_TRUE(norvane.waitForFinished(60000));
    EXPECT_EQ(norvane.exitCode(), 0) << norvane.readAllStandardError().toStdString();
    EXPECT_TRUE(norvane.readAllStandardOutput().contains("with MtlXIOUtil open")) << "the panel was not open";
    const QImage shot(file);
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(shot.width(), 800);
    EXPECT_GE(shot.height(), 500);
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 7)
        for (int x = 0; x < shot.width(); x += 7)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
}
