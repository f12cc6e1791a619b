#pragma once
// Finding the MaterialX standard libraries beside the plug-in and loading
// them once for every import to merge.

#include "import/StandardLibraries.h"
#include "plugin/PluginSettings.h"

namespace rozo
{
/// The search path for a plug-in module at moduleFile, and the install root
/// (the folder two levels above the module file) it is built from.
mx::FileSearchPath librarySearchPathFor(const mx::FilePath& moduleFile, mx::FilePath& installRoot);

/// The pruned library document of the folders found on searchPath, with a
/// debug line for each file skipped and each graph left out.
mx::DocumentPtr loadStandardLibraries(const mx::FileSearchPath& searchPath);

/// Fills the settings' install root, search path and library document for
/// the plug-in module's own file, or for one at moduleFile.
void initLibraries(PluginSettings& settings);
void initLibraries(PluginSettings& settings, const mx::FilePath& moduleFile);

} // namespace rozo
