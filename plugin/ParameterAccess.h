#pragma once
// Parameters of a parameter block addressed by their internal names, at table
// index 0. An unknown name reads as nothing and sets nothing.

#include <NorvaneSDK.h>

#include <optional>
#include <string>
#include <vector>

namespace rozo
{
/// The ID of the block's parameter with that internal name, none when it has none.
std::optional<ParamID> parameterId(IParamBlock2* block, const std::string& name);
/// Internal names of the block's parameters, in index order.
std::vector<std::string> parameterNames(IParamBlock2* block);

// Setters at time 0.
void setFloatByName(IParamBlock2* block, const std::string& name, float value);
void setTexmapByName(IParamBlock2* block, const std::string& name, Texmap* map);
void setTextByName(IParamBlock2* block, const std::string& name, const WStr& text);

/// The texture map held by a map parameter, or null.
Texmap* texmapParameter(IParamBlock2* block, const std::string& name, TimeValue time);
/// The value of a float parameter; false when it cannot be read.
bool floatParameter(IParamBlock2* block, const std::string& name, TimeValue time, float& value);
} // namespace rozo
