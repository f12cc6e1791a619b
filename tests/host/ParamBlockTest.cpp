// Parameter blocks: every value type, time, table index, missing names,
// references and run-time rebuilding.
#include "HostTest.h"

#include <cmath>

namespace
{

// An object with one parameter of every value class.
class Sample : public ReferenceTarget
{
  public:
    static ParamBlockDesc2& Desc()
    {
        static ParamBlockDesc2 d = [] {
            ParamBlockDesc2 b(0, L"sample");
            b.AddParam(L"f", TYPE_FLOAT, ParamValue::Float(0.25f));
            b.AddParam(L"w", TYPE_WORLD, ParamValue::Float(2.0f));
            b.AddParam(L"i", TYPE_INT, ParamValue::Int(3));
            b.AddParam(L"b", TYPE_BOOL, ParamValue::Int(0));
            b.AddParam(L"p2", TYPE_POINT2, ParamValue::Floats(1, 2));
            b.AddParam(L"p3", TYPE_POINT3, ParamValue::Floats(1, 2, 3));
            b.AddParam(L"rgb", TYPE_RGBA, ParamValue::Floats(0.1f, 0.2f, 0.3f));
            b.AddParam(L"p4", TYPE_POINT4, ParamValue::Floats(1, 2, 3, 4));
            b.AddParam(L"rgba", TYPE_FRGBA, ParamValue::Floats(0.1f, 0.2f, 0.3f, 0.4f));
            b.AddParam(L"s", TYPE_STRING, ParamValue::Text(L"text"));
            b.AddParam(L"file", TYPE_FILENAME, ParamValue());
            b.AddParam(L"map", TYPE_TEXMAP, ParamValue(), 0);
            b.AddParam(L"mtl", TYPE_MTL, ParamValue(), 0);
            ParamDef table(-1, L"list", TYPE_FLOAT, ParamValue::Float(9.0f), P_TABLE | P_ANIMATABLE);
            table.tab_size = 3;
            b.AddParam(table);
            b.AddAlias(L"other_name", L"f");
            return b;
        }();
        return d;
    }
    Sample() { CreateParamBlock(&Desc()); }
    IParamBlock2* AddBlock(const ParamBlockDesc2* desc) { return CreateParamBlock(desc); }
    Class_ID ClassID() override { return Class_ID(0x51, 0x51); }
    void ParamChanged(IParamBlock2*, ParamID id, int) override { changes.push_back(id); }
    std::vector<ParamID> changes;
};

class ParamBlockTest : public HostTest
{
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        obj = new Sample();
        pb = obj->GetParamBlock(0);
    }
    void TearDown() override
    {
        obj->DeleteThis();
        HostTest::TearDown();
    }
    ParamID P(const wchar_t* name) { return Id(obj, name); }

    Sample* obj = nullptr;
    IParamBlock2* pb = nullptr;
};

