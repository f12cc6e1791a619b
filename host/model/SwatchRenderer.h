#pragma once
// Material swatches: a small CPU shader that draws a material on a sphere
// (and a texture map on a flat patch) under one fixed environment, over a
// checker backdrop that shows through transmissive and cut-out surfaces.
//
// Physical Materials shade with base weight and colour, metalness, specular
// weight, colour and roughness (a microfacet lobe), coat, emission,
// transmission and opacity; other materials show their diffuse colour. Maps
// on a parameter's slot are evaluated where the host can: Bitmaps and the
// image and tiledimage OSL Maps sample their file, the colour-management OSL
// Maps convert their input to linear Rec.709, constant and mix OSL Maps
// and the Checker compute their result, any other map stands for its first
// value parameter.
#include <QImage>

#include "Geometry.h"

class MtlBase;
class Texmap;

namespace Norvane
{

// A size x size ARGB image of `m`; a null image for no object.
QImage RenderSwatch(MtlBase* m, int size = 128);

// The colour of `map` at texture coordinate (u, v) as the swatches see it.
AColor EvaluateMap(Texmap* map, float u, float v);

} // namespace Norvane
