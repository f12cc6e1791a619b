// The built-in classes: creation by IDs and the parameter layouts the
// plug-in addresses by name.
#include "HostTest.h"

#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"
#include "ParamAccess.h"

namespace
{

using ClassesTest = HostTest;

TEST_F(ClassesTest, EveryBuiltInClassIsMadeFromItsIDs)
{
    struct Known
    {
        SClass_ID sclass;
        Class_ID cid;
    };
    const Known known[] = {
        { MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID },
        { TEXMAP_CLASS_ID, NORMAL_MAP_CLASS_ID },
        { GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID },
        { TEXMAP_CLASS_ID, BITMAP_CLASS_ID },
        { TEXMAP_CLASS_ID, Norvane::CHECKER_MAP_CLASS_ID },
        { MATERIAL_CLASS_ID, Norvane::WRAPPER_MATERIAL_CLASS_ID },
        { MATERIAL_CLASS_ID, Norvane::MULTI_MATERIAL_CLASS_ID },
        { UVGEN_CLASS_ID, Norvane::STD_UVGEN_CLASS_ID },
    };
    for (const Known& k : known)
    {
        auto* obj = Create<ReferenceTarget>(k.sclass, k.cid);
        ASSERT_NE(obj, nullptr) << std::hex << k.cid.PartA();
        EXPECT_EQ(obj->ClassID(), k.cid);
        EXPECT_EQ(obj->SuperClassID(), k.sclass);
        ClassDesc* desc = Norvane::ClassRegistry::Instance().Find(k.sclass, k.cid);
        ASSERT_NE(desc, nullptr);
        EXPECT_TRUE(desc->IsPublic());
        obj->DeleteThis();
    }
}

TEST_F(ClassesTest, UnknownClassesGiveNone)
{
    EXPECT_EQ(ip()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(1, 2)), nullptr);
    EXPECT_EQ(ip()->CreateInstance(TEXMAP_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID), nullptr)
        << "the super class must match too";
}

TEST_F(ClassesTest, ARegistrarAddsAndRemovesAClass)
{
    Norvane::BuiltinClassDesc<Norvane::CheckerMap> desc(L"Other", L"Other", TEXMAP_CLASS_ID, Class_ID(7, 7));
    {
        Norvane::ClassRegistrar registrar(&desc);
        Texmap* m = NewMap(Class_ID(7, 7));
        ASSERT_NE(m, nullptr);
        m->DeleteThis();
    }
    EXPECT_EQ(ip()->CreateInstance(TEXMAP_CLASS_ID, Class_ID(7, 7)), nullptr);
}

// Physical Material: every value the import and export name, with its type
// code's value class, and every map slot.
TEST_F(ClassesTest, PhysicalMaterialHasEveryNamedParameter)
{
    Mtl* m = NewPhysical();
    const ParamBlockDesc2* d = Block(m)->GetDesc();
    const wchar_t* floats[] = { L"base_weight", L"diff_roughness", L"reflectivity", L"roughness", L"metalness",
                                L"trans_ior", L"anisoangle", L"transparency", L"trans_depth", L"scattering",
                                L"sss_depth", L"sss_scale", L"emission", L"coating", L"coat_roughness",
                                L"coat_ior", L"coat_affect_color", L"coat_affect_roughness", L"bump_map_amt",
                                L"coating_bump_map_amt", L"displacement_map_amt" };
    for (const wchar_t* name : floats)
    {
        ASSERT_GE(d->NameToIndex(name), 0) << WStr(name);
        EXPECT_TRUE(IsFloatParamType(Block(m)->GetParameterType(Id(m, name)))) << WStr(name);
    }
    const wchar_t* colours[] = { L"base_color", L"refl_color", L"trans_color", L"sss_color", L"sss_scatter_color",
                                 L"emit_color", L"coat_color", L"cutout" };
    for (const wchar_t* name : colours)
        EXPECT_EQ(Block(m)->GetParameterType(Id(m, name)), TYPE_FRGBA) << WStr(name);
    EXPECT_EQ(Block(m)->GetParameterType(Id(m, L"thin_walled")), TYPE_BOOL);
    EXPECT_EQ(Block(m)->GetParameterType(Id(m, L"bump")), TYPE_POINT3);
    EXPECT_EQ(Block(m)->GetParameterType(Id(m, L"coat_bump")), TYPE_POINT3);

    const wchar_t* maps[] = { L"base_weight_map", L"base_color_map", L"diff_rough_map", L"reflectivity_map",
                              L"refl_color_map", L"roughness_map", L"trans_ior_map", L"aniso_angle_map",
                              L"metalness_map", L"transparency_map", L"trans_color_map", L"scattering_map",
                              L"sss_color_map", L"sss_scale_map", L"emission_map", L"emit_color_map",
                              L"cutout_map", L"coat_map", L"coat_color_map", L"coat_rough_map", L"bump_map",
                              L"coat_bump_map", L"displacement_map", L"coating_map" };
    for (const wchar_t* name : maps)
        EXPECT_EQ(Block(m)->GetParameterType(Id(m, name)), TYPE_TEXMAP) << WStr(name);
    EXPECT_EQ(Id(m, L"coating_map"), Id(m, L"coat_map"));
    EXPECT_LT(d->NameToIndex(L"coat_roughness_map"), 0) << "the coat roughness map is coat_rough_map";
    EXPECT_LT(d->NameToIndex(L"diffuse_roughness"), 0);
    EXPECT_LT(d->NameToIndex(L"specular_rotation"), 0);
    m->DeleteThis();
}

