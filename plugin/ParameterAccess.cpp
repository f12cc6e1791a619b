#include "plugin/ParameterAccess.h"

#include "plugin/HostCalls.h"

namespace rozo
{
namespace
{
template <typename Value> void setByName(IParamBlock2* block, const std::string& name, Value value)
{
    if (std::optional<ParamID> id = parameterId(block, name))
        block->SetValue(*id, 0, value, 0);
}
} // namespace

std::optional<ParamID> parameterId(IParamBlock2* block, const std::string& name)
{
    if (!block || !block->GetDesc())
        return std::nullopt;
    ParamBlockDesc2* desc = block->GetDesc();
    const int index = desc->NameToIndex(toWide(name));
    if (index < 0)
        return std::nullopt;
    return desc->paramdefs[static_cast<size_t>(index)].ID;
}

std::vector<std::string> parameterNames(IParamBlock2* block)
{
    std::vector<std::string> names;
    if (!block || !block->GetDesc())
        return names;
    for (const ParamDef& def : block->GetDesc()->paramdefs)
        names.push_back(toUtf8(def.int_name));
    return names;
}

void setFloatByName(IParamBlock2* block, const std::string& name, float value)
{
    setByName(block, name, value);
}

void setTexmapByName(IParamBlock2* block, const std::string& name, Texmap* map)
{
    setByName(block, name, map);
}

void setTextByName(IParamBlock2* block, const std::string& name, const WStr& text)
{
    setByName(block, name, text.data());
}

Texmap* texmapParameter(IParamBlock2* block, const std::string& name, TimeValue time)
{
    const std::optional<ParamID> id = parameterId(block, name);
    return id ? block->GetTexmap(*id, time, 0) : nullptr;
}

bool floatParameter(IParamBlock2* block, const std::string& name, TimeValue time, float& value)
{
    const std::optional<ParamID> id = parameterId(block, name);
    Interval valid;
    return id && block->GetValue(*id, time, value, valid, 0) != FALSE;
}
} // namespace rozo
