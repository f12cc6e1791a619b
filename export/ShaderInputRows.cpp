#include "export/ShaderInputRows.h"

const ShaderInputRow DISPLACEMENT_ROW = { "displacement", "float", "", "displacement_map", "" };

// Export keeps its own parameter names: this is not the inverse of the import
// table (e.g. "sss_scale", "diff_roughness" and "anisoangle" are read here).
const std::array<ShaderInputRow, 28> standardSurfaceRows = { {
    { "base", "float", "base_weight", "base_weight_map", "" },
    { "base_color", "color3", "base_color", "base_color_map", "" },
    { "diffuse_roughness", "float", "diff_roughness", "diff_rough_map", "" },
    { "specular", "float", "reflectivity", "reflectivity_map", "" },
    { "specular_color", "color3", "refl_color", "refl_color_map", "" },
    { "specular_roughness", "float", "roughness", "roughness_map", "" },
    { "specular_IOR", "float", "trans_ior", "trans_ior_map", "" },
    { "specular_rotation", "float", "anisoangle", "aniso_angle_map", "" },
    { "metalness", "float", "metalness", "metalness_map", "" },
    { "transmission", "float", "transparency", "transparency_map", "" },
    { "transmission_color", "color3", "trans_color", "trans_color_map", "" },
    { "transmission_depth", "float", "trans_depth", "", "" },
    { "thin_walled", "boolean", "thin_walled", "", "" },
    { "subsurface", "float", "scattering", "scattering_map", "" },
    { "subsurface_color", "color3", "sss_color", "sss_color_map", "" },
    { "subsurface_radius", "color3", "sss_scatter_color", "", "" },
    { "subsurface_scale", "float", "sss_scale", "sss_scale_map", "" },
    { "emission", "float", "emission", "emission_map", "" },
    { "emission_color", "color3", "emit_color", "emit_color_map", "" },
    { "opacity", "color3", "", "cutout_map", "" },
    { "coat", "float", "coating", "coat_map", "" },
    { "coat_color", "color3", "coat_color", "coat_color_map", "" },
    { "coat_roughness", "float", "coat_roughness", "coat_rough_map", "" },
    { "coat_IOR", "float", "coat_ior", "", "" },
    { "coat_affect_color", "float", "coat_affect_color", "", "" },
    { "coat_affect_roughness", "float", "coat_affect_roughness", "", "" },
    { "normal", "vector3", "", "bump_map", "bump_map_amt" },
    { "coat_normal", "vector3", "", "coat_bump_map", "coating_bump_map_amt" },
} };
