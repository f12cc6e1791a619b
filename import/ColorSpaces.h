#pragma once
// The colour spaces MaterialX names (those its colour-management library
// defines) and how each one reaches the working space, linear Rec.709. The
// import converts values with them, the shader generator writes the transform
// shaders from them and the export checks the names it writes against them.

#include <array>
#include <string>
#include <vector>

namespace rozo
{
/// The scene's working space: every colour-management transform ends there.
extern const char* const WORKING_COLOR_SPACE;

enum class TransferCurve
{
    Linear,
    /// max(c, 0) to a power.
    Gamma,
    /// The sRGB curve: a linear toe below 0.04045, a 2.4 power above.
    Srgb
};

struct ColorSpace
{
    std::string name;
    TransferCurve curve = TransferCurve::Linear;
    double gamma = 1.0;
    /// Applied after the curve when set: a row of colour times the matrix,
    /// rows as the library lists them (out[j] = sum over i of c[i] * matrix[3 i + j]).
    bool hasMatrix = false;
    std::array<double, 9> matrix{};
};

/// Every named colour space, the working space included.
const std::vector<ColorSpace>& knownColorSpaces();

/// The colour space of that name, none for a name MaterialX does not know.
/// Older names and the interop names of MaterialX 1.39 ("lin_ap1",
/// "srgb_rec709_scene", ...) find the space the library defines for them.
const ColorSpace* findColorSpace(const std::string& name);

/// The node category that takes `source` to the working space
/// ("srgb_texture_to_lin_rec709").
std::string colorTransformCategory(const std::string& source);

/// The source space of a transform category, none when it names no known one.
const ColorSpace* colorSpaceOfTransform(const std::string& category);

/// A colour in `space` in the working space.
std::array<float, 3> toWorkingSpace(const ColorSpace& space, const std::array<float, 3>& color);
} // namespace rozo
