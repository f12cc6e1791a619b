#pragma once
// Names of standard_surface inputs on the host's Physical Material.

#include <string>

namespace rozo
{
/// The Physical Material parameter that receives a standard_surface input;
/// names without a row are used unchanged.
std::string mapSurfaceInputName(const std::string& inputName);
} // namespace rozo
