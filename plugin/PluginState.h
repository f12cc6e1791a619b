#pragma once
// What the import, the export and the panel share: the options, the loaded
// MaterialX libraries and the message log of the last run.

#include "plugin/DocumentVersionChoice.h"

#include <NorvaneSDK.h>

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>

#include <sstream>
#include <string>

namespace mx = MaterialX;

namespace rozo
{
class PluginState
{
  public:
    virtual ~PluginState() = default;

    // Message log.
    void clearMessages();
    std::string messageText() const;
    WStr getErrorText() const;

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

    mx::DocumentPtr libraryDocument;
    mx::FileSearchPath librarySearchPath;
    mx::FilePath installRoot;

    std::stringstream messageLog;
};
} // namespace rozo
