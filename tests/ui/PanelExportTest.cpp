// The export button: nothing selected, selected objects with and without
// materials, a cancelled dialog and the warning box after a run with messages.

#include "PanelTestSupport.h"

#include <CheckerMap.h>

#include <QFileInfo>

namespace rozo::test
{
class PanelExport : public PanelTest
{
  protected:
    Mtl* material(const wchar_t* name)
    {
        Mtl* m = createPhysicalMaterial();
        m->SetName(name);
        return m;
    }
    QString exportTo(const char* name)
    {
        const QString path = dir.path() + "/" + name;
        dialogs().QueueFile(path);
        click(form().exportButton);
        return path;
    }
    static std::string text(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
};

TEST_F(PanelExport, NothingSelectedWarnsWithoutADialog)
{
    dialogs().QueueFile(dir.path() + "/never.mtlx");
    click(form().exportButton);
    ASSERT_EQ(dialogs().History().size(), 1u);
    EXPECT_EQ(dialogs().History()[0].kind, "warning");
    EXPECT_EQ(dialogs().History()[0].title, "MaterialX Export");
    EXPECT_EQ(dialogs().History()[0].text, "No Objects Selected");
    EXPECT_EQ(dialogs().Pending(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/never.mtlx"));
}

TEST_F(PanelExport, MaterialsOfTheSelectionAreWrittenOnce)
{
    Mtl* red = material(L"Red");
    selectedNode(L"A")->SetMtl(red);
    selectedNode(L"B")->SetMtl(red);
    selectedNode(L"C")->SetMtl(material(L"Blue"));
    selectedNode(L"Bare");
    const std::string written = text(exportTo("out.mtlx"));
    ASSERT_EQ(dialogs().History().size(), 1u);
    EXPECT_EQ(dialogs().History()[0].kind, "save");
    EXPECT_EQ(dialogs().History()[0].title, "Pick some .MTLX");
    EXPECT_TRUE(warnings().empty()) << warnings()[0].text.toStdString();
    EXPECT_NE(written.find("surfacematerial name=\"Red\""), std::string::npos) << written;
    EXPECT_NE(written.find("surfacematerial name=\"Blue\""), std::string::npos) << written;
    const size_t first = written.find("surfacematerial name=\"Red\"");
    EXPECT_EQ(written.find("surfacematerial name=\"Red\"", first + 1), std::string::npos);
}

// The version box: the user's choice is what the next export writes.
TEST_F(PanelExport, ChosenVersionIsWritten)
{
    selectedNode(L"A")->SetMtl(material(L"Red"));
    EXPECT_NE(text(exportTo("auto.mtlx")).find("<materialx version=\"1.38\""), std::string::npos);
    form().mtlxVersion->setCurrentIndex(form().mtlxVersion->findText("1.39"));
    emit form().mtlxVersion->activated(form().mtlxVersion->currentIndex());
    EXPECT_NE(text(exportTo("new.mtlx")).find("<materialx version=\"1.39\""), std::string::npos);
    EXPECT_TRUE(warnings().empty());
}

TEST_F(PanelExport, ObjectsWithoutMaterialsExportAnEmptyDocument)
{
    selectedNode(L"Bare");
    const std::string written = text(exportTo("empty.mtlx"));
    EXPECT_TRUE(warnings().empty());
    EXPECT_NE(written.find("<materialx"), std::string::npos) << written;
    EXPECT_EQ(written.find("surfacematerial"), std::string::npos) << written;
}

TEST_F(PanelExport, CancelledDialogWritesNothing)
{
    selectedNode(L"A")->SetMtl(material(L"Red"));
    dialogs().QueueCancel();
    click(form().exportButton);
    EXPECT_TRUE(warnings().empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(PanelExport, LoggedMessagesShowInOneWarning)
{
    Mtl* checked = material(L"Checked");
    auto* checker = static_cast<Texmap*>(Norvane::Host().CreateInstance(TEXMAP_CLASS_ID, Norvane::CHECKER_MAP_CLASS_ID));
    checker->SetName(L"Checks");
    setTexmapByName(checked->GetParamBlock(0), "base_color_map", checker);
    selectedNode(L"A")->SetMtl(checked);
    exportTo("checks.mtlx");
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].title, "MaterialX Export");
    EXPECT_EQ(warnings()[0].text, "Unsupported node Checks\n");
}
} // namespace rozo::test
