// Finding the install layout's libraries and pruning the library document.

#include "PluginTestSupport.h"

#include "import/LibraryLoading.h"

#include <MaterialXFormat/XmlIo.h>

#include <algorithm>

namespace rozo::test
{
namespace
{
const std::string LIBRARY_NODEDEF =
    "  <nodedef name=\"ND_probe_float\" node=\"probe\">\n    <output name=\"out\" type=\"float\" />\n  </nodedef>\n";

std::vector<std::string> entries(const mx::FileSearchPath& searchPath)
{
    std::vector<std::string> result;
    for (const mx::FilePath& path : searchPath)
        result.push_back(path.asString());
    return result;
}

// A layout A/B/plugins/RozozazoZOV.dlu in a temporary folder.
class InstallLayout : public ::testing::Test
{
  protected:
    std::string a() const { return QDir(dir.path()).filePath("A").toStdString(); }
    std::string b() const { return a() + "/B"; }
    mx::FilePath moduleFile() const { return mx::FilePath(b() + "/plugins/RozozazoZOV.dlu"); }
    void makeFolder(const std::string& path) const { QDir().mkpath(QString::fromStdString(path)); }

    QTemporaryDir dir;
};

TEST_F(InstallLayout, LibrariesBesideThePluginsFolderComeFirst)
{
    makeFolder(b() + "/libraries/stdlib");
    mx::FilePath root;
    mx::FileSearchPath searchPath = librarySearchPathFor(moduleFile(), root);
    EXPECT_EQ(root.asString(), b());
    EXPECT_EQ(entries(searchPath), (std::vector<std::string>{ b(), b() + "/libraries", a() }));
    EXPECT_EQ(searchPath.find(mx::FilePath("libraries/stdlib")).asString(), b() + "/libraries/stdlib");
}

TEST_F(InstallLayout, LibrariesOnlyAboveTheRootAreFoundThere)
{
    makeFolder(a() + "/libraries/stdlib");
    makeFolder(b() + "/plugins");
    mx::FilePath root;
    mx::FileSearchPath searchPath = librarySearchPathFor(moduleFile(), root);
    EXPECT_EQ(entries(searchPath), (std::vector<std::string>{ b(), a() + "/libraries", a() }));
    EXPECT_EQ(searchPath.find(mx::FilePath("libraries/stdlib")).asString(), a() + "/libraries/stdlib");
}

TEST_F(InstallLayout, NoLibrariesFolderLeavesRootAndParent)
{
    makeFolder(b() + "/plugins");
    mx::FilePath root;
    EXPECT_EQ(entries(librarySearchPathFor(moduleFile(), root)), (std::vector<std::string>{ b(), a() }));
}

TEST_F(InstallLayout, SubFoldersOfALibraryFolderAreNotLoaded)
{
    const QString libraries = QString::fromStdString(b() + "/libraries");
    writeFile(libraries, "pbrlib/top.mtlx", mtlx(LIBRARY_NODEDEF));
    writeFile(libraries, "pbrlib/genosl/nested.mtlx",
              mtlx("  <nodedef name=\"ND_nested_float\" node=\"nested\">\n"
                   "    <output name=\"out\" type=\"float\" />\n  </nodedef>\n"));
    mx::FilePath root;
    mx::DocumentPtr doc = loadLibraryFolders(standardLibraryFolders(), librarySearchPathFor(moduleFile(), root));
    EXPECT_TRUE(doc->getNodeDef("ND_probe_float"));
    EXPECT_FALSE(doc->getNodeDef("ND_nested_float"));
}

TEST_F(InstallLayout, ABrokenLibraryFileIsSkippedAndTheOthersLoad)
{
    const QString libraries = QString::fromStdString(b() + "/libraries");
    writeFile(libraries, "stdlib/broken.mtlx", "<materialx version=\"1.38\"><nodedef name=\"x\"></materialx>");
    writeFile(libraries, "stdlib/good.mtlx", mtlx(LIBRARY_NODEDEF));
    takeDebugText();
    MtlXIOUtil util(moduleFile());
    EXPECT_TRUE(util.settings().libraryDocument->getNodeDef("ND_probe_float"));
    EXPECT_TRUE(util.lastLog().text().empty());
    const std::string debug = takeDebugText();
    EXPECT_NE(debug.find("Ignoring library file " + b() + "/libraries/stdlib/broken.mtlx: XML parse error"),
              std::string::npos)
        << debug;
}

TEST_F(InstallLayout, NoLibrariesGiveAnEmptyLibraryDocument)
{
    makeFolder(b() + "/plugins");
    takeDebugText();
    MtlXIOUtil util(moduleFile());
    EXPECT_EQ(takeDebugText(), "No MaterialX libraries found\n");
    ASSERT_TRUE(util.settings().libraryDocument);
    EXPECT_TRUE(util.settings().libraryDocument->getChildren().empty());
    EXPECT_EQ(util.settings().installRoot.asString(), b());
}

// Graph pruning on a hand-made library document.
class GraphPruning : public ::testing::Test
{
  protected:
    mx::NodeGraphPtr graphFrom(const std::string& name, const std::string& sourceUri)
    {
        mx::NodeGraphPtr graph = doc->addNodeGraph(name);
        graph->setSourceUri(sourceUri);
        return graph;
    }

