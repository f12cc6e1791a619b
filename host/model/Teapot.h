#pragma once
// Teapot geometry (block 0: "radius", "segs", "smooth").
#include "Object.h"

namespace Norvane {

constexpr Class_ID TEAPOT_CLASS_ID(0xACAD13D3, 0xACAD26D9);

class Teapot : public Object {
public:
    explicit Teapot(bool loading = false);
    Class_ID ClassID() override { return TEAPOT_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Teapot"; }
};

} // namespace Norvane