TEST_F(ParamBlockTest, DefaultsComeFromTheDefinitions)
{
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f")), 0.25f);
    EXPECT_EQ(pb->GetInt(P(L"i")), 3);
    EXPECT_EQ(pb->GetPoint3(P(L"p3")), Point3(1, 2, 3));
    EXPECT_EQ(pb->GetAColor(P(L"rgba")), AColor(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_STREQ(pb->GetStr(P(L"s")), L"text");
    EXPECT_STREQ(pb->GetStr(P(L"file")), L"");
    EXPECT_EQ(pb->GetTexmap(P(L"map")), nullptr);
    EXPECT_EQ(pb->Count(P(L"list")), 3);
}

TEST_F(ParamBlockTest, EveryTypeRoundTrips)
{
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    Mtl* mtl = NewPhysical();
    EXPECT_TRUE(pb->SetValue(P(L"f"), 0, 1.5f));
    EXPECT_TRUE(pb->SetValue(P(L"w"), 0, 7.0));
    EXPECT_TRUE(pb->SetValue(P(L"i"), 0, -4));
    EXPECT_TRUE(pb->SetValue(P(L"b"), 0, 1));
    EXPECT_TRUE(pb->SetValue(P(L"p2"), 0, Point2(5, 6)));
    EXPECT_TRUE(pb->SetValue(P(L"p3"), 0, Point3(7, 8, 9)));
    EXPECT_TRUE(pb->SetValue(P(L"rgb"), 0, Color(0.5f, 0.6f, 0.7f)));
    EXPECT_TRUE(pb->SetValue(P(L"p4"), 0, Point4(1, 1, 2, 3)));
    EXPECT_TRUE(pb->SetValue(P(L"rgba"), 0, AColor(0.9f, 0.8f, 0.7f, 0.6f)));
    EXPECT_TRUE(pb->SetValue(P(L"s"), 0, WStr(L"Grüße")));
    EXPECT_TRUE(pb->SetValue(P(L"file"), 0, L"C:\\tex\\wood.png"));
    EXPECT_TRUE(pb->SetValue(P(L"map"), 0, map));
    EXPECT_TRUE(pb->SetValue(P(L"mtl"), 0, mtl));

    Interval valid = FOREVER;
    float f = 0;
    int i = 0;
    Point2 p2;
    Point4 p4;
    WStr s;
    Texmap* t = nullptr;
    EXPECT_TRUE(pb->GetValue(P(L"f"), 0, f, valid));
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"w")), 7.0f);
    EXPECT_TRUE(pb->GetValue(P(L"i"), 0, i, valid));
    EXPECT_EQ(i, -4);
    EXPECT_EQ(pb->GetInt(P(L"b")), 1);
    EXPECT_TRUE(pb->GetValue(P(L"p2"), 0, p2, valid));
    EXPECT_EQ(p2, Point2(5, 6));
    EXPECT_EQ(pb->GetPoint3(P(L"p3")), Point3(7, 8, 9));
    EXPECT_EQ(pb->GetColor(P(L"rgb")), Color(0.5f, 0.6f, 0.7f));
    EXPECT_TRUE(pb->GetValue(P(L"p4"), 0, p4, valid));
    EXPECT_EQ(p4, Point4(1, 1, 2, 3));
    EXPECT_EQ(pb->GetAColor(P(L"rgba")), AColor(0.9f, 0.8f, 0.7f, 0.6f));
    EXPECT_TRUE(pb->GetValue(P(L"s"), 0, s, valid));
    EXPECT_EQ(s, WStr(L"Grüße"));
    EXPECT_STREQ(pb->GetStr(P(L"file")), L"C:\\tex\\wood.png");
    EXPECT_TRUE(pb->GetValue(P(L"map"), 0, t, valid));
    EXPECT_EQ(t, map);
    EXPECT_EQ(pb->GetMtl(P(L"mtl")), mtl);
    EXPECT_EQ(valid, FOREVER);
    EXPECT_EQ(pb->GetParameterType(P(L"rgba")), TYPE_FRGBA);
    EXPECT_EQ(pb->GetParameterType(P(L"w")), TYPE_WORLD);
}

TEST_F(ParamBlockTest, MissingNamesAreNegativeAndSetNothing)
{
    const ParamBlockDesc2* d = pb->GetDesc();
    EXPECT_LT(d->NameToIndex(L"nope"), 0);
    EXPECT_LT(d->NameToIndex(L""), 0);
    EXPECT_LT(d->NameToIndex(static_cast<const wchar_t*>(nullptr)), 0);
    EXPECT_LT(d->NameToIndex(L"F"), 0) << "names are case-sensitive";
    EXPECT_EQ(d->NameToIndex(L"other_name"), d->NameToIndex(L"f"));

    obj->changes.clear();
    EXPECT_FALSE(pb->SetValue(ParamID(-1), 0, 1.0f));
    EXPECT_FALSE(pb->SetValue(ParamID(999), 0, 1));
    EXPECT_TRUE(obj->changes.empty());
    EXPECT_EQ(pb->GetParameterType(ParamID(999)), TYPE_VOID);
    EXPECT_FLOAT_EQ(pb->GetFloat(ParamID(999)), 0.0f);
    EXPECT_EQ(pb->GetStr(ParamID(999)), nullptr);
}

