#include "plugin/HostCalls.h"

namespace rozo
{
namespace
{
void* createInstance(SClass_ID superClass, const Class_ID& classId)
{
    Interface* core = GetCOREInterface();
    return core ? core->CreateInstance(superClass, classId) : nullptr;
}

#if __has_include("IOSLMap.h")
NorvaneSDK::OSL::IOSLMapInterface* oslInterfaceOf(Texmap* map)
{
    return NorvaneSDK::OSL::IOSLMapInterface::Of(map);
}
#endif
} // namespace

WStr toWide(const std::string& utf8)
{
    return WStr::FromUTF8(utf8);
}

WStr toWide(const QString& text)
{
    return WStr::FromQString(text);
}

std::string toUtf8(const WStr& text)
{
    return text.ToUTF8().str();
}

Mtl* createPhysicalMaterial()
{
    return static_cast<Mtl*>(createInstance(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID));
}

Texmap* createOslMap()
{
    return static_cast<Texmap*>(createInstance(TEXMAP_CLASS_ID, OSL_MAP_CLASS_ID));
}

Texmap* createNormalMapObject()
{
    return static_cast<Texmap*>(createInstance(TEXMAP_CLASS_ID, NORMAL_MAP_CLASS_ID));
}

void destroyMap(Texmap* map)
{
    if (map)
        map->DeleteThis();
}

#if __has_include("IOSLMap.h")
bool hasOslInterface(Texmap* map)
{
    return oslInterfaceOf(map) != nullptr;
}

WStr precompiledOslCode(Texmap* map)
{
    NorvaneSDK::OSL::IOSLMapInterface* osl = oslInterfaceOf(map);
    return osl ? WStr(osl->GetPrecompiledCode()) : WStr();
}

WStr oslShaderName(Texmap* map)
{
    NorvaneSDK::OSL::IOSLMapInterface* osl = oslInterfaceOf(map);
    return osl ? WStr(osl->GetShaderName()) : WStr();
}
#else
// Without the host's OSL map interface no OSL Map can be filled.
bool hasOslInterface(Texmap*)
{
    return false;
}

WStr precompiledOslCode(Texmap*)
{
    return WStr();
}

WStr oslShaderName(Texmap*)
{
    return WStr();
}
#endif

WStr resolveFilePath(const WStr& fileName)
{
    IFileResolutionManager* manager = IFileResolutionManager::GetInstance();
    return manager ? manager->GetFullFilePath(fileName.data(), ASSET_TYPE_BITMAP, false) : WStr();
}

void debugLine(const wchar_t* format)
{
    DebugPrint(format);
}

void debugLine(const wchar_t* format, const std::string& utf8)
{
    DebugPrint(format, toWide(utf8).data());
}

void debugLine(const wchar_t* format, const std::string& utf8First, const std::string& utf8Second)
{
    DebugPrint(format, toWide(utf8First).data(), toWide(utf8Second).data());
}
} // namespace rozo
