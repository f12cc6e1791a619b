// The undo system: what a hold records, nesting, cancel, undo and redo of
// every kind of change, and what undo does to object lifetimes.
#include "HostTest.h"

namespace
{

// A change that notes the undo system's state while it runs.
class ProbeRestore : public RestoreObj
{
  public:
    explicit ProbeRestore(std::vector<std::string>& log) :
        log_(log) {}
    void Restore(int) override { log_.push_back(theHold.Restoring() && theHold.RestoreOrRedoing() ? "undo" : "?"); }
    void Redo() override { log_.push_back(theHold.Redoing() && theHold.RestoreOrRedoing() ? "redo" : "?"); }

  private:
    std::vector<std::string>& log_;
};

class UndoTest : public HostTest
{
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        mtl = NewPhysical(L"Before");
        pb = Block(mtl);
        roughness = Id(mtl, L"roughness");
    }
    Mtl* mtl = nullptr;
    IParamBlock2* pb = nullptr;
    ParamID roughness = -1;
};

TEST_F(UndoTest, ChangesOutsideAHoldAreNotRecorded)
{
    pb->SetValue(roughness, 0, 0.5f);
    EXPECT_EQ(theHold.UndoCount(), 0);
    EXPECT_FALSE(host().Undo());
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.5f);
}

TEST_F(UndoTest, OneHoldUndoesAndRedoesEverythingInIt)
{
    Texmap* map = NewMap(BITMAP_CLASS_ID, L"wood");
    Object* teapot = NewTeapot();
    const int redraws = host().RedrawCount();

    theHold.Begin();
    pb->SetValue(roughness, 0, 0.5f);
    pb->SetValue(Id(mtl, L"base_color_map"), 0, map);
    mtl->SetName(L"After");
    mtl->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED);
    INode* node = ip()->CreateObjectNode(teapot, L"Teapot_1");
    node->SetMtl(mtl);
    node->Move(0, Matrix3(), Point3(0.0f, 50.0f, 0.0f));
    ip()->SelectNode(node);
    ip()->PutMtlToMtlEditor(mtl, 3);
    ip()->GetMaterialLibrary().Add(mtl);
    theHold.Accept(L"ImportMtlX");

    ASSERT_EQ(theHold.UndoCount(), 1);
    EXPECT_EQ(theHold.UndoName(), WStr(L"ImportMtlX"));
    ASSERT_TRUE(host().Undo());
    EXPECT_GT(host().RedrawCount(), redraws);
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.0f);
    EXPECT_EQ(pb->GetTexmap(Id(mtl, L"base_color_map")), nullptr);
    EXPECT_EQ(mtl->GetName(), WStr(L"Before"));
    EXPECT_EQ(mtl->GetMtlFlags(), 0);
    EXPECT_EQ(host().GetScene().NodeCount(), 0);
    EXPECT_EQ(ip()->GetSelNodeCount(), 0);
    EXPECT_EQ(ip()->GetMtlSlot(3), nullptr);
    EXPECT_EQ(ip()->GetMaterialLibrary().Count(), 0);
    EXPECT_EQ(theHold.RedoName(), WStr(L"ImportMtlX"));

    ASSERT_TRUE(host().Redo());
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.5f);
    EXPECT_EQ(pb->GetTexmap(Id(mtl, L"base_color_map")), map);
    EXPECT_EQ(mtl->GetName(), WStr(L"After"));
    EXPECT_EQ(mtl->GetMtlFlags(), MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED);
    ASSERT_EQ(ip()->GetSelNodeCount(), 1);
    EXPECT_EQ(ip()->GetSelNode(0), node);
    EXPECT_EQ(node->GetMtl(), mtl);
    EXPECT_EQ(node->GetPosition(), Point3(0.0f, 50.0f, 0.0f));
    EXPECT_EQ(ip()->GetMtlSlot(3), mtl);
    EXPECT_EQ(ip()->GetMaterialLibrary().Count(), 1);
}

TEST_F(UndoTest, NestedHoldsFormOneStep)
{
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.1f);
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.2f);
    theHold.Accept(L"inner");
    EXPECT_EQ(theHold.UndoCount(), 0) << "an inner record waits for the outer one";
    pb->SetValue(roughness, 0, 0.3f);
    theHold.Accept(L"outer");
    EXPECT_EQ(theHold.UndoCount(), 1);
    EXPECT_EQ(theHold.UndoName(), WStr(L"outer"));
    host().Undo();
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.0f);
}

