#include "import/LibraryLoading.h"

#include "import/TranslationLibraries.h"

#include "plugin/HostCalls.h"
#include "plugin/ModuleHandle.h"

#include <string>

namespace rozo
{
namespace
{
const char* const LIBRARY_ROOT_NAME = "libraries";
} // namespace

mx::FileSearchPath librarySearchPathFor(const mx::FilePath& moduleFile, mx::FilePath& installRoot)
{
    const mx::FilePath root = moduleFile.getParentPath().getParentPath();
    const mx::FilePath up = root.getParentPath();
    mx::FileSearchPath searchPath;
    if ((root / LIBRARY_ROOT_NAME).exists())
        searchPath.append(root / LIBRARY_ROOT_NAME);
    else if ((up / LIBRARY_ROOT_NAME).exists())
        searchPath.append(up / LIBRARY_ROOT_NAME);
    searchPath.append(up);
    searchPath.prepend(root);
    installRoot = root;
    return searchPath;
}

mx::DocumentPtr loadStandardLibraries(const mx::FileSearchPath& searchPath)
{
    const SkippedFileNotice skipped = [](const mx::FilePath& file, const std::string& reason) {
        debugLine(L"Ignoring library file %s: %s\n", file.asString(), reason);
    };
    mx::DocumentPtr libraries = loadLibraryFolders(standardLibraryFolders(), searchPath, skipped);
    addTranslationLibraries(libraries, searchPath, skipped);
    pruneLibraryDocument(libraries,
                         [](const std::string& graphName) { debugLine(L"Ignoring node definition: %s\n", graphName); });
    return libraries;
}

void initLibraries(PluginSettings& settings)
{
    initLibraries(settings, moduleFilePath());
}

void initLibraries(PluginSettings& settings, const mx::FilePath& moduleFile)
{
    settings.librarySearchPath = librarySearchPathFor(moduleFile, settings.installRoot);
    settings.libraryDocument = loadStandardLibraries(settings.librarySearchPath);
    if (settings.libraryDocument->getChildren().empty())
        debugLine(L"No MaterialX libraries found\n");
}
} // namespace rozo
