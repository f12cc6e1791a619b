#include "NormalMap.h"

#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<NormalMap> normalDesc(L"Normal Map", L"NormalMap", TEXMAP_CLASS_ID, NORMAL_MAP_CLASS_ID, L"Maps");

ParamBlockDesc2 normalBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    b.AddParam(L"normal_map", TYPE_TEXMAP, ParamValue(), 0);
    b.AddParam(L"mult_spin", TYPE_FLOAT, ParamValue::Float(1.0f));
    b.AddParam(L"bump_map", TYPE_TEXMAP, ParamValue(), 0);
    b.AddParam(L"bump_spin", TYPE_FLOAT, ParamValue::Float(1.0f));
    b.AddParam(L"method", TYPE_INT, ParamValue::Int(0), 0);
    b.AddParam(L"flipred", TYPE_BOOL, ParamValue::Int(0), 0);
    b.AddParam(L"flipgreen", TYPE_BOOL, ParamValue::Int(0), 0);
    b.AddParam(L"swap_rg", TYPE_BOOL, ParamValue::Int(0), 0);
    return b;
}();

ClassRegistrar registrar(&normalDesc);

const wchar_t* SlotName(int i)
{
    return i == 0 ? L"normal_map" : L"bump_map";
}

} // namespace

NormalMap::NormalMap(bool)
{
    normalDesc.AddParamBlockDesc(&normalBlock);
    CreateParamBlock(&normalBlock);
    InitName(L"Normal Map");
}

Texmap* NormalMap::GetSubTexmap(int i)
{
    return i == 0 || i == 1 ? GetParamBlock(0)->GetTexmap(ParamIDOf(GetParamBlock(0), SlotName(i))) : nullptr;
}

void NormalMap::SetSubTexmap(int i, Texmap* m)
{
    if (i == 0 || i == 1)
        GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), SlotName(i)), 0, m);
}

} // namespace Norvane
