#pragma once
// The standard_surface inputs and the Physical Material parameters they are
// read into (import) and written from (export).

#include <array>
#include <optional>
#include <string>

namespace rozo
{
// Empty texts mean "none".
struct SurfaceRow
{
    const char* input; // the standard_surface (or displacement) input
    const char* type;  // its MaterialX type

    struct Import
    {
        // Takes the input's value, and its map goes to the slot export reads
        // this parameter's map from (else "<parameter>_map"). Empty: the input
        // is looked up under its own name.
        const char* parameter;
        // Takes the strength of a normal map on the input.
        const char* amount;
        // What every imported material starts from, before the document's own values.
        std::optional<float> valuePreset;
        std::optional<float> amountPreset;
    } import;

    struct Export
    {
        const char* value;
        const char* map;
        const char* amount; // written as the scale of the normal map in front of the map
    } exported;
};

constexpr std::size_t SURFACE_ROW_COUNT = 28;
extern const std::array<SurfaceRow, SURFACE_ROW_COUNT> SURFACE_ROWS;

/// The displacement node's input; its scale is the Physical Material's displacement amount.
extern const SurfaceRow DISPLACEMENT_ROW;
constexpr const char* DISPLACEMENT_AMOUNT_PARAMETER = "displacement_map_amt";

/// The row of a standard_surface input, or null.
const SurfaceRow* findSurfaceRow(const std::string& input);
} // namespace rozo