    mx::DocumentPtr doc = mx::createDocument();
};

TEST_F(GraphPruning, StdlibNgSuffixIsComparedOnTheLastFourteenBytes)
{
    graphFrom("NG_full", "/opt/x/libraries/stdlib/stdlib_ng.mtlx");
    graphFrom("NG_bak", "/opt/x/libraries/stdlib/stdlib_ng.mtlx.bak");
    graphFrom("NG_prefixed", "my_stdlib_ng.mtlx");
    graphFrom("NG_short", "ng.mtlx");
    graphFrom("NG_upper", "STDLIB_NG.MTLX");
    graphFrom("NG_pbr", "libraries/pbrlib/pbrlib_ng.mtlx");
    std::vector<std::string> ignored;
    removeStdlibNodeGraphs(doc, [&ignored](const std::string& name) { ignored.push_back(name); });
    EXPECT_EQ(ignored, (std::vector<std::string>{ "NG_full", "NG_prefixed" }));
    EXPECT_FALSE(doc->getNodeGraph("NG_full"));
    EXPECT_FALSE(doc->getNodeGraph("NG_prefixed"));
    EXPECT_TRUE(doc->getNodeGraph("NG_bak"));
    EXPECT_TRUE(doc->getNodeGraph("NG_short"));
    EXPECT_TRUE(doc->getNodeGraph("NG_upper"));
    EXPECT_TRUE(doc->getNodeGraph("NG_pbr"));
}

TEST_F(GraphPruning, StandardSurfaceImplementationsGoWhateverTheirName)
{
    mx::NodeDefPtr surface = doc->addNodeDef("ND_standard_surface_surfaceshader", "surfaceshader", "standard_surface");
    mx::NodeDefPtr other = doc->addNodeDef("ND_other_float", "float", "other");
    doc->addNodeGraph("IMPL_standard_surface_surfaceshader");
    doc->addNodeGraph("NG_standard_surface_surfaceshader_100");
    doc->addNodeGraph("NG_by_attribute")->setNodeDefString(surface->getName());
    doc->addNodeGraph("NG_by_implementation");
    mx::ImplementationPtr impl = doc->addImplementation("IM_standard_surface_graph");
    impl->setNodeDefString(surface->getName());
    impl->setAttribute("nodegraph", "NG_by_implementation");
    doc->addNodeGraph("NG_other")->setNodeDefString(other->getName());
    doc->addNodeGraph("NG_plain");
    // A definition that is not there does not count: the next one named does.
    doc->addNodeGraph("NG_stale_attribute")->setNodeDefString("ND_gone");
    for (const char* def : { "ND_gone_too", "ND_standard_surface_surfaceshader" })
    {
        mx::ImplementationPtr pointing = doc->addImplementation();
        pointing->setNodeDefString(def);
        pointing->setAttribute("nodegraph", "NG_stale_attribute");
    }
    const NodeDefsByGraph implemented = implementedNodeDefs(doc);
    EXPECT_EQ(implemented.size(), 4u);
    EXPECT_EQ(implemented.at("NG_stale_attribute"), surface);
    EXPECT_EQ(implemented.count("NG_plain"), 0u);

    removeStandardSurfaceGraphs(doc);
    for (const char* name : { "IMPL_standard_surface_surfaceshader", "NG_standard_surface_surfaceshader_100",
                              "NG_by_attribute", "NG_by_implementation", "NG_stale_attribute" })
        EXPECT_FALSE(doc->getNodeGraph(name)) << name;
    EXPECT_TRUE(doc->getNodeGraph("NG_other"));
    EXPECT_TRUE(doc->getNodeGraph("NG_plain"));
}

// The shader translations come on top of the four reference folders.
template <typename Elements> size_t outsideTranslationFolders(const Elements& elements)
{
    return std::count_if(elements.begin(), elements.end(), [](const auto& element) {
        return element->getSourceUri().find("/translation/") == std::string::npos;
    });
}

using StandardLibraries = UtilTest;

TEST_F(StandardLibraries, PrunedLibraryMatchesTheReferenceCounts)
{
    // The reference counts of the first four folders (1.38.10 or 1.39.5), and
    // cmlib's colour transforms: a definition and its graph each. The
    // translations to standard_surface come on top.
    constexpr size_t COLOR_TRANSFORMS = 20;
    const bool v139 = util.settings().libraryDocument->getNodeDef("ND_hextiledimage_color3") != nullptr;
    EXPECT_EQ(outsideTranslationFolders(util.settings().libraryDocument->getNodeDefs()), (v139 ? 762u : 726u) + COLOR_TRANSFORMS);
    EXPECT_EQ(outsideTranslationFolders(util.settings().libraryDocument->getNodeGraphs()), (v139 ? 25u : 20u) + COLOR_TRANSFORMS);
    EXPECT_EQ(outsideTranslationFolders(util.settings().libraryDocument->getImplementations()), v139 ? 498u : 512u);
    EXPECT_TRUE(util.settings().libraryDocument->getNodeDef("ND_gltf_pbr_to_standard_surface"));
    EXPECT_FALSE(util.settings().libraryDocument->getNodeGraph("NG_standard_surface_surfaceshader_100"));
}

TEST_F(StandardLibraries, InstallRootIsTheLayoutRoot)
{
    const mx::FilePath root = stageModuleFile().getParentPath().getParentPath();
    EXPECT_EQ(util.settings().installRoot, root);
    ASSERT_GE(util.settings().librarySearchPath.size(), 2u);
    EXPECT_EQ(util.settings().librarySearchPath[0], root);
    EXPECT_EQ(util.settings().librarySearchPath[1], root / "libraries");
}
} // namespace
} // namespace rozo::test
