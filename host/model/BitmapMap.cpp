#include "BitmapMap.h"

#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"
#include "Hold.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<BitmapMap> bitmapDesc(L"Bitmap", L"Bitmap", TEXMAP_CLASS_ID, BITMAP_CLASS_ID, L"Maps");
BuiltinClassDesc<StandardUVGen> uvgenDesc(L"UVW Coordinates", L"StdUVGen", UVGEN_CLASS_ID, STD_UVGEN_CLASS_ID,
                                          L"Maps");

ParamBlockDesc2 bitmapBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    b.AddParam(L"fileName", TYPE_FILENAME, ParamValue(), 0);
    b.AddParam(L"alphaSource", TYPE_INT, ParamValue::Int(2), 0);
    b.AddParam(L"coords", TYPE_REFTARG, ParamValue(), 0);
    return b;
}();

ParamBlockDesc2 uvgenBlock = [] {
    ParamBlockDesc2 b(0, L"coordinates", nullptr);
    b.AddParam(L"U_Tiling", TYPE_FLOAT, ParamValue::Float(1.0f));
    b.AddParam(L"V_Tiling", TYPE_FLOAT, ParamValue::Float(1.0f));
    b.AddParam(L"U_Offset", TYPE_FLOAT, ParamValue::Float(0.0f));
    b.AddParam(L"V_Offset", TYPE_FLOAT, ParamValue::Float(0.0f));
    b.AddParam(L"W_Angle", TYPE_ANGLE, ParamValue::Float(0.0f));
    return b;
}();

ClassRegistrar bitmapRegistrar(&bitmapDesc);
ClassRegistrar uvgenRegistrar(&uvgenDesc);

} // namespace

StandardUVGen::StandardUVGen(bool)
{
    uvgenDesc.AddParamBlockDesc(&uvgenBlock);
    CreateParamBlock(&uvgenBlock);
    InitName(L"Coordinates");
}

float StandardUVGen::Get(const wchar_t* name, TimeValue t)
{
    return GetParamBlock(0)->GetFloat(ParamIDOf(GetParamBlock(0), name), t);
}

void StandardUVGen::Set(const wchar_t* name, float v, TimeValue t)
{
    GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), name), t, v);
}

float StandardUVGen::GetUScl(TimeValue t)
{
    return Get(L"U_Tiling", t);
}
float StandardUVGen::GetVScl(TimeValue t)
{
    return Get(L"V_Tiling", t);
}
void StandardUVGen::SetUScl(float v, TimeValue t)
{
    Set(L"U_Tiling", v, t);
}
void StandardUVGen::SetVScl(float v, TimeValue t)
{
    Set(L"V_Tiling", v, t);
}
float StandardUVGen::GetUOffs(TimeValue t)
{
    return Get(L"U_Offset", t);
}
float StandardUVGen::GetVOffs(TimeValue t)
{
    return Get(L"V_Offset", t);
}
void StandardUVGen::SetUOffs(float v, TimeValue t)
{
    Set(L"U_Offset", v, t);
}
void StandardUVGen::SetVOffs(float v, TimeValue t)
{
    Set(L"V_Offset", v, t);
}
float StandardUVGen::GetWAng(TimeValue t)
{
    return Get(L"W_Angle", t);
}
void StandardUVGen::SetWAng(float v, TimeValue t)
{
    Set(L"W_Angle", v, t);
}

BitmapMap::BitmapMap(bool loading)
{
    bitmapDesc.AddParamBlockDesc(&bitmapBlock);
    CreateParamBlock(&bitmapBlock);
    InitName(L"Bitmap");
    AttachNewUVGen(this, loading);
}

void AttachNewUVGen(ReferenceTarget* owner, bool loading)
{
    if (loading)
        return;
    theHold.Suspend();
    IParamBlock2* pb = owner->GetParamBlock(0);
    pb->SetValue(ParamIDOf(pb, L"coords"), 0, static_cast<ReferenceTarget*>(new StandardUVGen(false)));
    theHold.Resume();
}

const wchar_t* BitmapMap::GetMapName()
{
    const wchar_t* s = GetParamBlock(0)->GetStr(ParamIDOf(GetParamBlock(0), L"fileName"));
    return s ? s : L"";
}

void BitmapMap::SetMapName(const wchar_t* name)
{
    GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), L"fileName"), 0, name);
}

StdUVGen* BitmapMap::GetUVGen()
{
    return dynamic_cast<StdUVGen*>(GetParamBlock(0)->GetReferenceTarget(ParamIDOf(GetParamBlock(0), L"coords")));
}

} // namespace Norvane
