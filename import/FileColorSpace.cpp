#include "import/FileColorSpace.h"

#include "import/ColorSpaces.h"

namespace rozo
{
const char* const MAP_COLOR_SPACE_PARAMETER = "ColorSpace";
const char* const NO_COLOR_SPACE = "none";

namespace
{
const char* const FILENAME_TYPE = "filename";
const char* const COLOR3_TYPE = "color3";
const char* const COLOR4_TYPE = "color4";
} // namespace

std::string fileColorSpace(const mx::InputPtr& nodeInput, const BoundInput& bound)
{
    if (bound.input != nodeInput && bound.input->hasColorSpace())
        return bound.input->getColorSpace();
    return nodeInput->getActiveColorSpace();
}

mx::InputPtr firstFileInput(const mx::NodePtr& node)
{
    for (const mx::InputPtr& input : node->getInputs())
        if (input->getType() == FILENAME_TYPE)
            return input;
    return nullptr;
}

bool isColorType(const std::string& type)
{
    return type == COLOR3_TYPE || type == COLOR4_TYPE;
}

bool needsColorTransform(const std::string& space)
{
    const ColorSpace* known = findColorSpace(space);
    return known && known->name != WORKING_COLOR_SPACE;
}

std::string colorTransformNodeDef(const std::string& space, const std::string& type)
{
    const ColorSpace* known = findColorSpace(space);
    return "ND_" + colorTransformCategory(known ? known->name : space) + "_" + type;
}

mx::ValuePtr workingSpaceValue(const mx::InputPtr& holder, const mx::ValuePtr& value)
{
    if (!value || !holder)
        return value;
    const std::string& space = holder->getActiveColorSpace();
    const ColorSpace* source = needsColorTransform(space) ? findColorSpace(space) : nullptr;
    if (!source)
        return value;
    if (value->isA<mx::Color3>())
    {
        const mx::Color3 c = value->asA<mx::Color3>();
        const std::array<float, 3> linear = toWorkingSpace(*source, { c[0], c[1], c[2] });
        return mx::Value::createValue(mx::Color3(linear[0], linear[1], linear[2]));
    }
    if (value->isA<mx::Color4>())
    {
        const mx::Color4 c = value->asA<mx::Color4>();
        const std::array<float, 3> linear = toWorkingSpace(*source, { c[0], c[1], c[2] });
        return mx::Value::createValue(mx::Color4(linear[0], linear[1], linear[2], c[3]));
    }
    return value;
}
} // namespace rozo
