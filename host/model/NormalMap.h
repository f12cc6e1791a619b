#pragma once
// The Normal Map: turns a tangent-space normal texture into a bump (block 0:
// "normal_map", "mult_spin", "bump_map", "bump_spin", "method", "flipred",
// "flipgreen", "swap_rg").
#include "BuiltinClasses.h"
#include "MtlBase.h"

namespace Norvane
{

class NormalMap : public Texmap
{
  public:
    explicit NormalMap(bool loading = false);
    Class_ID ClassID() override { return NORMAL_MAP_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Normal Map"; }
    int NumSubTexmaps() override { return 2; }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    WStr GetSubTexmapSlotName(int i) override { return i == 0 ? WStr(L"normal_map") : WStr(L"bump_map"); }
};

} // namespace Norvane
