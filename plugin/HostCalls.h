#pragma once
// Small helpers for the host calls the plug-in makes: text conversions,
// object creation and debug output (parameters by name: ParameterAccess.h).

#include <NorvaneSDK.h>

#include <QString>

#include <string>

namespace rozo
{
WStr toWide(const std::string& utf8);
WStr toWide(const QString& text);
std::string toUtf8(const WStr& text);

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