TEST_F(ClassesTest, PhysicalMaterialListsItsMapSlots)
{
    Mtl* m = NewPhysical();
    Texmap* map = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    ASSERT_GT(m->NumSubTexmaps(), 20);
    EXPECT_EQ(m->GetSubTexmapSlotName(0), WStr(L"base_weight_map"));
    m->SetSubTexmap(1, map);
    EXPECT_EQ(Block(m)->GetTexmap(Id(m, L"base_color_map")), map);
    EXPECT_EQ(m->GetSubTexmap(1), map);
    m->DeleteThis();
    EXPECT_TRUE(map->MaybeAutoDelete());
}

TEST_F(ClassesTest, NormalMapHoldsItsSubMapAndStrength)
{
    Texmap* n = NewMap(NORMAL_MAP_CLASS_ID);
    Texmap* image = NewMap(BITMAP_CLASS_ID);
    EXPECT_TRUE(Block(n)->SetValue(Id(n, L"normal_map"), 0, image));
    EXPECT_FLOAT_EQ(Block(n)->GetFloat(Id(n, L"mult_spin")), 1.0f);
    EXPECT_EQ(n->GetSubTexmap(0), image);
    EXPECT_EQ(n->GetName(), WStr(L"Normal Map"));
    n->DeleteThis();
}

TEST_F(ClassesTest, BitmapHasAFileNameAndTiling)
{
    Texmap* t = NewMap(BITMAP_CLASS_ID);
    auto* bitmap = dynamic_cast<BitmapTex*>(t);
    ASSERT_NE(bitmap, nullptr);
    bitmap->SetMapName(L"C:\\tex\\wood.png");
    EXPECT_STREQ(bitmap->GetMapName(), L"C:\\tex\\wood.png");
    EXPECT_STREQ(Block(t)->GetStr(Id(t, L"fileName")), L"C:\\tex\\wood.png");
    auto* uv = dynamic_cast<StdUVGen*>(t->GetTheUVGen());
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv, bitmap->GetUVGen());
    EXPECT_FLOAT_EQ(uv->GetUScl(0), 1.0f);
    uv->SetUScl(2.0f, 0);
    uv->SetVScl(3.0f, 0);
    EXPECT_FLOAT_EQ(uv->GetUScl(0), 2.0f);
    EXPECT_FLOAT_EQ(uv->GetVScl(0), 3.0f);
    t->DeleteThis();
}

TEST_F(ClassesTest, WrapperAnswersItsInterfaceWithTheInnerMaterial)
{
    Mtl* inner = NewPhysical(L"inner");
    auto* wrapper = Create<Mtl>(MATERIAL_CLASS_ID, Norvane::WRAPPER_MATERIAL_CLASS_ID);
    auto* iface = static_cast<IWrapperMaterial*>(wrapper->GetInterface(WRAPPER_MATERIAL_INTERFACE_ID));
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->GetMaterial(), nullptr);
    iface->SetMaterial(inner);
    EXPECT_EQ(iface->GetMaterial(), inner);
    EXPECT_EQ(wrapper->GetSubMtl(0), inner);
    EXPECT_EQ(inner->GetInterface(WRAPPER_MATERIAL_INTERFACE_ID), nullptr);
    wrapper->DeleteThis();
    inner->DeleteThis();
}

TEST_F(ClassesTest, MultiMaterialHoldsATableOfMaterials)
{
    auto* multi = dynamic_cast<Norvane::MultiMaterial*>(Create<Mtl>(MATERIAL_CLASS_ID, Norvane::MULTI_MATERIAL_CLASS_ID));
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(multi->NumSubMtls(), 2);
    multi->SetNumSubMtls(3);
    Mtl* a = NewPhysical(L"a");
    multi->SetSubMtl(2, a);
    EXPECT_EQ(multi->GetSubMtl(2), a);
    EXPECT_EQ(Block(multi)->GetInt(Id(multi, L"materialIDList"), 0, 2), 3);
    EXPECT_NE(multi->ClassID(), PHYSICAL_MATERIAL_CLASS_ID);
    multi->DeleteThis();
    a->DeleteThis();
}

