#pragma once
// Surface shaders of other models (OpenPBR, glTF PBR, UsdPreviewSurface, ...)
// become standard_surface nodes fed by a translation node, so that the rest of
// the import sees only standard_surface.

#include <MaterialXCore/Document.h>

#include <string>

namespace rozo
{
namespace mx = MaterialX;

/// "ND_<category>_to_standard_surface": the definition that translates a shader category.
std::string translationNodeDefName(const std::string& category);

/// The translation definition for shaders of a category, if the document holds
/// one (with nodegroup "translation"), else null.
mx::NodeDefPtr findSurfaceTranslation(const mx::DocumentPtr& doc, const std::string& category);

/// Replaces the surface shader of each material that has a translation by a
/// standard_surface node of the same name. Each of its inputs takes what the
/// translation graph makes of the shader's inputs: a value where that depends
/// on stated values only, the binding it hands over unchanged (a texture), else
/// a copy of the graph's nodes beside the shader. Inputs bound to a world-space
/// node (a normal map) reach the standard_surface directly. Answers how many
/// shaders were translated. Runs before flattening, which would expand them.
size_t translateSurfaceShaders(const mx::DocumentPtr& doc);

} // namespace rozo
