#include "export/ParameterValueString.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

#include <NorvaneSDK.h>

#include <locale>
#include <sstream>

namespace rozo
{
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

namespace
{
// The text of a value held in the form of a host type code; the component
// count follows the code, not the requested type, except that a four-float
// colour or vector drops its fourth.
std::string valueText(int typeCode, const ParamValue& value, const std::string& type)
{
    std::ostringstream out = classicStream();
    switch (typeCode)
    {
        case TYPE_FLOAT:
        case TYPE_WORLD:
            out << value.f[0];
            break;
        case TYPE_INT:
        case TYPE_BOOL:
            if (type == "boolean")
                out << (value.i != 0 ? "true" : "false");
            else
                out << value.i;
            break;
        case TYPE_RGBA:
        case TYPE_POINT3:
            writeJoined(out, value.f, 3);
            break;
        case TYPE_POINT4:
        case TYPE_FRGBA:
            writeJoined(out, value.f, (type == "color3" || type == "vector3") ? 3 : 4);
            break;
        case TYPE_POINT2:
            writeJoined(out, value.f, 2);
            break;
        case TYPE_STRING:
        case TYPE_FILENAME:
            out << rozo::toUtf8(value.s);
            break;
        default:
            break;
    }
    return out.str();
}

ParamValue currentValue(IParamBlock2* block, ParamID id, int typeCode)
{
    const TimeValue now = GetCOREInterface()->GetTime();
    switch (typeCode)
    {
        case TYPE_FLOAT:
        case TYPE_WORLD:
            return ParamValue::Float(block->GetFloat(id, now, 0));
        case TYPE_INT:
        case TYPE_BOOL:
            return ParamValue::Int(block->GetInt(id, now, 0));
        case TYPE_RGBA:
        case TYPE_POINT3:
        {
            const Point3 p = block->GetPoint3(id, now, 0);
            return ParamValue::Floats(p.x, p.y, p.z);
        }
        case TYPE_POINT4:
        case TYPE_FRGBA:
        {
            const Point4 p = block->GetPoint4(id, now, 0);
            return ParamValue::Floats(p.x, p.y, p.z, p.w);
        }
        case TYPE_POINT2:
        {
            const Point2 p = block->GetPoint2(id, now, 0);
            return ParamValue::Floats(p.x, p.y);
        }
        case TYPE_STRING:
        case TYPE_FILENAME:
            // Text is read at time 0.
            return ParamValue::Text(WStr(block->GetStr(id, 0, 0)));
        default:
            return ParamValue();
    }
}
} // namespace

std::string parameterValueString(IParamBlock2* block, const std::string& name, const std::string& type)
{
    const std::optional<ParamID> found = rozo::parameterId(block, name);
    if (!found)
        return {};
    const int typeCode = block->GetParameterType(*found);
    return valueText(typeCode, currentValue(block, *found, typeCode), type);
}

std::string parameterDefaultString(IParamBlock2* block, const std::string& name, const std::string& type)
{
    const std::optional<ParamID> found = rozo::parameterId(block, name);
    if (!found)
        return {};
    const ParamDef* def = block->GetDesc()->FindParamDef(*found);
    return def ? valueText(def->type, def->def, type) : std::string();
}

std::string floatText(float value)
{
    std::ostringstream out = classicStream();
    out << value;
    return out.str();
}
} // namespace rozo
