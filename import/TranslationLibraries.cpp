#include "import/TranslationLibraries.h"

namespace rozo
{
const mx::FilePathVec& translationLibraryFolders()
{
    static const mx::FilePathVec folders = { mx::FilePath("libraries/bxdf/translation"), mx::FilePath("translation") };
    return folders;
}

void addTranslationLibraries(const mx::DocumentPtr& libraries, const mx::FileSearchPath& searchPath,
                             const SkippedFileNotice& skipped)
{
    // Only folders that exist under the search path: a bare relative name
    // would otherwise be read from the working folder.
    mx::FilePathVec found;
    for (const mx::FilePath& folder : translationLibraryFolders())
    {
        for (const mx::FilePath& entry : searchPath)
        {
            const mx::FilePath candidate = entry / folder;
            if (candidate.isDirectory())
            {
                found.push_back(candidate);
                break;
            }
        }
    }
    if (!found.empty())
        libraries->importLibrary(loadLibraryFolders(found, mx::FileSearchPath(), skipped));
}
} // namespace rozo
