#include "export/LegacyDocumentForm.h"

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <unordered_set>

namespace rozo
{
const char* const LEGACY_DOCUMENT_VERSION = "1.38";

namespace
{
// The 1.39.5 definitions of the loaded folders (stdlib, pbrlib, bxdf, cmlib)
// that 1.38.10 has no counterpart for. A test checks this against both
// versions' data libraries.
const std::unordered_set<std::string>& newDefinitions()
{
    static const std::unordered_set<std::string> names = {
        "ND_latlongimage",
        "ND_hextiledimage_color3",
        "ND_hextiledimage_color4",
        "ND_ramp",
        "ND_ramp_gradient",
        "ND_fractal2d_float",
        "ND_fractal2d_color3",
        "ND_fractal2d_color4",
        "ND_fractal2d_vector2",
        "ND_fractal2d_vector3",
        "ND_fractal2d_vector4",
        "ND_fractal2d_color3FA",
        "ND_fractal2d_color4FA",
        "ND_fractal2d_vector2FA",
        "ND_fractal2d_vector3FA",
        "ND_fractal2d_vector4FA",
        "ND_flake2d",
        "ND_flake3d",
        "ND_geompropvalueuniform_string",
        "ND_geompropvalueuniform_filename",
        "ND_add_integer",
        "ND_subtract_integer",
        "ND_fract_float",
        "ND_fract_color3",
        "ND_fract_color4",
        "ND_fract_vector2",
        "ND_fract_vector3",
        "ND_fract_vector4",
        "ND_hextilednormalmap_vector3",
        "ND_ifgreater_integer",
        "ND_ifgreater_matrix33",
        "ND_ifgreater_matrix44",
        "ND_ifgreater_boolean",
        "ND_ifgreater_integerI",
        "ND_ifgreater_matrix33I",
        "ND_ifgreater_matrix44I",
        "ND_ifgreater_booleanI",
        "ND_ifgreatereq_integer",
        "ND_ifgreatereq_matrix33",
        "ND_ifgreatereq_matrix44",
        "ND_ifgreatereq_boolean",
        "ND_ifgreatereq_integerI",
        "ND_ifgreatereq_matrix33I",
        "ND_ifgreatereq_matrix44I",
        "ND_ifgreatereq_booleanI",
        "ND_ifequal_integer",
        "ND_ifequal_matrix33",
        "ND_ifequal_matrix44",
        "ND_ifequal_boolean",
        "ND_ifequal_integerI",
        "ND_ifequal_matrix33I",
        "ND_ifequal_matrix44I",
        "ND_ifequal_booleanI",
        "ND_ifequal_integerB",
        "ND_ifequal_matrix33B",
        "ND_ifequal_matrix44B",
        "ND_ifequal_booleanB",
        "ND_switch_matrix33",
        "ND_switch_matrix44",
        "ND_switch_matrix33I",
        "ND_switch_matrix44I",
        "ND_convert_color3_vector2",
        "ND_convert_color3_vector4",
        "ND_convert_color4_vector2",
        "ND_convert_color4_vector3",
        "ND_convert_vector2_color3",
        "ND_convert_vector2_color4",
        "ND_convert_vector2_vector4",
        "ND_convert_vector3_color4",
        "ND_convert_vector4_color3",
        "ND_convert_vector4_vector2",
        "ND_convert_boolean_color3",
        "ND_convert_boolean_color4",
        "ND_convert_boolean_vector2",
        "ND_convert_boolean_vector3",
        "ND_convert_boolean_vector4",
        "ND_convert_boolean_integer",
        "ND_convert_integer_color3",
        "ND_convert_integer_color4",
        "ND_convert_integer_vector2",
        "ND_convert_integer_vector3",
        "ND_convert_integer_vector4",
        "ND_convert_integer_boolean",
        "ND_extract_matrix33",
        "ND_extract_matrix44",
        "ND_logical_and",
        "ND_logical_or",
        "ND_logical_xor",
        "ND_logical_not",
        "ND_chiang_hair_bsdf",
        "ND_deon_hair_absorption_from_melanin",
        "ND_chiang_hair_absorption_from_color",
        "ND_chiang_hair_roughness",
        "ND_disney_principled",
        "ND_gltf_anisotropy_image",
        "ND_open_pbr_surface_surfaceshader",
        "ND_open_pbr_anisotropy",
        "ND_UsdPrimvarReader_filename",
    };
    return names;
}

const std::unordered_map<std::string, std::vector<std::string>>& newInputs()
{
    static const std::vector<std::string> SWITCH = { "in6", "in7", "in8", "in9", "in10" };
    static const std::vector<std::string> STYLE = { "style" };
    static const std::vector<std::string> BITANGENT = { "bitangent" };
    static const std::vector<std::string> THIN_FILM = { "retroreflective", "thinfilm_thickness", "thinfilm_ior" };
    static const std::unordered_map<std::string, std::vector<std::string>> table = {
        { "ND_surfacematerial", { "backsurfaceshader" } },
        { "ND_worleynoise2d_float", STYLE },
        { "ND_worleynoise2d_vector2", STYLE },
        { "ND_worleynoise2d_vector3", STYLE },
        { "ND_worleynoise3d_float", STYLE },
        { "ND_worleynoise3d_vector2", STYLE },
        { "ND_worleynoise3d_vector3", STYLE },
        { "ND_unifiednoise2d_float", STYLE },
        { "ND_unifiednoise3d_float", STYLE },
        { "ND_bump_vector3", BITANGENT },
        { "ND_normalmap_float", BITANGENT },
        { "ND_normalmap_vector2", BITANGENT },
        { "ND_switch_float", SWITCH },
        { "ND_switch_color3", SWITCH },
        { "ND_switch_color4", SWITCH },
        { "ND_switch_vector2", SWITCH },
        { "ND_switch_vector3", SWITCH },
        { "ND_switch_vector4", SWITCH },
        { "ND_switch_floatI", SWITCH },
        { "ND_switch_color3I", SWITCH },
        { "ND_switch_color4I", SWITCH },
        { "ND_switch_vector2I", SWITCH },
        { "ND_switch_vector3I", SWITCH },
        { "ND_switch_vector4I", SWITCH },
        { "ND_heighttonormal_vector3", { "texcoord" } },
        { "ND_oren_nayar_diffuse_bsdf", { "energy_compensation" } },
        { "ND_dielectric_bsdf", THIN_FILM },
        { "ND_conductor_bsdf", THIN_FILM },
        { "ND_generalized_schlick_bsdf", { "color82", "retroreflective", "thinfilm_thickness", "thinfilm_ior" } },
        { "ND_sheen_bsdf", { "mode" } },
        { "ND_surface", { "thin_walled" } },
        { "ND_gltf_pbr_surfaceshader", { "anisotropy_strength", "anisotropy_rotation", "dispersion" } },
        { "ND_UsdPreviewSurface_surfaceshader", { "opacityMode" } },
    };
    return table;
}

// atan2 took (in1, in2) in 1.38 and takes (iny, inx) in 1.39, same order.
const char* legacyInputName(const mx::NodePtr& node, const std::string& name)
{
    if (node->getCategory() != "atan2")
        return nullptr;
    if (name == "iny")
        return "in1";
    if (name == "inx")
        return "in2";
    return nullptr;
}

bool isBound(const mx::InputPtr& input)
{
    return input->hasNodeName() || input->hasNodeGraphString() || input->hasInterfaceName() ||
           input->hasOutputString();
}

// An unbound input that restates its definition's default says nothing 1.38 lacks.
bool restatesDefault(const mx::InputPtr& input, const mx::NodeDefPtr& nodeDef)
{
    if (isBound(input))
        return false;
    mx::InputPtr declared = nodeDef->getActiveInput(input->getName());
    if (!declared)
        return false;
    if (!input->hasValueString())
        return true;
    return !declared->hasDefaultGeomPropString() && declared->getValueString() == input->getValueString();
}

// switch fell back to its first input for a constant "which" of 5 or more in 1.38.
bool selectsNewSwitchInput(const mx::NodePtr& node)
{
    if (node->getCategory() != "switch")
        return false;
    mx::InputPtr which = node->getInput("which");
    if (!which || isBound(which) || !which->hasValueString())
        return false;
    try
    {
        return std::stof(which->getValueString()) >= 5.0f;
    }
    catch (const std::exception&)
    {
        return false;
    }
}
} // namespace

bool isNewIn1_39(const std::string& nodeDefName)
{
    return newDefinitions().count(nodeDefName) != 0;
}

const std::vector<std::string>& inputsNewIn1_39(const std::string& nodeDefName)
{
    static const std::vector<std::string> NONE;
    const auto found = newInputs().find(nodeDefName);
    return found == newInputs().end() ? NONE : found->second;
}

LegacyFormPlan planLegacyForm(const mx::DocumentPtr& doc)
{
    LegacyFormPlan plan;
    for (const mx::NodePtr& node : doc->getNodes())
    {
        if (node->hasSourceUri())
            continue;
        mx::NodeDefPtr nodeDef = node->getNodeDef();
        if (!nodeDef)
            continue;
        if (isNewIn1_39(nodeDef->getName()) || selectsNewSwitchInput(node))
        {
            plan.withoutLegacyForm.push_back(node);
            continue;
        }
        const std::vector<std::string>& added = inputsNewIn1_39(nodeDef->getName());
        LegacyFormPlan nodePlan;
        bool sayable = true;
        for (const mx::InputPtr& input : node->getInputs())
        {
            if (const char* legacyName = legacyInputName(node, input->getName()))
                nodePlan.renamed.emplace_back(input, legacyName);
            else if (std::find(added.begin(), added.end(), input->getName()) != added.end())
            {
                if (!restatesDefault(input, nodeDef))
                {
                    sayable = false;
                    break;
                }
                nodePlan.omitted.push_back(input);
            }
        }
        if (!sayable)
        {
            plan.withoutLegacyForm.push_back(node);
            continue;
        }
        plan.renamed.insert(plan.renamed.end(), nodePlan.renamed.begin(), nodePlan.renamed.end());
        plan.omitted.insert(plan.omitted.end(), nodePlan.omitted.begin(), nodePlan.omitted.end());
    }
    return plan;
}

LegacyFormScope::LegacyFormScope(const mx::DocumentPtr& doc, const LegacyFormPlan& plan) :
    _doc(doc),
    _version(doc->getVersionString())
{
    for (const auto& [input, legacyName] : plan.renamed)
    {
        _restore.emplace_back(input, input->getName());
        input->setName(legacyName);
    }
    for (const mx::InputPtr& input : plan.omitted)
    {
        if (mx::ElementPtr parent = input->getParent())
            parent->removeChild(input->getName());
    }
    doc->setVersionString(LEGACY_DOCUMENT_VERSION);
}

LegacyFormScope::~LegacyFormScope()
{
    for (auto it = _restore.rbegin(); it != _restore.rend(); ++it)
        it->first->setName(it->second);
    _doc->setVersionString(_version);
}
} // namespace rozo
