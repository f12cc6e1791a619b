#include "export/HostParams.h"

#include "plugin/HostCalls.h"

Texmap* texmapParameter(IParamBlock2* block, const std::string& name, TimeValue time)
{
    const std::optional<ParamID> id = rozo::parameterId(block, name);
    return id ? block->GetTexmap(*id, time, 0) : nullptr;
}

bool floatParameter(IParamBlock2* block, const std::string& name, TimeValue time, float& value)
{
    const std::optional<ParamID> id = rozo::parameterId(block, name);
    Interval valid;
    return id && block->GetValue(*id, time, value, valid, 0) != FALSE;
}