TEST_F(ClassesTest, CheckerIsAProceduralMapOfNeitherKnownKind)
{
    Texmap* c = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    EXPECT_EQ(dynamic_cast<BitmapTex*>(c), nullptr);
#if __has_include("IOSLMap.h")
    EXPECT_EQ(NorvaneSDK::OSL::IOSLMapInterface::Of(c), nullptr);
#endif
    EXPECT_EQ(c->EvalColor(0.1f, 0.1f), AColor(0, 0, 0, 1));
    EXPECT_EQ(c->EvalColor(0.6f, 0.1f), AColor(1, 1, 1, 1));
    c->DeleteThis();
}

TEST_F(ClassesTest, TeapotHasARadius)
{
    Object* t = NewTeapot();
    EXPECT_TRUE(Block(t)->SetValue(Id(t, L"radius"), 0, 20.0f));
    EXPECT_FLOAT_EQ(Block(t)->GetFloat(Id(t, L"radius")), 20.0f);
    EXPECT_EQ(Block(t)->GetParameterType(Id(t, L"radius")), TYPE_WORLD);
    t->DeleteThis();
}

} // namespace

namespace
{

// Parameters by name as Qt values, the way the script engine reaches them.
class ParamAccessTest : public HostTest
{
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        mtl = NewPhysical();
    }
    Mtl* mtl = nullptr;
};

TEST_F(ParamAccessTest, ReadsAndWritesEveryKindByName)
{
    using namespace Norvane;
    EXPECT_TRUE(SetParam(mtl, QStringLiteral("roughness"), 0.25, 0));
    EXPECT_DOUBLE_EQ(GetParam(mtl, QStringLiteral("roughness"), 0).toDouble(), 0.25);
    EXPECT_TRUE(SetParam(mtl, QStringLiteral("thin_walled"), true, 0));
    EXPECT_EQ(GetParam(mtl, QStringLiteral("thin_walled"), 0), QVariant(true));
    EXPECT_TRUE(SetParam(mtl, QStringLiteral("base_color"), QVariantList{ 0.5, 0.25, 1.0, 1.0 }, 0));
    EXPECT_EQ(GetParam(mtl, QStringLiteral("base_color"), 0), QVariant(QVariantList{ 0.5, 0.25, 1.0, 1.0 }));
    Texmap* map = NewMap(CHECKER_MAP_CLASS_ID);
    EXPECT_TRUE(SetParam(mtl, QStringLiteral("coat_rough_map"), FromTarget(map), 0));
    EXPECT_EQ(ToTarget(GetParam(mtl, QStringLiteral("coat_rough_map"), 0)), map);
    EXPECT_FALSE(SetParam(mtl, QStringLiteral("base_color"), QVariantList{ 1.0 }, 0)) << "too few components";
    EXPECT_FALSE(SetParam(mtl, QStringLiteral("nope"), 1, 0));
    EXPECT_FALSE(GetParam(mtl, QStringLiteral("nope"), 0).isValid());
    EXPECT_TRUE(ParamNames(mtl).contains(QStringLiteral("displacement_map")));
}

// An object with blocks of its own, for names that repeat.
class TwoBlocks : public ReferenceTarget
{
  public:
    TwoBlocks(const ParamBlockDesc2* a, const ParamBlockDesc2* b)
    {
        CreateParamBlock(a);
        CreateParamBlock(b);
    }
    Class_ID ClassID() override { return Class_ID(0x52, 0x52); }
};

TEST_F(ParamAccessTest, VisitingEveryParameterReadsWhatTheNameReads)
{
    using namespace Norvane;
    ParamBlockDesc2 first(0, L"first");
    first.AddParam(L"x", TYPE_FLOAT, ParamValue::Float(1.0f));
    first.AddParam(L"x", TYPE_FLOAT, ParamValue::Float(2.0f)); // shadowed within the block
    first.AddParam(L"caf\u00e9", TYPE_INT, ParamValue::Int(4));
    ParamBlockDesc2 second(1, L"second");
    second.AddParam(L"x", TYPE_FLOAT, ParamValue::Float(3.0f)); // shadowed by the first block
    second.AddParam(L"y", TYPE_STRING, ParamValue::Text(L"why"));
    auto* obj = new TwoBlocks(&first, &second);

    QStringList visited;
    QVariantList values;
    ForEachParam(obj, [&](const ParamDef& def, const ParamLocation& at) {
        visited << def.int_name.ToQString();
        values << GetParam(at, 0);
    });
    const QStringList names = ParamNames(obj);
    ASSERT_EQ(visited, names);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(values[i], GetParam(obj, names[i], 0)) << names[i].toStdString();
    EXPECT_EQ(values, (QVariantList{ 1.0, 1.0, 4, 1.0, QStringLiteral("why") }));
    obj->DeleteThis();
}

TEST_F(ParamAccessTest, ClassesAreFoundByName)
{
    auto& registry = Norvane::ClassRegistry::Instance();
    ASSERT_NE(registry.FindByName(L"PhysicalMaterial"), nullptr);
    EXPECT_EQ(registry.FindByName(L"Normal Map")->ClassID(), NORMAL_MAP_CLASS_ID);
    EXPECT_EQ(registry.FindByName(L"nothing"), nullptr);
}

} // namespace
