#pragma once
// Where standard_surface inputs land on the host's Physical Material, as the
// surface table (plugin/contracts/SurfaceTable.h) has it for import.

#include <string>

class IParamBlock2;

namespace rozo
{
/// The Physical Material parameter that receives a standard_surface input;
/// names without an import parameter in the table are used unchanged.
std::string mapSurfaceInputName(const std::string& inputName);

/// The map slot of a Physical Material parameter: the one export reads that
/// parameter's map from, else its name + "_map".
std::string mapSlotName(const std::string& mapParameter);

/// The parameter that takes the strength of a normal map on the input; empty when none does.
std::string surfaceAmountParameter(const std::string& inputName);

/// Sets the values every imported Physical Material starts from.
void presetImportedSurface(IParamBlock2* parameters);
} // namespace rozo
