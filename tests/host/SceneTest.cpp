// Scene nodes, selection, editor slots and the core interface's services.
#include "HostTest.h"

namespace
{

class SceneTest : public HostTest
{
  protected:
    INode* Node(const wchar_t* name) { return ip()->CreateObjectNode(NewTeapot(), name); }
};

TEST_F(SceneTest, NodesAreNamedAndFoundByName)
{
    Object* teapot = NewTeapot();
    INode* a = ip()->CreateObjectNode(teapot, L"Teapot_MtlX_Red");
    INode* b = ip()->CreateObjectNode(teapot);
    EXPECT_STREQ(a->GetName(), L"Teapot_MtlX_Red");
    EXPECT_STREQ(b->GetName(), L"Object002");
    EXPECT_EQ(a->GetObjectRef(), teapot);
    EXPECT_EQ(b->GetObjectRef(), teapot) << "two nodes share one object";
    EXPECT_EQ(ip()->GetINodeByName(L"Teapot_MtlX_Red"), a);
    EXPECT_EQ(ip()->GetINodeByName(L"none"), nullptr);
    EXPECT_EQ(teapot->NumDependents(), 2);
}

TEST_F(SceneTest, SelectionKeepsSelectionOrder)
{
    INode* a = Node(L"a");
    INode* b = Node(L"b");
    INode* c = Node(L"c");
    ip()->SelectNode(c);
    ip()->SelectNode(a, 0);
    ip()->SelectNode(c, 0);
    ASSERT_EQ(ip()->GetSelNodeCount(), 2);
    EXPECT_EQ(ip()->GetSelNode(0), c);
    EXPECT_EQ(ip()->GetSelNode(1), a);
    EXPECT_EQ(ip()->GetSelNode(2), nullptr);
    EXPECT_TRUE(a->Selected());
    EXPECT_FALSE(b->Selected());
    ip()->SelectNode(b);
    EXPECT_EQ(ip()->GetSelNodeCount(), 1);
    ip()->ClearNodeSelection();
    EXPECT_EQ(ip()->GetSelNodeCount(), 0);
}

TEST_F(SceneTest, NodesCarryMaterialsAndMove)
{
    INode* n = Node(L"n");
    Mtl* m = NewPhysical(L"Red");
    n->SetMtl(m);
    EXPECT_EQ(n->GetMtl(), m);
    EXPECT_TRUE(m->HasDependents());
    n->Move(0, Matrix3(), Point3(0.0f, 100.0f, 0.0f));
    n->Move(0, Matrix3(), Point3(1.0f, 50.0f, 0.0f));
    EXPECT_EQ(n->GetPosition(), Point3(1.0f, 150.0f, 0.0f));
    EXPECT_EQ(n->GetNodeTM().GetRow(0), Point3(1.0f, 0.0f, 0.0f));
}

TEST_F(SceneTest, DeletingAMaterialTakesItOffItsNodes)
{
    INode* n = Node(L"n");
    Mtl* m = NewPhysical();
    n->SetMtl(m);
    m->DeleteThis();
    EXPECT_EQ(n->GetMtl(), nullptr);
}

TEST_F(SceneTest, EditorHasTwentyFourSlots)
{
    Mtl* m = NewPhysical();
    ip()->PutMtlToMtlEditor(m, 0);
    ip()->PutMtlToMtlEditor(m, 23);
    ip()->PutMtlToMtlEditor(m, 24);
    ip()->PutMtlToMtlEditor(m, -1);
    EXPECT_EQ(ip()->GetMtlSlot(0), m);
    EXPECT_EQ(ip()->GetMtlSlot(23), m);
    EXPECT_EQ(ip()->GetMtlSlot(24), nullptr);
    EXPECT_EQ(ip()->GetMtlSlot(1), nullptr);
    EXPECT_EQ(m->NumDependents(), 2);
}

TEST_F(SceneTest, TimeAndRedraw)
{
    const int before = host().RedrawCount();
    ip()->SetTime(320);
    EXPECT_EQ(ip()->GetTime(), 320);
    ip()->RedrawViews(ip()->GetTime(), REDRAW_NORMAL);
    EXPECT_EQ(host().RedrawCount(), before + 2);
}

TEST_F(SceneTest, HeadlessHostHasNoWindowAndUnitScale)
{
    EXPECT_EQ(ip()->GetMainWindow(), nullptr);
    EXPECT_FLOAT_EQ(GetUIScaleFactor(-1), 1.0f);
    host().SetUIScaleFactor(1.5f);
    EXPECT_FLOAT_EQ(GetUIScaleFactor(), 1.5f);
    host().SetUIScaleFactor(1.0f);
}

TEST_F(SceneTest, NewSceneEmptiesEverythingButTheLibrary)
{
    Mtl* kept = NewPhysical(L"kept");
    Texmap* map = NewMap(BITMAP_CLASS_ID);
    Block(kept)->SetValue(Id(kept, L"base_color_map"), 0, map);
    ip()->GetMaterialLibrary().Add(kept);
    INode* n = Node(L"n");
    n->SetMtl(NewPhysical(L"gone"));
    ip()->SelectNode(n);
    ip()->SetTime(160);

    host().NewScene();
    EXPECT_EQ(host().GetScene().NodeCount(), 0);
    EXPECT_EQ(ip()->GetSelNodeCount(), 0);
    EXPECT_EQ(ip()->GetTime(), 0);
    ASSERT_EQ(ip()->GetMaterialLibrary().Count(), 1);
    EXPECT_EQ(ip()->GetMaterialLibrary()[0], kept);
    EXPECT_EQ(Block(kept)->GetTexmap(Id(kept, L"base_color_map")), map);
}

// Dialogs and warnings, answered from the queue when headless.
TEST_F(SceneTest, FileDialogsTakeQueuedAnswers)
{
    FilterList filters;
    filters.Append(L"MaterialX", L"*.mtlx");
    EXPECT_EQ(filters.ToQtFilter(), WStr(L"MaterialX (*.mtlx)"));
    WStr file(L"last.mtlx"), folder(L"D:\\start");
    dialogs().QueueFile(QStringLiteral("/data/in/a.mtlx"));
    EXPECT_TRUE(ip()->DoOpenFileDialog(ip()->GetMainWindow(), L"Pick some .MTLX", file, folder, filters));
    EXPECT_EQ(file, WStr(L"/data/in/a.mtlx"));
    EXPECT_EQ(folder, WStr(L"/data/in"));

    dialogs().QueueCancel();
    EXPECT_FALSE(ip()->DoSaveFileDialog(nullptr, L"Pick some .MTLX", file, folder, filters));
    EXPECT_EQ(file, WStr(L"/data/in/a.mtlx")) << "a cancelled dialog changes nothing";
    EXPECT_FALSE(ip()->DoOpenFileDialog(nullptr, L"t", file, folder, filters)) << "no answer queued";

    ASSERT_EQ(dialogs().History().size(), 3u);
    EXPECT_EQ(dialogs().History()[0].kind, QStringLiteral("open"));
    EXPECT_EQ(dialogs().History()[0].title, QStringLiteral("Pick some .MTLX"));
    EXPECT_EQ(dialogs().History()[0].folder, QStringLiteral("D:\\start"));
    EXPECT_EQ(dialogs().History()[1].kind, QStringLiteral("save"));
}

TEST_F(SceneTest, WarningsAreRecorded)
{
    ip()->WarningBox(nullptr, L"MaterialX Export", L"No Objects Selected");
    auto warnings = dialogs().Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].title, QStringLiteral("MaterialX Export"));
    EXPECT_EQ(warnings[0].text, QStringLiteral("No Objects Selected"));
}

} // namespace
