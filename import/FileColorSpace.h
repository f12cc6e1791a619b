#pragma once
// The colour spaces a document states, as the import carries them into the
// scene: a texture's file keeps its space in its OSL Map ("ColorSpace" of the
// code block), and colours reach the working space as MaterialX's shader
// generation takes them there.

#include "import/InterfaceBinding.h"

#include <MaterialXCore/Document.h>

#include <ostream>
#include <string>

namespace mx = MaterialX;

namespace rozo
{
/// The OSL Map parameter of the code block that remembers a file's colour space.
extern const char* const MAP_COLOR_SPACE_PARAMETER;
/// The colour space MaterialX uses for data that no transform touches.
extern const char* const NO_COLOR_SPACE;

/// The colour space a file input of a node means: the one stated on the
/// input that supplies its value when that is not the node's own, else the
/// input's active colour space (its own, else the nearest enclosing
/// element's, else the document's); empty when none is stated anywhere.
std::string fileColorSpace(const mx::InputPtr& nodeInput, const BoundInput& bound);

/// The first filename input of a node, none when it has none.
mx::InputPtr firstFileInput(const mx::NodePtr& node);

/// Whether a transform takes values of that type (color3, color4).
bool isColorType(const std::string& type);

/// Whether the space needs a transform to reach the working space: a name
/// MaterialX defines other than the working space.
bool needsColorTransform(const std::string& space);

/// The name of the prepared shader's definition for that transform
/// ("ND_srgb_texture_to_lin_rec709_color3").
std::string colorTransformNodeDef(const std::string& space, const std::string& type);

/// A colour value stated in a space other than the working space, converted;
/// any other value as it is. `holder` is the input that states the value.
mx::ValuePtr workingSpaceValue(const mx::InputPtr& holder, const mx::ValuePtr& value);
} // namespace rozo
