#pragma once
// The colour-management transforms the host evaluates itself: those of the
// MaterialX colour-management library, each from a named space to linear
// Rec.709, as its shaders ("mx_srgb_texture_to_lin_rec709_color3") compute them.
#include <array>
#include <string>

namespace Norvane
{

// The source space of a transform shader; empty when the name is no transform
// the host knows.
std::string TransformSourceSpace(const std::string& shaderName);

// `rgb` from `space` in linear Rec.709; unchanged for a space the host does not know.
std::array<float, 3> ToLinearRec709(const std::string& space, const std::array<float, 3>& rgb);

} // namespace Norvane
