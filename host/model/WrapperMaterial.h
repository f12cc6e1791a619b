#pragma once
// A material that wraps another one (block 0: "material"); it answers
// interface 0x11D0 with the wrapped material.
#include "MtlBase.h"

namespace Norvane
{

constexpr Class_ID WRAPPER_MATERIAL_CLASS_ID(0x6a7e3c11, 0x2b9d0e55);

class WrapperMaterial : public Mtl, public IWrapperMaterial
{
  public:
    explicit WrapperMaterial(bool loading = false);
    Class_ID ClassID() override { return WRAPPER_MATERIAL_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Wrapper Material"; }
    void* GetInterface(ULONG id) override;
    using Mtl::GetInterface;
    Mtl* GetMaterial() override;
    void SetMaterial(Mtl* m) override;
    int NumSubMtls() override { return 1; }
    Mtl* GetSubMtl(int i) override { return i == 0 ? GetMaterial() : nullptr; }
    void SetSubMtl(int i, Mtl* m) override
    {
        if (i == 0)
            SetMaterial(m);
    }
    WStr GetSubMtlSlotName(int i) override { return WStr(L"material"); }
};

} // namespace Norvane
