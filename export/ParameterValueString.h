#pragma once

#include <string>

class IParamBlock2;

namespace rozo
{
// The MaterialX value text of one host parameter, read by its internal name;
// empty when the block has no such parameter or its type has no text form.
std::string parameterValueString(IParamBlock2* block, const std::string& name, const std::string& type);

// The same text for the parameter's default in the block's definition.
std::string parameterDefaultString(IParamBlock2* block, const std::string& name, const std::string& type);

// A float as MaterialX value text: classic formatting, six significant digits
// (1 gives "1", 0.0000001 gives "1e-07").
std::string floatText(float value);
} // namespace rozo
