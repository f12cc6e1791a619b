#include "MultiMaterial.h"

#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<MultiMaterial> multiDesc(L"Multi/Sub-Object", L"MultiMaterial", MATERIAL_CLASS_ID,
                                          MULTI_MATERIAL_CLASS_ID, L"Materials");

constexpr int DEFAULT_COUNT = 2;

ParamBlockDesc2 multiBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    ParamDef list(-1, L"materialList", TYPE_MTL, ParamValue(), P_TABLE);
    list.tab_size = DEFAULT_COUNT;
    b.AddParam(list);
    ParamDef ids(-1, L"materialIDList", TYPE_INT, ParamValue(), P_TABLE);
    ids.tab_size = DEFAULT_COUNT;
    b.AddParam(ids);
    ParamDef names(-1, L"names", TYPE_STRING, ParamValue(), P_TABLE);
    names.tab_size = DEFAULT_COUNT;
    b.AddParam(names);
    return b;
}();

ClassRegistrar registrar(&multiDesc);

} // namespace

MultiMaterial::MultiMaterial(bool)
{
    multiDesc.AddParamBlockDesc(&multiBlock);
    IParamBlock2* pb = CreateParamBlock(&multiBlock);
    InitName(L"Multi/Sub-Object");
    for (int i = 0; i < DEFAULT_COUNT; ++i)
        pb->SetEntry(ParamIDOf(pb, L"materialIDList"), i, IParamBlock2::Entry{ ParamValue::Int(i + 1), {} });
}

int MultiMaterial::NumSubMtls()
{
    return GetParamBlock(0)->Count(ParamIDOf(GetParamBlock(0), L"materialList"));
}

Mtl* MultiMaterial::GetSubMtl(int i)
{
    return GetParamBlock(0)->GetMtl(ParamIDOf(GetParamBlock(0), L"materialList"), 0, i);
}

void MultiMaterial::SetSubMtl(int i, Mtl* m)
{
    GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), L"materialList"), 0, m, i);
}

WStr MultiMaterial::GetSubMtlSlotName(int i)
{
    const wchar_t* s = GetParamBlock(0)->GetStr(ParamIDOf(GetParamBlock(0), L"names"), 0, i);
    return WStr(s);
}

void MultiMaterial::SetNumSubMtls(int n)
{
    IParamBlock2* pb = GetParamBlock(0);
    int old = NumSubMtls();
    pb->SetCount(ParamIDOf(pb, L"materialList"), n);
    pb->SetCount(ParamIDOf(pb, L"materialIDList"), n);
    pb->SetCount(ParamIDOf(pb, L"names"), n);
    for (int i = old; i < n; ++i)
        pb->SetValue(ParamIDOf(pb, L"materialIDList"), 0, i + 1, i);
}

} // namespace Norvane
