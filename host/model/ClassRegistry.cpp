#include "ClassRegistry.h"

#include <string>

namespace Norvane
{

ClassRegistry& ClassRegistry::Instance()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(ClassDesc* desc)
{
    if (desc)
        classes_[{ desc->SuperClassID(), desc->ClassID() }] = desc;
}

void ClassRegistry::Unregister(ClassDesc* desc)
{
    for (auto it = classes_.begin(); it != classes_.end();)
    {
        if (it->second == desc)
            it = classes_.erase(it);
        else
            ++it;
    }
}

ClassDesc* ClassRegistry::Find(SClass_ID superClassID, const Class_ID& classID) const
{
    auto it = classes_.find({ superClassID, classID });
    return it == classes_.end() ? nullptr : it->second;
}

ClassDesc* ClassRegistry::Find(const Class_ID& classID) const
{
    for (const auto& c : classes_)
        if (c.first.second == classID)
            return c.second;
    return nullptr;
}

ClassDesc* ClassRegistry::FindByName(const wchar_t* name) const
{
    if (!name || !*name)
        return nullptr;
    const std::wstring wanted(name);
    for (const auto& c : classes_)
        if (const wchar_t* internal = c.second->InternalName(); internal && wanted == internal)
            return c.second;
    for (const auto& c : classes_)
        if (const wchar_t* cls = c.second->ClassName(); cls && wanted == cls)
            return c.second;
    return nullptr;
}

void* ClassRegistry::Create(SClass_ID superClassID, const Class_ID& classID, bool loading) const
{
    ClassDesc* desc = Find(superClassID, classID);
    return desc ? desc->Create(loading) : nullptr;
}

std::vector<ClassDesc*> ClassRegistry::All() const
{
    std::vector<ClassDesc*> out;
    for (const auto& c : classes_)
        out.push_back(c.second);
    return out;
}

} // namespace Norvane
