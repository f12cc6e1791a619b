#pragma once
// Finding and loading the MaterialX standard libraries that every import merges.

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>

#include <string>

namespace rozo
{
namespace mx = MaterialX;

/// The library folders, relative to a search-path entry, in loading order.
const mx::FilePathVec& standardLibraryFolders();

/// The search path for a plug-in module at moduleFile, and the install root
/// (the folder two levels above the module file) it is built from.
mx::FileSearchPath librarySearchPathFor(const mx::FilePath& moduleFile, mx::FilePath& installRoot);

/// A new document holding every library file of the listed folders (no sub-folders).
/// A file that fails to read is skipped with a debug line.
mx::DocumentPtr loadLibraryFolders(const mx::FilePathVec& folders, const mx::FileSearchPath& searchPath);

/// Removes the standard_surface implementation graphs (by name and by the node
/// definition they implement), so that standard_surface stays one node when flattened.
void removeStandardSurfaceGraphs(const mx::DocumentPtr& doc);

/// Removes the library's graphs that come from a "stdlib_ng.mtlx" file, with a debug line each.
void removeStdlibNodeGraphs(const mx::DocumentPtr& libraryDoc);

/// True when text ends with suffix, compared bytewise.
bool endsWith(const std::string& text, const std::string& suffix);

} // namespace rozo