TEST_F(UndoTest, CancelPutsBackTheInnermostRecord)
{
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.1f);
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.2f);
    mtl->SetName(L"Cancelled");
    theHold.Cancel();
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.1f);
    EXPECT_EQ(mtl->GetName(), WStr(L"Before"));
    theHold.Accept(L"kept");
    EXPECT_EQ(theHold.UndoCount(), 1);
}

// Objects made inside the record are undone by one snapshot of each block:
// every change after it, nested or cancelled, must still come back right.
TEST_F(UndoTest, AnObjectMadeInTheRecordUndoesToItsDefaultsAndRedoesToItsLastState)
{
    Texmap* map = NewMap(BITMAP_CLASS_ID, L"wood");
    theHold.Begin();
    Mtl* made = NewPhysical(L"Made");
    IParamBlock2* block = Block(made);
    const ParamID id = Id(made, L"roughness");
    block->SetValue(id, 0, 0.1f);
    theHold.Begin();
    block->SetValue(id, 0, 0.2f);
    theHold.Cancel();
    EXPECT_FLOAT_EQ(block->GetFloat(id), 0.1f);
    theHold.Begin();
    block->SetValue(id, 0, 0.3f);
    block->SetValue(Id(made, L"base_color_map"), 0, map);
    theHold.Accept(L"inner");
    block->SetValue(id, 0, 0.4f);
    theHold.Accept(L"made");

    ASSERT_TRUE(host().Undo());
    EXPECT_FLOAT_EQ(block->GetFloat(id), 0.0f);
    EXPECT_EQ(block->GetTexmap(Id(made, L"base_color_map")), nullptr);
    ASSERT_TRUE(host().Redo());
    EXPECT_FLOAT_EQ(block->GetFloat(id), 0.4f);
    EXPECT_EQ(block->GetTexmap(Id(made, L"base_color_map")), map);
    ASSERT_TRUE(host().Undo());
    EXPECT_FLOAT_EQ(block->GetFloat(id), 0.0f);
}

TEST_F(UndoTest, AMaterialMadeInTheRecordUndoesItsNameAndFlagsWithIt)
{
    theHold.Begin();
    Mtl* made = NewPhysical();
    const WStr madeName = made->GetName();
    made->SetName(L"First");
    made->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED);
    theHold.Begin();
    made->SetName(L"Cancelled");
    made->SetMtlFlag(MTL_HW_MAT_ENABLED);
    theHold.Cancel();
    EXPECT_EQ(made->GetName(), WStr(L"First"));
    EXPECT_EQ(made->GetMtlFlags() & MTL_HW_MAT_ENABLED, 0);
    theHold.Begin();
    made->SetName(L"Inner");
    theHold.Accept(L"inner");
    made->SetName(L"Last");
    made->SetMtlFlag(MTL_HW_MAT_ENABLED);
    theHold.Accept(L"made");
    // One record stands for every rename in the step that made the object,
    // and the step undoes to the name it was made with.

    ASSERT_TRUE(host().Undo());
    EXPECT_EQ(made->GetName(), madeName);
    EXPECT_EQ(made->GetMtlFlags() & (MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED), 0);
    ASSERT_TRUE(host().Redo());
    EXPECT_EQ(made->GetName(), WStr(L"Last"));
    EXPECT_EQ(made->GetMtlFlags() & (MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED),
              MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED);

    // Outside the step that made it, a rename is a change of its own.
    theHold.Begin();
    made->SetName(L"Later");
    theHold.Accept(L"rename");
    ASSERT_TRUE(host().Undo());
    EXPECT_EQ(made->GetName(), WStr(L"Last"));
    ASSERT_TRUE(host().Undo());
    EXPECT_EQ(made->GetName(), madeName);
}

TEST_F(UndoTest, DiscardKeepsTheChangesWithoutUndo)
{
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.4f);
    theHold.Discard();
    EXPECT_FALSE(theHold.Holding());
    EXPECT_EQ(theHold.UndoCount(), 0);
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness), 0.4f);
    theHold.Accept(L"nothing open");
    theHold.Cancel();
    EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(UndoTest, SelectionChangesAreUndoable)
{
    INode* a = ip()->CreateObjectNode(NewTeapot(), L"a");
    INode* b = ip()->CreateObjectNode(NewTeapot(), L"b");
    ip()->SelectNode(a);
    theHold.Begin();
    ip()->SelectNode(b, 0);
    ip()->DeselectNode(a);
    theHold.Accept(L"select");
    ASSERT_EQ(ip()->GetSelNodeCount(), 1);
    host().Undo();
    ASSERT_EQ(ip()->GetSelNodeCount(), 1);
    EXPECT_EQ(ip()->GetSelNode(0), a);
    host().Redo();
    EXPECT_EQ(ip()->GetSelNode(0), b);
}

