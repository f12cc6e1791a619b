#include "import/LibraryLoading.h"

#include "import/TranslationLibraries.h"

#include "plugin/HostCalls.h"
#include "import/ImportOperations.h"
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

} // namespace rozo

void rozo::ImportOperations::initLibraries()
{
    initLibraries(rozo::moduleFilePath());
}

void rozo::ImportOperations::initLibraries(const mx::FilePath& moduleFile)
{
    librarySearchPath = rozo::librarySearchPathFor(moduleFile, installRoot);
    libraryDocument = rozo::loadStandardLibraries(librarySearchPath);
    if (libraryDocument->getChildren().empty())
        rozo::debugLine(L"No MaterialX libraries found\n");
}
