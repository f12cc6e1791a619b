// The import button: cancelled dialogs, materials placed on the selection and
// on teapots, the editor slots, the material library and the warning box.

#include "PanelTestSupport.h"

#include <Teapot.h>

#include <QFileInfo>

namespace rozo::test
{
namespace
{
std::string materials(int count)
{
    std::string body;
    for (int i = 0; i < count; ++i)
    {
        const std::string n = std::to_string(i);
        body += "  <standard_surface name=\"S" + n + "\" type=\"surfaceshader\">\n"
                                                     "    <input name=\"base\" type=\"float\" value=\"0." +
                n + "\" />\n"
                    "  </standard_surface>\n"
                    "  <surfacematerial name=\"Mat" +
                n + "\" type=\"material\">\n"
                    "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S" +
                n + "\" />\n"
                    "  </surfacematerial>\n";
    }
    return mtlx(body);
}
} // namespace

class PanelImport : public PanelTest
{
  protected:
    /// Selects `objects` new nodes, then imports a document of `count` materials.
    void importInto(int objects, int count)
    {
        for (int i = 0; i < objects; ++i)
            selection.push_back(selectedNode((L"Box" + std::to_wstring(i)).c_str()));
        nodesBefore = Norvane::Host().GetScene().NodeCount();
        dialogs().QueueFile(QString::fromStdString(writeFile(dir.path(), "doc.mtlx", materials(count))));
        click(form().importButton);
        ASSERT_EQ(dialogs().Pending(), 0);
    }

    Mtl* editorSlot(int i) { return static_cast<Mtl*>(Norvane::Host().GetMtlSlot(i)); }
    std::string slotName(int i) { return nameOf(editorSlot(i)); }
    std::vector<INode*> newNodes()
    {
        const std::vector<INode*>& all = Norvane::Host().GetScene().Nodes();
        return std::vector<INode*>(all.begin() + nodesBefore, all.end());
    }

    std::vector<INode*> selection;
    int nodesBefore = 0;
};

TEST_F(PanelImport, CancelledDialogChangesNothing)
{
    selectedNode(L"Box");
    dialogs().QueueCancel();
    const int steps = theHold.UndoCount();
    click(form().importButton);
    EXPECT_EQ(dialogs().History().size(), 1u);
    EXPECT_EQ(dialogs().History()[0].kind, "open");
    EXPECT_EQ(dialogs().History()[0].title, "Pick some .MTLX");
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(theHold.UndoCount(), steps);
    EXPECT_EQ(Norvane::Host().GetScene().NodeCount(), 1);
    EXPECT_EQ(editorSlot(0), nullptr);
    EXPECT_TRUE(form().progressBar->isHidden());
}

TEST_F(PanelImport, MoreMaterialsThanObjectsMakesTeapotsSharingOneObject)
{
    importInto(2, 5);
    EXPECT_EQ(slotName(0), "Mat0");
    EXPECT_EQ(slotName(4), "Mat4");
    EXPECT_EQ(selection[0]->GetMtl(), editorSlot(0));
    EXPECT_EQ(selection[1]->GetMtl(), editorSlot(1));

    const std::vector<INode*> teapots = newNodes();
    ASSERT_EQ(teapots.size(), 3u);
    for (int t = 0; t < 3; ++t)
    {
        SCOPED_TRACE(t);
        const int j = t + 2;
        EXPECT_EQ(std::wstring(teapots[t]->GetName()), L"Teapot_MtlX_Mat" + std::to_wstring(j));
        EXPECT_EQ(teapots[t]->GetMtl(), editorSlot(j));
        EXPECT_EQ(teapots[t]->GetObjectRef(), teapots[0]->GetObjectRef());
        const Point3 p = teapots[t]->GetPosition();
        EXPECT_FLOAT_EQ(p.x, 0.0f);
        EXPECT_FLOAT_EQ(p.y, 50.0f * static_cast<float>(j));
        EXPECT_FLOAT_EQ(p.z, 0.0f);
    }
    Object* teapot = teapots[0]->GetObjectRef();
    ASSERT_NE(teapot, nullptr);
    EXPECT_EQ(teapot->ClassID(), TEAPOT_CLASS_ID);
    EXPECT_FLOAT_EQ(teapot->GetParamBlock(0)->GetFloat(idOf(teapot->GetParamBlock(0), "radius")), 20.0f);

    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].title, "MaterialX Import");
    EXPECT_EQ(warnings()[0].text, "More materials imported than objects selected. Teapot(s) created.");
    EXPECT_TRUE(form().progressBar->isHidden());
}

