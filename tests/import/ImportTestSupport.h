#pragma once
// Reading back what an import wrote into host objects.

#include "../plugin/PluginTestSupport.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

#include <cmath>

namespace rozo::test
{
inline IParamBlock2* block(MtlBase* object, int index = 0)
{
    return object ? object->GetParamBlock(index) : nullptr;
}

inline ParamID idOf(IParamBlock2* b, const std::string& name)
{
    std::optional<ParamID> id = parameterId(b, name);
    EXPECT_TRUE(id.has_value()) << "no parameter " << name;
    return id.value_or(-1);
}

inline float floatOf(IParamBlock2* b, const std::string& name)
{
    return b->GetFloat(idOf(b, name));
}
inline int intOf(IParamBlock2* b, const std::string& name)
{
    return b->GetInt(idOf(b, name));
}
inline AColor colorOf(IParamBlock2* b, const std::string& name)
{
    return b->GetAColor(idOf(b, name));
}
inline Point2 point2Of(IParamBlock2* b, const std::string& name)
{
    return b->GetPoint2(idOf(b, name));
}
inline Point3 point3Of(IParamBlock2* b, const std::string& name)
{
    return b->GetPoint3(idOf(b, name));
}
inline Point4 point4Of(IParamBlock2* b, const std::string& name)
{
    return b->GetPoint4(idOf(b, name));
}
inline Texmap* mapOf(IParamBlock2* b, const std::string& name)
{
    return b->GetTexmap(idOf(b, name));
}
inline std::string textOf(IParamBlock2* b, const std::string& name)
{
    const wchar_t* text = b->GetStr(idOf(b, name));
    return text ? toUtf8(WStr(text)) : std::string();
}

inline std::string nameOf(MtlBase* object)
{
    return object ? toUtf8(object->GetName()) : std::string();
}

/// The texture behind the colour transform an import puts after a texture that
/// is not in the working space; the map itself when there is none.
inline Texmap* beforeColorTransform(Texmap* map)
{
    if (!map || !hasOslInterface(map) || toUtf8(oslShaderName(map)).find("_to_lin_rec709") == std::string::npos)
        return map;
    return map->GetParamBlock(1) ? mapOf(map->GetParamBlock(1), "in_map") : nullptr;
}

inline Class_ID classOf(MtlBase* object)
{
    return object ? object->ClassID() : Class_ID();
}

} // namespace rozo::test