TEST_F(UndoTest, AnimatedChangesUndoToTheConstant)
{
    theHold.Begin();
    ip()->SetAnimateMode(true);
    pb->SetValue(roughness, 100, 1.0f);
    ip()->SetAnimateMode(false);
    theHold.Accept(L"animate");
    EXPECT_EQ(pb->KeyTimes(roughness).size(), 2u);
    host().Undo();
    EXPECT_TRUE(pb->KeyTimes(roughness).empty());
    EXPECT_FLOAT_EQ(pb->GetFloat(roughness, 100), 0.0f);
}

TEST_F(UndoTest, AnEmptyHoldLeavesNoStep)
{
    theHold.Begin();
    theHold.Accept(L"nothing");
    EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(UndoTest, RestoreAndRedoRunWithTheFlagsSetAndRecordNothing)
{
    std::vector<std::string> log;
    theHold.Begin();
    theHold.Put(new ProbeRestore(log));
    EXPECT_FALSE(theHold.RestoreOrRedoing());
    theHold.Accept(L"probe");
    host().Undo();
    host().Redo();
    EXPECT_EQ(log, (std::vector<std::string>{ "undo", "redo" }));
    EXPECT_FALSE(theHold.RestoreOrRedoing());
    EXPECT_EQ(theHold.UndoCount(), 1);
}

TEST_F(UndoTest, ANewChangeDropsTheRedoSteps)
{
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.1f);
    theHold.Accept(L"one");
    host().Undo();
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.2f);
    theHold.Accept(L"two");
    EXPECT_EQ(theHold.RedoCount(), 0);
    EXPECT_FALSE(host().Redo());
}

TEST_F(UndoTest, UndoWaitsUntilNoRecordIsOpen)
{
    theHold.Begin();
    pb->SetValue(roughness, 0, 0.1f);
    theHold.Accept(L"one");
    theHold.Begin();
    EXPECT_FALSE(host().Undo());
    theHold.Accept(L"empty");
    EXPECT_TRUE(host().Undo());
}

TEST_F(UndoTest, SuspendedChangesAreNotRecorded)
{
    theHold.Begin();
    theHold.Suspend();
    pb->SetValue(roughness, 0, 0.1f);
    theHold.Resume();
    theHold.Accept(L"suspended");
    EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(UndoTest, AnUndoRecordDoesNotKeepAMapFromAutoDeletion)
{
    Texmap* temp = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    theHold.Begin();
    temp->SetName(L"temporary");
    Block(temp)->SetValue(Id(temp, L"soften"), 0, 0.5f);
    EXPECT_TRUE(temp->MaybeAutoDelete());
    theHold.Accept(L"with a deleted map");
    // Undoing changes to the deleted map does nothing.
    EXPECT_TRUE(host().Undo());
    EXPECT_TRUE(host().Redo());
}

TEST_F(UndoTest, UndoBringsBackAReplacedMap)
{
    Texmap* first = NewMap(Norvane::CHECKER_MAP_CLASS_ID, L"first");
    Texmap* second = NewMap(Norvane::CHECKER_MAP_CLASS_ID, L"second");
    const ParamID slot = Id(mtl, L"base_color_map");
    pb->SetValue(slot, 0, first);
    theHold.Begin();
    pb->SetValue(slot, 0, second);
    theHold.Accept(L"replace");
    host().Undo();
    EXPECT_EQ(pb->GetTexmap(slot), first);
    EXPECT_TRUE(first->HasDependents());
    EXPECT_FALSE(second->HasDependents());
}

TEST_F(UndoTest, UndoOfANodeDeletionPutsItBackWithItsSelection)
{
    INode* a = ip()->CreateObjectNode(NewTeapot(), L"a");
    INode* b = ip()->CreateObjectNode(NewTeapot(), L"b");
    ip()->SelectNode(a);
    ip()->SelectNode(b, 0);
    theHold.Begin();
    ip()->DeleteNode(a);
    theHold.Accept(L"delete");
    EXPECT_EQ(ip()->GetSelNodeCount(), 1);
    EXPECT_EQ(ip()->GetINodeByName(L"a"), nullptr);
    host().Undo();
    ASSERT_EQ(ip()->GetSelNodeCount(), 2);
    EXPECT_EQ(ip()->GetSelNode(0), a);
    EXPECT_EQ(ip()->GetINodeByName(L"a"), a);
}

} // namespace
