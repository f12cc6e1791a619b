#include "plugin/contracts/SurfaceTable.h"

namespace rozo
{
// Rows in the order export writes them. Where import and export differ, on purpose:
// - diffuse_roughness and specular_rotation are exported (from diff_roughness and
//   anisoangle) but not imported: import looks them up under their own names,
//   which the Physical Material lacks, and drops them.
// - subsurface_scale is imported into sss_depth (which takes no map) but exported
//   from sss_scale and its map.
// - opacity, normal and coat_normal are exported from their maps alone; import
//   also takes their values (cutout, bump, coat_bump).
// - Inputs without an export map (transmission_depth, thin_walled,
//   subsurface_radius, coat_IOR, coat_affect_*) lose an imported map: the
//   Physical Material has no slot for it.
// Inputs without a row are imported under their own names and never exported.
const std::array<SurfaceRow, SURFACE_ROW_COUNT> SURFACE_ROWS = { {
    // input, type, { import: parameter, amount, value preset, amount preset }, { export: value, map, amount }
    { "base", "float", { "base_weight", "", {}, {} }, { "base_weight", "base_weight_map", "" } },
    { "base_color", "color3", { "base_color", "", {}, {} }, { "base_color", "base_color_map", "" } },
    { "diffuse_roughness", "float", { "", "", {}, {} }, { "diff_roughness", "diff_rough_map", "" } },
    { "specular", "float", { "reflectivity", "", {}, {} }, { "reflectivity", "reflectivity_map", "" } },
    { "specular_color", "color3", { "refl_color", "", {}, {} }, { "refl_color", "refl_color_map", "" } },
    { "specular_roughness", "float", { "roughness", "", {}, {} }, { "roughness", "roughness_map", "" } },
    { "specular_IOR", "float", { "trans_ior", "", {}, {} }, { "trans_ior", "trans_ior_map", "" } },
    { "specular_rotation", "float", { "", "", {}, {} }, { "anisoangle", "aniso_angle_map", "" } },
    { "metalness", "float", { "metalness", "", {}, {} }, { "metalness", "metalness_map", "" } },
    { "transmission", "float", { "transparency", "", {}, {} }, { "transparency", "transparency_map", "" } },
    { "transmission_color", "color3", { "trans_color", "", {}, {} }, { "trans_color", "trans_color_map", "" } },
    { "transmission_depth", "float", { "trans_depth", "", {}, {} }, { "trans_depth", "", "" } },
    { "thin_walled", "boolean", { "thin_walled", "", {}, {} }, { "thin_walled", "", "" } },
    { "subsurface", "float", { "scattering", "", {}, {} }, { "scattering", "scattering_map", "" } },
    { "subsurface_color", "color3", { "sss_color", "", {}, {} }, { "sss_color", "sss_color_map", "" } },
    { "subsurface_radius", "color3", { "sss_scatter_color", "", {}, {} }, { "sss_scatter_color", "", "" } },
    { "subsurface_scale", "float", { "sss_depth", "", {}, {} }, { "sss_scale", "sss_scale_map", "" } },
    { "emission", "float", { "emission", "", {}, {} }, { "emission", "emission_map", "" } },
    { "emission_color", "color3", { "emit_color", "", {}, {} }, { "emit_color", "emit_color_map", "" } },
    { "opacity", "color3", { "cutout", "", {}, {} }, { "", "cutout_map", "" } },
    { "coat", "float", { "coating", "", {}, {} }, { "coating", "coat_map", "" } },
    { "coat_color", "color3", { "coat_color", "", {}, {} }, { "coat_color", "coat_color_map", "" } },
    { "coat_roughness", "float", { "coat_roughness", "", {}, {} }, { "coat_roughness", "coat_rough_map", "" } },
    { "coat_IOR", "float", { "coat_ior", "", {}, {} }, { "coat_ior", "", "" } },
    // Presets: standard_surface's defaults where the Physical Material's differ, so
    // that an input a document leaves out means what MaterialX means by it.
    { "coat_affect_color", "float", { "coat_affect_color", "", 0.0f, {} }, { "coat_affect_color", "", "" } },
    { "coat_affect_roughness", "float", { "coat_affect_roughness", "", 0.0f, {} }, { "coat_affect_roughness", "", "" } },
    { "normal", "vector3", { "bump", "bump_map_amt", {}, 1.0f }, { "", "bump_map", "bump_map_amt" } },
    { "coat_normal", "vector3", { "coat_bump", "coating_bump_map_amt", {}, 1.0f }, { "", "coat_bump_map", "coating_bump_map_amt" } },
} };

const SurfaceRow DISPLACEMENT_ROW = { "displacement", "float", { "displacement", "", {}, {} }, { "", "displacement_map", "" } };

const SurfaceRow* findSurfaceRow(const std::string& input)
{
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        if (input == row.input)
            return &row;
    }
    return nullptr;
}
} // namespace rozo