TEST_F(ParamBlockTest, ValuesOfTheWrongClassAreRefused)
{
    EXPECT_FALSE(pb->SetValue(P(L"f"), 0, AColor(1, 1, 1, 1)));
    EXPECT_FALSE(pb->SetValue(P(L"f"), 0, 4)) << "an integer does not go into a float";
    EXPECT_FALSE(pb->SetValue(P(L"i"), 0, 2.0f));
    EXPECT_FALSE(pb->SetValue(P(L"p2"), 0, Point3(1, 2, 3)));
    EXPECT_FALSE(pb->SetValue(P(L"s"), 0, 1.0f));
    Mtl* mtl = NewPhysical();
    EXPECT_FALSE(pb->SetValue(P(L"map"), 0, static_cast<ReferenceTarget*>(mtl)));
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f")), 0.25f);
    EXPECT_EQ(pb->GetTexmap(P(L"map")), nullptr);
    mtl->DeleteThis();
}

TEST_F(ParamBlockTest, ThreeAndFourFloatValuesConvert)
{
    EXPECT_TRUE(pb->SetValue(P(L"rgba"), 0, Color(0.5f, 0.5f, 0.5f)));
    EXPECT_EQ(pb->GetAColor(P(L"rgba")), AColor(0.5f, 0.5f, 0.5f, 1.0f)) << "alpha becomes 1";
    EXPECT_TRUE(pb->SetValue(P(L"rgb"), 0, AColor(0.8f, 0.5f, 0.25f, 0.1f)));
    EXPECT_EQ(pb->GetColor(P(L"rgb")), Color(0.8f, 0.5f, 0.25f));
    EXPECT_EQ(pb->GetAColor(P(L"rgb")), AColor(0.8f, 0.5f, 0.25f, 1.0f));
    EXPECT_EQ(pb->GetPoint3(P(L"rgba")), Point3(0.5f, 0.5f, 0.5f));
}

TEST_F(ParamBlockTest, TableEntriesAreIndependentAndBounded)
{
    const ParamID list = P(L"list");
    EXPECT_TRUE(pb->SetValue(list, 0, 1.0f, 0));
    EXPECT_TRUE(pb->SetValue(list, 0, 3.0f, 2));
    EXPECT_FALSE(pb->SetValue(list, 0, 4.0f, 3));
    EXPECT_FALSE(pb->SetValue(list, 0, 4.0f, -1));
    EXPECT_FALSE(pb->SetValue(P(L"f"), 0, 4.0f, 1)) << "a plain parameter has only entry 0";
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 0), 1.0f);
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 1), 9.0f);
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 2), 3.0f);

    EXPECT_TRUE(pb->SetCount(list, 5));
    EXPECT_EQ(pb->Count(list), 5);
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 4), 9.0f);
    EXPECT_EQ(pb->Append(list, ParamValue::Float(6.0f)), 5);
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 5), 6.0f);
    EXPECT_TRUE(pb->SetCount(list, 1));
    EXPECT_FLOAT_EQ(pb->GetFloat(list, 0, 0), 1.0f);
    EXPECT_FALSE(pb->SetCount(P(L"f"), 2)) << "only tables resize";
}

TEST_F(ParamBlockTest, WithoutAnimationAValueHoldsAtEveryTime)
{
    EXPECT_TRUE(pb->SetValue(P(L"f"), 800, 2.0f));
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 0), 2.0f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), -100), 2.0f);
    EXPECT_TRUE(pb->KeyTimes(P(L"f")).empty());
}

TEST_F(ParamBlockTest, AnimateModeSetsKeysThatInterpolate)
{
    ip()->SetAnimateMode(true);
    EXPECT_TRUE(pb->SetValue(P(L"f"), 100, 1.25f)); // the old value becomes the key at 0
    EXPECT_TRUE(pb->SetValue(P(L"i"), 100, 13));
    EXPECT_TRUE(pb->SetValue(P(L"p3"), 100, Point3(3, 4, 5)));
    EXPECT_TRUE(pb->SetValue(P(L"list"), 100, 1.0f, 1));
    ip()->SetAnimateMode(false);

    EXPECT_EQ(pb->KeyTimes(P(L"f")), (std::vector<TimeValue>{ 0, 100 }));
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 0), 0.25f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 50), 0.75f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 200), 1.25f);
    EXPECT_EQ(pb->GetInt(P(L"i"), 99), 3) << "integers step at keys";
    EXPECT_EQ(pb->GetInt(P(L"i"), 100), 13);
    EXPECT_EQ(pb->GetPoint3(P(L"p3"), 50), Point3(2, 3, 4));
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"list"), 50, 1), 5.0f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"list"), 50, 0), 9.0f) << "other entries stay constant";

    Interval valid = FOREVER;
    float f = 0;
    pb->GetValue(P(L"f"), 50, f, valid);
    EXPECT_EQ(valid, Interval(50, 50));

    // Once keyed, a change without animate mode edits the key at that time.
    EXPECT_TRUE(pb->SetValue(P(L"f"), 100, 2.25f));
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 100), 2.25f);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f"), 0), 0.25f);
}

