#pragma once
// The shader translation documents loaded with the standard libraries:
// MaterialX's own and those of the install root's "translation" folder, where a
// document defining ND_<model>_to_standard_surface makes that model importable.

#include "import/StandardLibraries.h"

namespace rozo
{
/// The translation folders, relative to a search-path entry, in loading order.
const mx::FilePathVec& translationLibraryFolders();

/// Adds every document of the translation folders found on searchPath to
/// libraries (names already there win). A folder found under no entry of the
/// search path is not looked for anywhere else.
void addTranslationLibraries(const mx::DocumentPtr& libraries, const mx::FileSearchPath& searchPath,
                             const SkippedFileNotice& skipped = {});
} // namespace rozo
