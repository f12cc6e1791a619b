#include "import/StandardLibraries.h"

#include <MaterialXCore/Util.h>
#include <MaterialXFormat/XmlIo.h>

#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace rozo
{
namespace
{
const char* const LIBRARY_FILE_EXTENSION = "mtlx";
const char* const NG_SOURCE_SUFFIX = "stdlib_ng.mtlx";
const char* const STANDARD_SURFACE_CATEGORY = "standard_surface";

// The old name the graph had and the name the 1.38 libraries give it.
const char* const STANDARD_SURFACE_GRAPH_NAMES[] = { "IMPL_standard_surface_surfaceshader",
                                                     "NG_standard_surface_surfaceshader_100" };
} // namespace

const mx::FilePathVec& standardLibraryFolders()
{
    static const mx::FilePathVec folders = { mx::FilePath("libraries/stdlib"), mx::FilePath("libraries/pbrlib"),
                                             mx::FilePath("libraries/bxdf"), mx::FilePath("libraries/stdlib/genosl"),
                                             mx::FilePath("libraries/cmlib") };
    return folders;
}

NodeDefsByGraph implementedNodeDefs(const mx::DocumentPtr& doc)
{
    // The definitions that implementation elements name, by the graph they
    // point at, in document order.
    std::unordered_map<std::string, std::vector<std::string>> named;
    for (const mx::ImplementationPtr& impl : doc->getImplementations())
    {
        const std::string& graphName = impl->getNodeGraph();
        if (!graphName.empty())
            named[graphName].push_back(impl->getNodeDefString());
    }
    NodeDefsByGraph found;
    for (const mx::NodeGraphPtr& graph : doc->getNodeGraphs())
    {
        mx::NodeDefPtr nodeDef;
        if (graph->hasNodeDefString())
            nodeDef = doc->getNodeDef(graph->getNodeDefString());
        const auto pointing = named.find(graph->getName());
        if (!nodeDef && pointing != named.end())
        {
            for (const std::string& nodeDefName : pointing->second)
            {
                if ((nodeDef = doc->getNodeDef(nodeDefName)))
                    break;
            }
        }
        if (nodeDef)
            found.emplace(graph->getName(), std::move(nodeDef));
    }
    return found;
}

mx::DocumentPtr loadLibraryFolders(const mx::FilePathVec& folders, const mx::FileSearchPath& searchPath,
                                   const SkippedFileNotice& skipped)
{
    mx::DocumentPtr libraries = mx::createDocument();
    mx::XmlReadOptions options;
    for (const mx::FilePath& folder : folders)
    {
        const mx::FilePath dir = searchPath.find(mx::FilePath(folder.asString(mx::FilePath::FormatNative)));
        for (const mx::FilePath& fileName : dir.getFilesInDirectory(LIBRARY_FILE_EXTENSION))
        {
            const mx::FilePath file = dir / fileName;
            try
            {
                mx::DocumentPtr doc = mx::createDocument();
                mx::readFromXmlFile(doc, file, mx::FileSearchPath(), &options);
                libraries->importLibrary(std::move(doc));
            }
            catch (const std::exception& e)
            {
                if (skipped)
                    skipped(file, e.what());
            }
        }
    }
    return libraries;
}

void removeStandardSurfaceGraphs(const mx::DocumentPtr& doc)
{
    for (const char* name : STANDARD_SURFACE_GRAPH_NAMES)
        doc->removeNodeGraph(name);
    std::vector<std::string> names;
    for (const auto& [graphName, nodeDef] : implementedNodeDefs(doc))
    {
        if (nodeDef->getNodeString() == STANDARD_SURFACE_CATEGORY)
            names.push_back(graphName);
    }
    for (const std::string& name : names)
        doc->removeNodeGraph(name);
}

void removeStdlibNodeGraphs(const mx::DocumentPtr& libraryDoc, const IgnoredGraphNotice& ignored)
{
    // Found first, removed afterwards in one pass: one at a time, each
    // removal would shift the rest of the library's long child list.
    std::unordered_set<const mx::Element*> doomed;
    for (const mx::NodeGraphPtr& graph : libraryDoc->getNodeGraphs())
    {
        if (mx::stringEndsWith(graph->getSourceUri(), NG_SOURCE_SUFFIX))
        {
            if (ignored)
                ignored(graph->getName());
            doomed.insert(graph.get());
        }
    }
    if (!doomed.empty())
        libraryDoc->removeChildren([&doomed](const mx::Element& child) { return doomed.count(&child) != 0; });
}

void pruneLibraryDocument(const mx::DocumentPtr& libraryDoc, const IgnoredGraphNotice& ignored)
{
    removeStandardSurfaceGraphs(libraryDoc);
    removeStdlibNodeGraphs(libraryDoc, ignored);
}

} // namespace rozo
