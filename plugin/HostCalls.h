#pragma once
// Small helpers for the host calls the plug-in makes: text conversions,
// parameters addressed by internal name, object creation and debug output.

#include <NorvaneSDK.h>

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace rozo
{
WStr toWide(const std::string& utf8);
WStr toWide(const QString& text);
std::string toUtf8(const WStr& text);

/// The ID of the block's parameter with that internal name, none when it has none.
std::optional<ParamID> parameterId(IParamBlock2* block, const std::string& name);
/// Internal names of the block's parameters, in index order.
std::vector<std::string> parameterNames(IParamBlock2* block);

// Setters by internal name at time 0 and table index 0; an unknown name sets nothing.
void setFloatByName(IParamBlock2* block, const std::string& name, float value);
void setTexmapByName(IParamBlock2* block, const std::string& name, Texmap* map);
void setTextByName(IParamBlock2* block, const std::string& name, const WStr& text);

Mtl* createPhysicalMaterial();
Texmap* createOslMap();
Texmap* createNormalMapObject();
/// Whether the map offers the host's OSL map interface.
bool hasOslInterface(Texmap* map);
/// The precompiled form of the code in an OSL Map's "OSLCode"; empty without the interface.
WStr precompiledOslCode(Texmap* map);
/// The name of an OSL Map's shader, for diagnostics.
WStr oslShaderName(Texmap* map);
/// Destroys a map this call created and gave up.
void destroyMap(Texmap* map);

/// The host's full path for a file name, empty when it cannot resolve it.
WStr resolveFilePath(const WStr& fileName);

/// One line to the host's debug channel; each %s of the wide format takes one text.
void debugLine(const wchar_t* format);
void debugLine(const wchar_t* format, const std::string& utf8);
void debugLine(const wchar_t* format, const std::string& utf8First, const std::string& utf8Second);
} // namespace rozo
