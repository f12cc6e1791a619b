// References between objects: dependency counts, deletion, auto-deletion and
// the holders the host keeps (editor slots, library, scene).
#include "HostTest.h"

namespace
{

// A maker with two numbered slots, like a node's object and material.
class TwoSlots : public ReferenceMaker
{
  public:
    ~TwoSlots() override = default;
    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override { return i == 0 || i == 1 ? refs[i] : nullptr; }
    ReferenceTarget* refs[2] = { nullptr, nullptr };

  protected:
    void SetReference(int i, ReferenceTarget* t) override { refs[i] = t; }
};

using ReferenceTest = HostTest;

TEST_F(ReferenceTest, ReplaceReferenceKeepsDependencyCounts)
{
    Mtl* a = NewPhysical();
    Mtl* b = NewPhysical();
    TwoSlots maker;
    EXPECT_EQ(maker.ReplaceReference(0, a), REF_SUCCEED);
    EXPECT_EQ(maker.ReplaceReference(1, a), REF_SUCCEED);
    EXPECT_EQ(a->NumDependents(), 2);
    EXPECT_EQ(maker.ReplaceReference(2, a), REF_FAIL);
    maker.ReplaceReference(1, b);
    EXPECT_EQ(a->NumDependents(), 1);
    EXPECT_EQ(b->NumDependents(), 1);
    maker.DeleteAllRefs();
    EXPECT_FALSE(a->HasDependents());
    EXPECT_FALSE(b->HasDependents());
    EXPECT_EQ(maker.refs[0], nullptr);
    EXPECT_TRUE(a->MaybeAutoDelete());
    EXPECT_TRUE(b->MaybeAutoDelete());
}

TEST_F(ReferenceTest, DeletingATargetClearsEverySlotOfAMaker)
{
    Mtl* a = NewPhysical();
    TwoSlots maker;
    maker.ReplaceReference(0, a);
    maker.ReplaceReference(1, a);
    a->DeleteThis();
    EXPECT_EQ(maker.refs[0], nullptr);
    EXPECT_EQ(maker.refs[1], nullptr);
}

TEST_F(ReferenceTest, AMakerGoingAwayReleasesItsTargets)
{
    Mtl* a = NewPhysical();
    {
        TwoSlots maker;
        maker.ReplaceReference(0, a);
        EXPECT_TRUE(a->HasDependents());
    }
    EXPECT_FALSE(a->HasDependents());
    EXPECT_TRUE(a->MaybeAutoDelete());
}

TEST_F(ReferenceTest, HostHoldersKeepMaterialsFromAutoDeletion)
{
    Mtl* inSlot = NewPhysical();
    Mtl* inLibrary = NewPhysical();
    Mtl* onNode = NewPhysical();
    ip()->PutMtlToMtlEditor(inSlot, 7);
    ip()->GetMaterialLibrary().Add(inLibrary);
    ip()->CreateObjectNode(NewTeapot(), L"n")->SetMtl(onNode);
    EXPECT_FALSE(inSlot->MaybeAutoDelete());
    EXPECT_FALSE(inLibrary->MaybeAutoDelete());
    EXPECT_FALSE(onNode->MaybeAutoDelete());
}

TEST_F(ReferenceTest, DeletedMaterialsLeaveTheHostHolders)
{
    Mtl* m = NewPhysical();
    ip()->PutMtlToMtlEditor(m, 7);
    ip()->GetMaterialLibrary().Add(m);
    m->DeleteThis();
    EXPECT_EQ(ip()->GetMtlSlot(7), nullptr);
    EXPECT_EQ(ip()->GetMaterialLibrary().Count(), 0);
}

TEST_F(ReferenceTest, DeletingAMaterialReleasesItsMaps)
{
    Mtl* m = NewPhysical();
    Texmap* shared = NewMap(BITMAP_CLASS_ID);
    Block(m)->SetValue(Id(m, L"base_color_map"), 0, shared);
    Block(m)->SetValue(Id(m, L"roughness_map"), 0, shared);
    EXPECT_EQ(shared->NumDependents(), 2);
    m->DeleteThis();
    EXPECT_FALSE(shared->HasDependents());
    EXPECT_TRUE(shared->MaybeAutoDelete());
}

TEST_F(ReferenceTest, ReachableObjectsFollowSlotsAndBlocks)
{
    Mtl* m = NewPhysical();
    Texmap* normal = NewMap(NORMAL_MAP_CLASS_ID);
    Texmap* image = NewMap(BITMAP_CLASS_ID);
    Block(normal)->SetValue(Id(normal, L"normal_map"), 0, image);
    Block(m)->SetValue(Id(m, L"bump_map"), 0, normal);
    EXPECT_EQ(host().ReachableObjectCount(), 1) << "only the library object itself";
    ip()->PutMtlToMtlEditor(m, 0);
    // material, normal map, bitmap, its coordinates, and one block each
    EXPECT_EQ(host().ReachableObjectCount(), 1 + 4 * 2);
}

} // namespace
