#include "import/ColorSpaces.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace rozo
{
const char* const WORKING_COLOR_SPACE = "lin_rec709";

namespace
{
const char* const TRANSFORM_INFIX = "_to_";
constexpr double SRGB_THRESHOLD = 0.04045;
constexpr double SRGB_TOE_SLOPE = 12.92;
constexpr double SRGB_OFFSET = 0.055;
constexpr double SRGB_SCALE = 1.055;
constexpr double SRGB_POWER = 2.4;

// The primaries' matrices, as the colour-management library states them.
constexpr std::array<double, 9> AP1_TO_REC709 = { 1.705050992658, -0.130256417507, -0.024003356805,
                                                  -0.621792120657, 1.140804736575, -0.128968976065,
                                                  -0.083258872001, -0.010548319068, 1.15297233287 };
constexpr std::array<double, 9> ADOBERGB_TO_REC709 = { 1.39835574, -2.50233861e-16, 2.77555756e-17,
                                                       -0.398355744, 1.0, -0.0429289893,
                                                       0.0, 0.0, 1.04292899 };
constexpr std::array<double, 9> DISPLAYP3_TO_REC709 = { 1.22493029, -0.04205868, -0.01964128,
                                                        -0.22492968, 1.04205894, -0.07864794,
                                                        0.00000006, -0.00000001, 1.09828925 };

ColorSpace space(const char* name, TransferCurve curve, double gamma)
{
    ColorSpace s;
    s.name = name;
    s.curve = curve;
    s.gamma = gamma;
    return s;
}

ColorSpace withMatrix(ColorSpace s, const std::array<double, 9>& matrix)
{
    s.hasMatrix = true;
    s.matrix = matrix;
    return s;
}

double srgbToLinear(double c)
{
    return c > SRGB_THRESHOLD ? std::pow(std::max(c + SRGB_OFFSET, 0.0) / SRGB_SCALE, SRGB_POWER) : c / SRGB_TOE_SLOPE;
}
} // namespace

const std::vector<ColorSpace>& knownColorSpaces()
{
    static const std::vector<ColorSpace> spaces = {
        space(WORKING_COLOR_SPACE, TransferCurve::Linear, 1.0),
        space("g18_rec709", TransferCurve::Gamma, 1.8),
        space("g22_rec709", TransferCurve::Gamma, 2.2),
        space("rec709_display", TransferCurve::Gamma, 2.4),
        withMatrix(space("acescg", TransferCurve::Linear, 1.0), AP1_TO_REC709),
        withMatrix(space("g22_ap1", TransferCurve::Gamma, 2.2), AP1_TO_REC709),
        space("srgb_texture", TransferCurve::Srgb, 1.0),
        withMatrix(space("lin_adobergb", TransferCurve::Linear, 1.0), ADOBERGB_TO_REC709),
        withMatrix(space("adobergb", TransferCurve::Gamma, 563.0 / 256.0), ADOBERGB_TO_REC709),
        withMatrix(space("srgb_displayp3", TransferCurve::Srgb, 1.0), DISPLAYP3_TO_REC709),
        withMatrix(space("lin_displayp3", TransferCurve::Linear, 1.0), DISPLAYP3_TO_REC709),
    };
    return spaces;
}

const ColorSpace* findColorSpace(const std::string& name)
{
    // Other names MaterialX takes for the spaces it defines.
    static const std::map<std::string, std::string> aliases = {
        { "gamma18", "g18_rec709" },
        { "gamma22", "g22_rec709" },
        { "gamma24", "rec709_display" },
        { "lin_ap1", "acescg" },
        { "lin_ap1_scene", "acescg" },
        { "lin_rec709_scene", "lin_rec709" },
        { "lin_p3d65_scene", "lin_displayp3" },
        { "lin_adobergb_scene", "lin_adobergb" },
        { "srgb_rec709_scene", "srgb_texture" },
        { "g22_rec709_scene", "g22_rec709" },
        { "g18_rec709_scene", "g18_rec709" },
        { "g22_ap1_scene", "g22_ap1" },
        { "srgb_p3d65_scene", "srgb_displayp3" },
        { "g22_adobergb_scene", "adobergb" },
    };
    const auto alias = aliases.find(name);
    const std::string& defined = alias == aliases.end() ? name : alias->second;
    for (const ColorSpace& s : knownColorSpaces())
        if (s.name == defined)
            return &s;
    return nullptr;
}

std::string colorTransformCategory(const std::string& source)
{
    return source + TRANSFORM_INFIX + WORKING_COLOR_SPACE;
}

const ColorSpace* colorSpaceOfTransform(const std::string& category)
{
    const std::string suffix = std::string(TRANSFORM_INFIX) + WORKING_COLOR_SPACE;
    if (category.size() <= suffix.size() || category.compare(category.size() - suffix.size(), suffix.size(), suffix) != 0)
        return nullptr;
    const std::string name = category.substr(0, category.size() - suffix.size());
    const ColorSpace* source = findColorSpace(name);
    return source && source->name == name && source->name != WORKING_COLOR_SPACE ? source : nullptr;
}

std::array<float, 3> toWorkingSpace(const ColorSpace& space, const std::array<float, 3>& color)
{
    std::array<double, 3> c{};
    for (size_t k = 0; k < 3; ++k)
    {
        c[k] = color[k];
        if (space.curve == TransferCurve::Gamma)
            c[k] = std::pow(std::max(c[k], 0.0), space.gamma);
        else if (space.curve == TransferCurve::Srgb)
            c[k] = srgbToLinear(c[k]);
    }
    std::array<float, 3> out{};
    for (size_t j = 0; j < 3; ++j)
    {
        double sum = c[j];
        if (space.hasMatrix)
        {
            sum = 0.0;
            for (size_t i = 0; i < 3; ++i)
                sum += c[i] * space.matrix[3 * i + j];
        }
        out[j] = static_cast<float>(sum);
    }
    return out;
}
} // namespace rozo