TEST_F(ParamBlockTest, StringsAndReferencesAreNeverKeyed)
{
    ip()->SetAnimateMode(true);
    EXPECT_TRUE(pb->SetValue(P(L"s"), 100, L"later"));
    ip()->SetAnimateMode(false);
    EXPECT_TRUE(pb->KeyTimes(P(L"s")).empty());
    EXPECT_STREQ(pb->GetStr(P(L"s"), 0), L"later");
}

TEST_F(ParamBlockTest, OwnerHearsOfEveryChange)
{
    obj->changes.clear();
    pb->SetValue(P(L"i"), 0, 1);
    pb->SetValue(P(L"s"), 0, L"x");
    EXPECT_EQ(obj->changes, (std::vector<ParamID>{ P(L"i"), P(L"s") }));
}

TEST_F(ParamBlockTest, AMapInASlotIsReferencedUntilReplaced)
{
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    pb->SetValue(P(L"map"), 0, map);
    EXPECT_TRUE(map->HasDependents());
    EXPECT_FALSE(map->MaybeAutoDelete());
    pb->SetValue(P(L"map"), 0, static_cast<Texmap*>(nullptr));
    EXPECT_FALSE(map->HasDependents());
    EXPECT_TRUE(map->MaybeAutoDelete());
}

TEST_F(ParamBlockTest, DeletingAMapEmptiesEverySlotHoldingIt)
{
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    pb->SetValue(P(L"map"), 0, map);
    Mtl* other = NewPhysical();
    Block(other)->SetValue(Id(other, L"base_color_map"), 0, map);
    map->DeleteThis();
    EXPECT_EQ(pb->GetTexmap(P(L"map")), nullptr);
    EXPECT_EQ(Block(other)->GetTexmap(Id(other, L"base_color_map")), nullptr);
    other->DeleteThis();
}

TEST_F(ParamBlockTest, RebuildKeepsMatchingValuesAndReleasesDroppedMaps)
{
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    pb->SetValue(P(L"f"), 0, 5.0f);
    pb->SetValue(P(L"i"), 0, 8);
    pb->SetValue(P(L"map"), 0, map);
    pb->Rebuild({ ParamDef(-1, L"f", TYPE_FLOAT, ParamValue::Float(0.0f)),
                  ParamDef(-1, L"i", TYPE_FLOAT, ParamValue::Float(0.5f)),
                  ParamDef(-1, L"new_map", TYPE_TEXMAP) });
    EXPECT_TRUE(pb->IsRebuilt());
    EXPECT_EQ(pb->NumParams(), 3);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f")), 5.0f) << "same name and type: kept";
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"i")), 0.5f) << "type changed: default";
    EXPECT_LT(pb->GetDesc()->NameToIndex(L"map"), 0);
    EXPECT_FALSE(map->HasDependents());
    EXPECT_NE(pb->GetDesc(), &Sample::Desc()) << "the class descriptor is left alone";
    EXPECT_EQ(Sample::Desc().Count(), 14);
    map->DeleteThis();
}

TEST_F(ParamBlockTest, RebuildIsUndoable)
{
    pb->SetValue(P(L"f"), 0, 5.0f);
    theHold.Begin();
    pb->Rebuild({ ParamDef(-1, L"only", TYPE_INT, ParamValue::Int(1)) });
    theHold.Accept(L"rebuild");
    EXPECT_EQ(pb->NumParams(), 1);
    ASSERT_TRUE(host().Undo());
    EXPECT_EQ(pb->NumParams(), 14);
    EXPECT_FLOAT_EQ(pb->GetFloat(P(L"f")), 5.0f);
    ASSERT_TRUE(host().Redo());
    EXPECT_EQ(pb->NumParams(), 1);
    EXPECT_EQ(pb->GetInt(P(L"only")), 1);
}

