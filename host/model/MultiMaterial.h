#pragma once
// A multi/sub-object material: a table of materials with IDs and names
// (block 0: "materialList", "materialIDList", "names").
#include "MtlBase.h"

namespace Norvane
{

constexpr Class_ID MULTI_MATERIAL_CLASS_ID(0x6a7e3c12, 0x2b9d0e55);

class MultiMaterial : public Mtl
{
  public:
    explicit MultiMaterial(bool loading = false);
    Class_ID ClassID() override { return MULTI_MATERIAL_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Multi/Sub-Object"; }
    int NumSubMtls() override;
    Mtl* GetSubMtl(int i) override;
    void SetSubMtl(int i, Mtl* m) override;
    WStr GetSubMtlSlotName(int i) override;
    // Resizes the three tables together.
    void SetNumSubMtls(int n);
};

} // namespace Norvane
