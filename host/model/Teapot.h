#pragma once
// Teapot geometry (block 0: "radius", "segs", "smooth").
#include "BuiltinClasses.h"
#include "Object.h"

namespace Norvane
{

class Teapot : public Object
{
  public:
    explicit Teapot(bool loading = false);
    Class_ID ClassID() override { return TEAPOT_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Teapot"; }
};

} // namespace Norvane
