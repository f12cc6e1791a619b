#pragma once
// Which colour space an exported file input states. The scene's colour space
// for a map wins; without one the host's automatic gamma decides by the file's
// format, as it would when it reads the file.

#include <NorvaneSDK.h>

#include <optional>
#include <string>

namespace rozo
{
/// The colour space a host with automatic gamma gives a colour texture:
/// floating-point formats (exr, hdr, pfm) are linear (lin_rec709), every
/// other format (8- and 16-bit integer images) sRGB-encoded (srgb_texture).
std::string automaticColorSpace(const std::string& fileName);

/// The colour space an OSL Map remembers for its file: a name, empty for
/// "none stated", or nothing for a map that leaves it to the host ("auto",
/// or a map without the parameter).
std::optional<std::string> rememberedColorSpace(Texmap* map);

/// The colorspace attribute of a file input, nothing for none: the
/// remembered space when there is one (empty: no attribute), under the name
/// the library defines for it; else (also for a name MaterialX does not know)
/// the automatic one for colour data and "none" for other data.
std::optional<std::string> exportedColorSpace(const std::optional<std::string>& remembered,
                                              const std::string& fileName, bool colorData);
} // namespace rozo
