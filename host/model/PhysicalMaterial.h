#pragma once
// The host's physically based surface material (block 0: every surface value
// with its map slot).
#include "BuiltinClasses.h"
#include "MtlBase.h"

namespace Norvane
{

class PhysicalMaterial : public Mtl
{
  public:
    explicit PhysicalMaterial(bool loading = false);
    Class_ID ClassID() override { return PHYSICAL_MATERIAL_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Physical Material"; }
    Color GetDiffuse() override;
    int NumSubTexmaps() override;
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    WStr GetSubTexmapSlotName(int i) override;
};

} // namespace Norvane
