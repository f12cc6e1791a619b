#include "ColorTransform.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace Norvane
{
namespace
{

const char* const SHADER_PREFIX = "mx_";
const char* const TARGET_INFIX = "_to_lin_rec709_";

using Matrix = std::array<float, 9>;

// Rows as the library lists them: out[j] = sum over i of c[i] * m[3 i + j].
const Matrix AP1 = { 1.705050992658f, -0.130256417507f, -0.024003356805f, -0.621792120657f, 1.140804736575f,
                     -0.128968976065f, -0.083258872001f, -0.010548319068f, 1.15297233287f };
const Matrix ADOBE = { 1.39835574f, 0.0f, 0.0f, -0.398355744f, 1.0f, -0.0429289893f, 0.0f, 0.0f, 1.04292899f };
const Matrix P3 = { 1.22493029f, -0.04205868f, -0.01964128f, -0.22492968f, 1.04205894f,
                    -0.07864794f, 0.00000006f, -0.00000001f, 1.09828925f };

struct Transform
{
    // 0: linear; negative: the sRGB curve; positive: max(c, 0) to that power.
    float gamma = 0.0f;
    const Matrix* matrix = nullptr;
};

const std::map<std::string, Transform>& Transforms()
{
    static const std::map<std::string, Transform> transforms = {
        { "lin_rec709", {} },
        { "g18_rec709", { 1.8f } },
        { "g22_rec709", { 2.2f } },
        { "rec709_display", { 2.4f } },
        { "acescg", { 0.0f, &AP1 } },
        { "g22_ap1", { 2.2f, &AP1 } },
        { "srgb_texture", { -1.0f } },
        { "lin_adobergb", { 0.0f, &ADOBE } },
        { "adobergb", { 563.0f / 256.0f, &ADOBE } },
        { "srgb_displayp3", { -1.0f, &P3 } },
        { "lin_displayp3", { 0.0f, &P3 } },
    };
    return transforms;
}

float Decode(float c, float gamma)
{
    if (gamma > 0.0f)
        return std::pow(std::max(c, 0.0f), gamma);
    if (gamma < 0.0f)
        return c > 0.04045f ? std::pow(std::max(c + 0.055f, 0.0f) / 1.055f, 2.4f) : c / 12.92f;
    return c;
}

} // namespace

std::string TransformSourceSpace(const std::string& shaderName)
{
    const std::string prefix = SHADER_PREFIX;
    const size_t infix = shaderName.rfind(TARGET_INFIX);
    if (shaderName.compare(0, prefix.size(), prefix) != 0 || infix == std::string::npos || infix <= prefix.size())
        return {};
    const std::string space = shaderName.substr(prefix.size(), infix - prefix.size());
    return Transforms().count(space) ? space : std::string();
}

std::array<float, 3> ToLinearRec709(const std::string& space, const std::array<float, 3>& rgb)
{
    const auto found = Transforms().find(space);
    if (found == Transforms().end())
        return rgb;
    std::array<float, 3> c{};
    for (size_t k = 0; k < 3; ++k)
        c[k] = Decode(rgb[k], found->second.gamma);
    if (!found->second.matrix)
        return c;
    const Matrix& m = *found->second.matrix;
    std::array<float, 3> out{};
    for (size_t j = 0; j < 3; ++j)
        for (size_t i = 0; i < 3; ++i)
            out[j] += c[i] * m[3 * i + j];
    return out;
}

} // namespace Norvane