TEST_F(PanelImport, OneUndoStepTakesEverythingBack)
{
    const int steps = theHold.UndoCount();
    importInto(1, 3);
    EXPECT_EQ(theHold.UndoCount(), steps + 1);
    EXPECT_EQ(theHold.UndoName(), WStr(L"ImportMtlX"));
    ASSERT_TRUE(Norvane::Host().Undo());
    EXPECT_EQ(Norvane::Host().GetScene().NodeCount(), nodesBefore);
    EXPECT_EQ(selection[0]->GetMtl(), nullptr);
    EXPECT_EQ(editorSlot(0), nullptr);
    ASSERT_TRUE(Norvane::Host().Redo());
    EXPECT_EQ(Norvane::Host().GetScene().NodeCount(), nodesBefore + 2);
    EXPECT_EQ(slotName(2), "Mat2");
}

TEST_F(PanelImport, FewerMaterialsThanObjectsRepeatInOrder)
{
    importInto(5, 2);
    const int expected[] = { 0, 1, 0, 1, 0 };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(selection[i]->GetMtl(), editorSlot(expected[i])) << i;
    EXPECT_TRUE(newNodes().empty());
    EXPECT_TRUE(warnings().empty());
}

TEST_F(PanelImport, AssignmentOffLeavesTheSceneAlone)
{
    click(form().assignToSelection);
    importInto(1, 3);
    EXPECT_EQ(selection[0]->GetMtl(), nullptr);
    EXPECT_TRUE(newNodes().empty());
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(slotName(2), "Mat2");
}

TEST_F(PanelImport, EditorSlotsFillEvenWithoutPopulating)
{
    click(form().populateMEdit);
    importInto(0, 2);
    EXPECT_EQ(slotName(0), "Mat0");
    EXPECT_EQ(slotName(1), "Mat1");
}

TEST_F(PanelImport, LogShowsInOneWarningAndTheRestGoesOn)
{
    const std::string body = "  <toon_shader name=\"T\" type=\"surfaceshader\" />\n"
                             "  <surfacematerial name=\"Toon\" type=\"material\">\n"
                             "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"T\" />\n"
                             "  </surfacematerial>\n";
    dialogs().QueueFile(QString::fromStdString(writeFile(dir.path(), "toon.mtlx", mtlx(body))));
    click(form().importButton);
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_EQ(warnings()[0].title, "MaterialX Import");
    EXPECT_EQ(warnings()[0].text.toStdString(), util.lastLog().text());
    EXPECT_EQ(warnings()[0].text, ":   ERROR - don't understand shader toon_shader\n");
    EXPECT_TRUE(form().progressBar->isHidden());
}

class PanelLibrary : public PanelImport
{
  protected:
    void SetUp() override
    {
        PanelImport::SetUp();
        libraryFile = dir.path() + "/lib.mat";
        click(form().makeMtlLib);
        QTest::keyClicks(form().mtlLib, libraryFile);
    }
    std::string savedText()
    {
        QFile file(libraryFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    QString libraryFile;
};

TEST_F(PanelLibrary, SavedOnlyWhenTheLibraryLoaded)
{
    importInto(0, 2);
    EXPECT_EQ(Norvane::Host().GetMaterialLibrary().Count(), 2);
    EXPECT_FALSE(QFileInfo::exists(libraryFile));
}

TEST_F(PanelLibrary, LoadedLibraryGainsTheMaterials)
{
    ASSERT_TRUE(Norvane::Host().SaveLibrary(libraryFile)); // an empty library file
    importInto(0, 3);
    EXPECT_EQ(Norvane::Host().GetMaterialLibrary().Count(), 3);
    const std::string saved = savedText();
    for (const char* name : { "Mat0", "Mat1", "Mat2" })
        EXPECT_NE(saved.find(name), std::string::npos) << name;
}
} // namespace rozo::test
