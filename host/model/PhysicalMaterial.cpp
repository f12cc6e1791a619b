#include "PhysicalMaterial.h"

#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"
#include "ParamBlock2.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<PhysicalMaterial> physicalDesc(L"Physical Material", L"PhysicalMaterial", MATERIAL_CLASS_ID,
                                                PHYSICAL_MATERIAL_CLASS_ID, L"Materials");

// A value parameter and, when `map` is given, the texture slot that feeds it.
void Add(ParamBlockDesc2& d, const wchar_t* name, int type, const ParamValue& def, const wchar_t* map = nullptr)
{
    d.AddParam(name, type, def, P_ANIMATABLE);
    if (map)
        d.AddParam(map, TYPE_TEXMAP, ParamValue(), 0);
}

ParamValue F(float v)
{
    return ParamValue::Float(v);
}
ParamValue C(float r, float g, float b, float a = 1.0f)
{
    return ParamValue::Floats(r, g, b, a);
}

ParamBlockDesc2 physicalBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    Add(b, L"base_weight", TYPE_FLOAT, F(1.0f), L"base_weight_map");
    Add(b, L"base_color", TYPE_FRGBA, C(0.5f, 0.5f, 0.5f), L"base_color_map");
    Add(b, L"diff_roughness", TYPE_FLOAT, F(0.0f), L"diff_rough_map");
    Add(b, L"reflectivity", TYPE_FLOAT, F(1.0f), L"reflectivity_map");
    Add(b, L"refl_color", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"refl_color_map");
    Add(b, L"roughness", TYPE_FLOAT, F(0.0f), L"roughness_map");
    Add(b, L"metalness", TYPE_FLOAT, F(0.0f), L"metalness_map");
    Add(b, L"trans_ior", TYPE_FLOAT, F(1.52f), L"trans_ior_map");
    Add(b, L"anisotropy", TYPE_FLOAT, F(1.0f), L"anisotropy_map");
    Add(b, L"anisoangle", TYPE_FLOAT, F(0.0f), L"aniso_angle_map");
    Add(b, L"transparency", TYPE_FLOAT, F(0.0f), L"transparency_map");
    Add(b, L"trans_color", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"trans_color_map");
    Add(b, L"trans_depth", TYPE_WORLD, F(0.0f));
    Add(b, L"thin_walled", TYPE_BOOL, ParamValue::Int(0));
    Add(b, L"scattering", TYPE_FLOAT, F(0.0f), L"scattering_map");
    Add(b, L"sss_color", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"sss_color_map");
    Add(b, L"sss_scatter_color", TYPE_FRGBA, C(1.0f, 0.5f, 0.25f));
    Add(b, L"sss_depth", TYPE_WORLD, F(10.0f));
    Add(b, L"sss_scale", TYPE_FLOAT, F(1.0f), L"sss_scale_map");
    Add(b, L"emission", TYPE_FLOAT, F(0.0f), L"emission_map");
    Add(b, L"emit_color", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"emit_color_map");
    Add(b, L"coating", TYPE_FLOAT, F(0.0f), L"coat_map");
    Add(b, L"coat_color", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"coat_color_map");
    Add(b, L"coat_roughness", TYPE_FLOAT, F(0.0f), L"coat_rough_map");
    Add(b, L"coat_ior", TYPE_FLOAT, F(1.52f));
    Add(b, L"coat_affect_color", TYPE_FLOAT, F(0.5f));
    Add(b, L"coat_affect_roughness", TYPE_FLOAT, F(0.5f));
    Add(b, L"cutout", TYPE_FRGBA, C(1.0f, 1.0f, 1.0f), L"cutout_map");
    Add(b, L"bump", TYPE_POINT3, ParamValue::Floats(0.0f, 0.0f, 1.0f), L"bump_map");
    Add(b, L"bump_map_amt", TYPE_FLOAT, F(0.3f));
    Add(b, L"coat_bump", TYPE_POINT3, ParamValue::Floats(0.0f, 0.0f, 1.0f), L"coat_bump_map");
    Add(b, L"coating_bump_map_amt", TYPE_FLOAT, F(0.3f));
    Add(b, L"displacement_map_amt", TYPE_FLOAT, F(1.0f), L"displacement_map");
    // The coat weight's slot answers to its value's name as well.
    b.AddAlias(L"coating_map", L"coat_map");
    b.cd = &physicalDesc;
    return b;
}();

ClassRegistrar registrar(&physicalDesc);

std::vector<ParamID> MapSlots(IParamBlock2* pb)
{
    return ParamIDsOfType(pb, TYPE_TEXMAP);
}

} // namespace

PhysicalMaterial::PhysicalMaterial(bool)
{
    physicalDesc.AddParamBlockDesc(&physicalBlock);
    CreateParamBlock(&physicalBlock);
    InitName(L"Physical Material");
}

Color PhysicalMaterial::GetDiffuse()
{
    AColor c = GetParamBlock(0)->GetAColor(ParamIDOf(GetParamBlock(0), L"base_color"));
    return Color(c.r, c.g, c.b);
}

int PhysicalMaterial::NumSubTexmaps()
{
    return static_cast<int>(MapSlots(GetParamBlock(0)).size());
}

Texmap* PhysicalMaterial::GetSubTexmap(int i)
{
    auto mapSlots = MapSlots(GetParamBlock(0));
    return i >= 0 && i < static_cast<int>(mapSlots.size()) ? GetParamBlock(0)->GetTexmap(mapSlots[static_cast<size_t>(i)])
                                                           : nullptr;
}

void PhysicalMaterial::SetSubTexmap(int i, Texmap* m)
{
    auto mapSlots = MapSlots(GetParamBlock(0));
    if (i >= 0 && i < static_cast<int>(mapSlots.size()))
        GetParamBlock(0)->SetValue(mapSlots[static_cast<size_t>(i)], 0, m);
}

WStr PhysicalMaterial::GetSubTexmapSlotName(int i)
{
    auto mapSlots = MapSlots(GetParamBlock(0));
    return i >= 0 && i < static_cast<int>(mapSlots.size()) ? GetParamBlock(0)->GetLocalName(mapSlots[static_cast<size_t>(i)])
                                                           : WStr();
}

} // namespace Norvane
