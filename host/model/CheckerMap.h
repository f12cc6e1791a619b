#pragma once
// A procedural checker pattern (block 0: "color1", "color2", "map1", "map2",
// "soften", "coords").
#include "MtlBase.h"

namespace Norvane
{

constexpr Class_ID CHECKER_MAP_CLASS_ID(0x6a7e3c13, 0x2b9d0e55);

class CheckerMap : public Texmap
{
  public:
    explicit CheckerMap(bool loading = false);
    Class_ID ClassID() override { return CHECKER_MAP_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Checker"; }
    UVGen* GetTheUVGen() override;
    AColor EvalColor(float u, float v) override;
    int NumSubTexmaps() override { return 2; }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    WStr GetSubTexmapSlotName(int i) override { return i == 0 ? WStr(L"map1") : WStr(L"map2"); }
};

} // namespace Norvane
