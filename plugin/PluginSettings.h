#pragma once
// What every run reads and none changes: the options as the panel shows them
// and the MaterialX libraries found beside the plug-in.

#include "plugin/DocumentVersionChoice.h"

#include <NorvaneSDK.h>

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>

namespace mx = MaterialX;

namespace rozo
{
struct PluginSettings
{
    // Options, as the panel shows them.
    bool usePrecompiledOsl = true;
    bool resolveTexturePaths = true;
    bool fixedIncludePath = true;
    bool copyTextures = false;
    bool relativeTexturePaths = true;
    bool assignMaterials = true;
    bool addToLibrary = false;
    bool populateEditor = true;
    WStr libraryPath;
    DocumentVersionChoice exportVersion = DocumentVersionChoice::Oldest;

    /// The folder two levels above the module file: libraries, prepared shaders, viewer.
    mx::FilePath installRoot;
    mx::DocumentPtr libraryDocument;
    mx::FileSearchPath librarySearchPath;
};
} // namespace rozo
