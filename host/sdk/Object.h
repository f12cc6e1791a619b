#pragma once
// Scene geometry objects (what a node shows).
#include "Animatable.h"

class Object : public ReferenceTarget
{
  public:
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
};

using GeomObject = Object;
