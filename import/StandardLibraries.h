#pragma once
// The MaterialX standard libraries as every import merges them: which folders
// are read, and which of their node graphs are left out. Only MaterialX is
// needed here, so the shader generator, benchmarks and tests share the rule.

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>

#include <functional>
#include <string>
#include <unordered_map>

namespace rozo
{
namespace mx = MaterialX;

/// The library folders, relative to a search-path entry, in loading order.
const mx::FilePathVec& standardLibraryFolders();

/// Told of a library file that could not be read, and why.
using SkippedFileNotice = std::function<void(const mx::FilePath& file, const std::string& reason)>;
/// Told of a node graph left out of the library.
using IgnoredGraphNotice = std::function<void(const std::string& graphName)>;

/// The definition each node graph implements, by graph name: the graph's own
/// "nodedef", else the first implementation element pointing at the graph whose
/// definition exists. Graphs that implement none are left out.
using NodeDefsByGraph = std::unordered_map<std::string, mx::NodeDefPtr>;
NodeDefsByGraph implementedNodeDefs(const mx::DocumentPtr& doc);

/// A new document holding every library file of the listed folders (no sub-folders).
/// A file that fails to read is skipped: one broken file must not cost the others.
mx::DocumentPtr loadLibraryFolders(const mx::FilePathVec& folders, const mx::FileSearchPath& searchPath,
                                   const SkippedFileNotice& skipped = {});

/// Removes the standard_surface implementation graphs (by name and by the node
/// definition they implement), so that standard_surface stays one node when flattened.
void removeStandardSurfaceGraphs(const mx::DocumentPtr& doc);

/// Removes the library's graphs that come from a "stdlib_ng.mtlx" file.
void removeStdlibNodeGraphs(const mx::DocumentPtr& libraryDoc, const IgnoredGraphNotice& ignored = {});

/// Both of the above, in the order a loaded library gets them.
void pruneLibraryDocument(const mx::DocumentPtr& libraryDoc, const IgnoredGraphNotice& ignored = {});

} // namespace rozo
