#pragma once
// The plug-in module's handle and its own file.

#include <NorvaneSDK.h>

#include <MaterialXFormat/File.h>

namespace rozo
{
/// Stored when the module is loaded; null before.
HINSTANCE moduleHandle();
/// The module file's absolute path (what the loader mapped).
MaterialX::FilePath moduleFilePath();
} // namespace rozo