TEST_F(ParamBlockTest, BlocksShareTheirDefaultsButNeverEachOthersChanges)
{
    Sample* second = new Sample();
    IParamBlock2* other = second->GetParamBlock(0);
    pb->SetValue(P(L"f"), 0, 5.0f);
    pb->SetValue(P(L"list"), 0, 1.0f, 2);
    EXPECT_FLOAT_EQ(other->GetFloat(P(L"f")), 0.25f);
    EXPECT_FLOAT_EQ(other->GetFloat(P(L"list"), 0, 2), 9.0f);
    EXPECT_EQ(other->Count(P(L"list")), 3);

    // A default map is referenced by every block made with it, and a deleted
    // map leaves the blocks that held it by default as well.
    ParamBlockDesc2 desc(1, L"with_map");
    desc.AddParam(L"m", TYPE_TEXMAP, ParamValue(), 0);
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    desc.GetParamDef(0).def.r = map;
    Sample* a = new Sample();
    Sample* b = new Sample();
    IParamBlock2* pa = a->AddBlock(&desc);
    IParamBlock2* pbb = b->AddBlock(&desc);
    EXPECT_EQ(pa->GetTexmap(0), map);
    EXPECT_EQ(pa->NumRefs(), 1);
    EXPECT_EQ(pbb->GetReference(0), map);
    map->DeleteThis();
    EXPECT_EQ(pa->GetTexmap(0), nullptr);
    EXPECT_EQ(pbb->GetTexmap(0), nullptr);
    EXPECT_EQ(pbb->NumRefs(), 0);

    // A definition changed in place reaches the blocks made after it only,
    // down to the sign of a zero.
    desc.GetParamDef(0).def.r = nullptr;
    ParamBlockDesc2 floats(2, L"floats");
    floats.AddParam(L"x", TYPE_FLOAT, ParamValue::Float(0.0f));
    IParamBlock2* before = a->AddBlock(&floats);
    floats.GetParamDef(0).def.f[0] = -0.0f;
    IParamBlock2* after = b->AddBlock(&floats);
    EXPECT_FALSE(std::signbit(before->GetFloat(0)));
    EXPECT_TRUE(std::signbit(after->GetFloat(0)));
    a->DeleteThis();
    b->DeleteThis();
    second->DeleteThis();
}

TEST_F(ParamBlockTest, AValueSetBackToItsDefaultIsSharedAgainAndStillUndoes)
{
    const ParamID f = P(L"f");
    theHold.Begin();
    pb->SetValue(f, 0, 5.0f);
    theHold.Accept(L"five");
    theHold.Begin();
    pb->SetValue(f, 0, 0.25f);
    theHold.Accept(L"default");
    EXPECT_FLOAT_EQ(pb->GetFloat(f), 0.25f);
    EXPECT_EQ(pb->OwnValueCount(), 0u);

    ASSERT_TRUE(host().Undo());
    EXPECT_FLOAT_EQ(pb->GetFloat(f), 5.0f);
    ASSERT_TRUE(host().Undo());
    EXPECT_FLOAT_EQ(pb->GetFloat(f), 0.25f);
    ASSERT_TRUE(host().Redo());
    ASSERT_TRUE(host().Redo());
    EXPECT_FLOAT_EQ(pb->GetFloat(f), 0.25f);

    // Only the same bits share: a negative zero is a value of its own.
    ParamBlockDesc2 floats(3, L"zero");
    floats.AddParam(L"x", TYPE_FLOAT, ParamValue::Float(0.0f));
    Sample* owner = new Sample();
    IParamBlock2* zero = owner->AddBlock(&floats);
    zero->SetValue(0, 0, -0.0f);
    EXPECT_TRUE(std::signbit(zero->GetFloat(0)));
    EXPECT_EQ(zero->OwnValueCount(), 1u);
    owner->DeleteThis();
}

} // namespace
