#include "export/ParameterValueString.h"

#include "plugin/HostCalls.h"

#include <NorvaneSDK.h>

#include <locale>
#include <sstream>

namespace
{
std::ostringstream classicStream()
{
    std::ostringstream out;
    // Value text is always written the classic way, whatever locale is global.
    out.imbue(std::locale::classic());
    return out;
}

void writeJoined(std::ostringstream& out, const float* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
            out << ", ";
        out << values[i];
    }
}
} // namespace

std::string parameterValueString(IParamBlock2* block, const std::string& name, const std::string& type)
{
    const std::optional<ParamID> found = rozo::parameterId(block, name);
    if (!found)
        return {};
    const ParamID id = *found;
    const TimeValue now = GetCOREInterface()->GetTime();

    std::ostringstream out = classicStream();
    // The host's type codes; the component count follows the code, not the
    // requested type, except that a four-float colour or vector drops its fourth.
    switch (block->GetParameterType(id))
    {
    case TYPE_FLOAT:
    case TYPE_WORLD:
        out << block->GetFloat(id, now, 0);
        break;
    case TYPE_INT:
    case TYPE_BOOL:
    {
        const int value = block->GetInt(id, now, 0);
        if (type == "boolean")
            out << (value != 0 ? "true" : "false");
        else
            out << value;
        break;
    }
    case TYPE_RGBA:
    case TYPE_POINT3:
    {
        const Point3 p = block->GetPoint3(id, now, 0);
        const float v[3] = {p.x, p.y, p.z};
        writeJoined(out, v, 3);
        break;
    }
    case TYPE_POINT4:
    case TYPE_FRGBA:
    {
        const Point4 p = block->GetPoint4(id, now, 0);
        const float v[4] = {p.x, p.y, p.z, p.w};
        writeJoined(out, v, (type == "color3" || type == "vector3") ? 3 : 4);
        break;
    }
    case TYPE_POINT2:
    {
        const Point2 p = block->GetPoint2(id, now, 0);
        const float v[2] = {p.x, p.y};
        writeJoined(out, v, 2);
        break;
    }
    case TYPE_STRING:
    case TYPE_FILENAME:
        out << rozo::toUtf8(WStr(block->GetStr(id, 0, 0)));
        break;
    default:
        break;
    }
    return out.str();
}

std::string floatText(float value)
{
    std::ostringstream out = classicStream();
    out << value;
    return out.str();
}
