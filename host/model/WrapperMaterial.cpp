#include "WrapperMaterial.h"

#include "BlockSlots.h"
#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<WrapperMaterial> wrapperDesc(L"Wrapper Material", L"WrapperMaterial", MATERIAL_CLASS_ID,
                                              WRAPPER_MATERIAL_CLASS_ID, L"Materials");

ParamBlockDesc2 wrapperBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    b.AddParam(L"material", TYPE_MTL, ParamValue(), 0);
    return b;
}();

ClassRegistrar registrar(&wrapperDesc);

} // namespace

WrapperMaterial::WrapperMaterial(bool)
{
    wrapperDesc.AddParamBlockDesc(&wrapperBlock);
    CreateParamBlock(&wrapperBlock);
    InitName(L"Wrapper Material");
}

void* WrapperMaterial::GetInterface(ULONG id)
{
    if (id == WRAPPER_MATERIAL_INTERFACE_ID)
        return static_cast<IWrapperMaterial*>(this);
    return Mtl::GetInterface(id);
}

Mtl* WrapperMaterial::GetMaterial()
{
    return GetParamBlock(0)->GetMtl(ParamIDOf(GetParamBlock(0), L"material"));
}

void WrapperMaterial::SetMaterial(Mtl* m)
{
    GetParamBlock(0)->SetValue(ParamIDOf(GetParamBlock(0), L"material"), 0, m);
}

} // namespace Norvane
