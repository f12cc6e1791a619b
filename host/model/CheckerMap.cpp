#include "CheckerMap.h"

#include "BitmapMap.h"
#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"

#include <cmath>

namespace Norvane
{
namespace
{

BuiltinClassDesc<CheckerMap> checkerDesc(L"Checker", L"Checker", TEXMAP_CLASS_ID, CHECKER_MAP_CLASS_ID, L"Maps");

ParamBlockDesc2 checkerBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    b.AddParam(L"color1", TYPE_FRGBA, ParamValue::Floats(0.0f, 0.0f, 0.0f, 1.0f));
    b.AddParam(L"color2", TYPE_FRGBA, ParamValue::Floats(1.0f, 1.0f, 1.0f, 1.0f));
    b.AddParam(L"map1", TYPE_TEXMAP, ParamValue(), 0);
    b.AddParam(L"map2", TYPE_TEXMAP, ParamValue(), 0);
    b.AddParam(L"soften", TYPE_FLOAT, ParamValue::Float(0.0f));
    b.AddParam(L"coords", TYPE_REFTARG, ParamValue(), 0);
    return b;
}();

ClassRegistrar registrar(&checkerDesc);

} // namespace

CheckerMap::CheckerMap(bool loading)
{
    checkerDesc.AddParamBlockDesc(&checkerBlock);
    CreateParamBlock(&checkerBlock);
    InitName(L"Checker");
    AttachNewUVGen(this, loading);
}

UVGen* CheckerMap::GetTheUVGen()
{
    return dynamic_cast<UVGen*>(GetParamBlock(0)->GetReferenceTarget(ParamIDOf(GetParamBlock(0), L"coords")));
}

AColor CheckerMap::EvalColor(float u, float v)
{
    IParamBlock2* pb = GetParamBlock(0);
    if (auto* uv = dynamic_cast<StdUVGen*>(GetTheUVGen()))
    {
        u = u * uv->GetUScl(0) + uv->GetUOffs(0);
        v = v * uv->GetVScl(0) + uv->GetVOffs(0);
    }
    const int cell = (static_cast<int>(std::floor(u * 2.0f)) + static_cast<int>(std::floor(v * 2.0f))) & 1;
    if (Texmap* m = pb->GetTexmap(ParamIDOf(pb, cell ? L"map2" : L"map1")))
        return m->EvalColor(u, v);
    return pb->GetAColor(ParamIDOf(pb, cell ? L"color2" : L"color1"));
}

Texmap* CheckerMap::GetSubTexmap(int i)
{
    return i == 0 || i == 1 ? GetParamBlock(0)->GetTexmap(ParamIDOf(GetParamBlock(0), i ? L"map2" : L"map1")) : nullptr;
}

void CheckerMap::SetSubTexmap(int i, Texmap* m)
{
    if (i == 0 || i == 1)
        GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), i ? L"map2" : L"map1"), 0, m);
}

} // namespace Norvane
