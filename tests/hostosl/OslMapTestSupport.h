#pragma once
// Making OSL Maps through the class registry and reading their blocks by name.

#include "ClassRegistry.h"
#include "OslMap.h"
#include "ParamBlock2.h"

#include <string>
#include <vector>

inline Texmap* createOslMap()
{
    return static_cast<Texmap*>(
        Norvane::ClassRegistry::Instance().Create(TEXMAP_CLASS_ID, OSL_MAP_CLASS_ID));
}

inline NorvaneSDK::OSL::IOSLMapInterface* oslInterface(Texmap* map)
{
    return NorvaneSDK::OSL::IOSLMapInterface::Of(map);
}

inline void setCode(Texmap* map, const std::string& code)
{
    IParamBlock2* block = map->GetParamBlock(0);
    block->SetValue(block->IndextoID(block->GetDesc()->NameToIndex(L"OSLCode")), 0, WStr::FromUTF8(code));
}

inline std::vector<std::string> parameterNames(IParamBlock2* block)
{
    std::vector<std::string> names;
    for (const ParamDef& def : block->GetDesc()->paramdefs)
        names.push_back(def.int_name.ToUTF8().str());
    return names;
}

// ID of the named parameter, -1 when the block lacks it.
inline ParamID parameterID(IParamBlock2* block, const std::string& name)
{
    const int index = block->GetDesc()->NameToIndex(WStr::FromUTF8(name));
    return index < 0 ? ParamID(-1) : block->IndextoID(index);
}

inline int parameterType(IParamBlock2* block, const std::string& name)
{
    const ParamID id = parameterID(block, name);
    return id < 0 ? TYPE_VOID : block->GetParameterType(id);
}

// Deletes the map at the end of a scope.
struct MapDeleter
{
    void operator()(Texmap* map) const
    {
        if (map)
            map->DeleteThis();
    }
};
