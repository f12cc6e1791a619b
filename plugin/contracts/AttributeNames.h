#pragma once
// MaterialX attributes the plug-in names itself, where the document library
// offers no accessor for them.

namespace rozo
{
/// A port's channel selection, before 1.39 turned it into swizzle nodes.
constexpr const char* CHANNELS_ATTRIBUTE = "channels";
} // namespace rozo
