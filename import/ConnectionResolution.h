#pragma once
// Which Physical Material parameter receives the map for a connected input.

#include <string>

namespace rozo
{
/// The map slot of a host parameter: its name + "_map", except "coat_roughness",
/// whose slot is "coat_rough_map".
std::string mapSlotName(const std::string& mapParameter);
} // namespace rozo
