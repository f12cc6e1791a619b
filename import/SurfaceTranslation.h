#pragma once
// Surface shaders of other models (OpenPBR, glTF PBR, UsdPreviewSurface, ...)
// become standard_surface nodes fed by a translation node, so that the rest of
// the import sees only standard_surface.

#include <MaterialXCore/Document.h>

#include <string>
#include <vector>

namespace rozo
{
namespace mx = MaterialX;

/// "ND_<category>_to_standard_surface": the definition that translates a shader category.
std::string translationNodeDefName(const std::string& category);

/// The translation definition for shaders of a category, if the document holds
/// one (with nodegroup "translation"), else null.
mx::NodeDefPtr findSurfaceTranslation(const mx::DocumentPtr& doc, const std::string& category);

/// Replaces the surface shader of each material that has a translation by a
/// standard_surface node of the same name, whose inputs are fed by a new
/// translation node holding the shader's inputs. Inputs bound to a world-space
/// node (a normal map) reach the standard_surface directly. Answers the names of
/// the standard_surface nodes made, for settleTranslatedShaders.
std::vector<std::string> translateSurfaceShaders(const mx::DocumentPtr& doc);

/// Once the translation nodes are flattened: inputs of the named shaders whose
/// translation depends on stated values only become those values, and the
/// others skip pass-through (dot) nodes, so a texture feeds its input directly.
void settleTranslatedShaders(const mx::DocumentPtr& doc, const std::vector<std::string>& shaderNames);

} // namespace rozo
