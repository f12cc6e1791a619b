#pragma once
// Parameter-block reads by internal name, as export makes them (table index 0).

#include <NorvaneSDK.h>

#include <string>

/// The texture map held by a map parameter, or null (also for unknown names).
Texmap* texmapParameter(IParamBlock2* block, const std::string& name, TimeValue time);

/// The value of a float parameter; false when it cannot be read.
bool floatParameter(IParamBlock2* block, const std::string& name, TimeValue time, float& value);
