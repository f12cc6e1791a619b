// Which definitions get a shader: closure outputs, surviving node graphs and the
// pruning of stdlib_ng and standard_surface graphs.
#include "Coverage.h"
#include "NodeLibrary.h"

#include <gtest/gtest.h>

#include <map>

using namespace oslgen;

namespace
{

class CoverageTest : public ::testing::Test
{
  protected:
    void add(const std::string& folder, const std::string& file, const std::string& body)
    {
        std::string error;
        ASSERT_TRUE(readLibraryDocument("<materialx version=\"1.38\">" + body + "</materialx>", folder,
                                        "/lib/" + folder + "/" + file, library, error))
            << error;
    }

    std::map<std::string, CoverageDecision> decide()
    {
        resolveInheritance(library);
        std::map<std::string, CoverageDecision> byName;
        for (const CoverageDecision& d : decideCoverage(library))
            byName[d.definition->name] = d;
        return byName;
    }

    static std::string def(const std::string& name, const std::string& category,
                           const std::string& outType = "float")
    {
        return "<nodedef name=\"" + name + "\" node=\"" + category +
               "\"><input name=\"in\" type=\"float\" value=\"0\"/><output name=\"out\" type=\"" +
               outType + "\"/></nodedef>";
    }

    static std::string graph(const std::string& name, const std::string& nodedef)
    {
        return "<nodegraph name=\"" + name + "\"" +
               (nodedef.empty() ? std::string() : " nodedef=\"" + nodedef + "\"") +
               "><output name=\"out\" type=\"float\"/></nodegraph>";
    }

    NodeLibrary library;
};

TEST_F(CoverageTest, DataDefinitionWithoutGraphIsCovered)
{
    add("stdlib", "stdlib_defs.mtlx", def("ND_absval_float", "absval"));
    EXPECT_EQ(decide().at("ND_absval_float").kind, CoverageKind::Covered);
}

TEST_F(CoverageTest, DefinitionWithRemainingGraphIsSkipped)
{
    add("pbrlib", "pbrlib_defs.mtlx", def("ND_glossy", "glossy", "vector2"));
    add("pbrlib", "pbrlib_ng.mtlx", graph("IMP_glossy", "ND_glossy"));
    const CoverageDecision d = decide().at("ND_glossy");
    EXPECT_EQ(d.kind, CoverageKind::ExpandedByGraph);
    EXPECT_NE(d.reason.find("IMP_glossy"), std::string::npos);
}

TEST_F(CoverageTest, GraphNamedByImplementationElementCounts)
{
    add("pbrlib", "pbrlib_defs.mtlx", def("ND_thing", "thing"));
    add("pbrlib", "pbrlib_ng.mtlx",
        graph("NG_thing", "") + "<implementation name=\"IM_thing\" nodedef=\"ND_thing\" nodegraph=\"NG_thing\"/>");
    EXPECT_EQ(decide().at("ND_thing").kind, CoverageKind::ExpandedByGraph);
}

TEST_F(CoverageTest, GraphsFromStdlibNgFilesArePruned)
{
    add("stdlib", "stdlib_defs.mtlx",
        def("ND_a", "a") + def("ND_b", "b") + def("ND_c", "c"));
    add("stdlib", "stdlib_ng.mtlx", graph("NG_a", "ND_a"));
    add("stdlib", "my_stdlib_ng.mtlx", graph("NG_b", "ND_b"));
    add("stdlib", "stdlib_ng.mtlx.bak", graph("NG_c", "ND_c"));
    auto d = decide();
    EXPECT_EQ(d.at("ND_a").kind, CoverageKind::Covered);
    EXPECT_EQ(d.at("ND_b").kind, CoverageKind::Covered);
    EXPECT_EQ(d.at("ND_c").kind, CoverageKind::ExpandedByGraph);
    EXPECT_EQ(remainingNodeGraphs(library), std::vector<std::string>{ "NG_c" });
}

TEST_F(CoverageTest, StandardSurfaceGraphsArePruned)
{
    add("bxdf", "standard_surface.mtlx",
        def("ND_standard_surface_surfaceshader", "standard_surface", "surfaceshader") +
            graph("NG_standard_surface_surfaceshader_100", "") +
            "<implementation name=\"IM_ss\" nodedef=\"ND_standard_surface_surfaceshader\" "
            "nodegraph=\"NG_standard_surface_surfaceshader_100\"/>" +
            graph("IMPL_standard_surface_surfaceshader", "ND_other"));
    EXPECT_TRUE(remainingNodeGraphs(library).empty());
}

TEST_F(CoverageTest, ClosureOutputsAreSkipped)
{
    add("pbrlib", "pbrlib_defs.mtlx",
        def("ND_diffuse_bsdf", "diffuse_bsdf", "BSDF") + def("ND_mix_edf", "mix", "EDF") +
            "<nodedef name=\"ND_two\" node=\"two\"><output name=\"value\" type=\"float\"/>"
            "<output name=\"shader\" type=\"surfaceshader\"/></nodedef>");
    auto d = decide();
    for (const char* name : { "ND_diffuse_bsdf", "ND_mix_edf", "ND_two" })
        EXPECT_EQ(d.at(name).kind, CoverageKind::ClosureOutput) << name;
    EXPECT_NE(d.at("ND_two").reason.find("surfaceshader"), std::string::npos);
}

TEST_F(CoverageTest, InheritedClosureOutputIsSkipped)
{
    add("bxdf", "s.mtlx",
        def("ND_base", "s", "surfaceshader") +
            "<nodedef name=\"ND_derived\" node=\"s\" inherit=\"ND_base\"/>");
    EXPECT_EQ(decide().at("ND_derived").kind, CoverageKind::ClosureOutput);
}

TEST_F(CoverageTest, DataDefinitionsOutsideStdlibAndPbrlibAreSkipped)
{
    add("bxdf", "usd.mtlx", def("ND_reader_float", "reader"));
    EXPECT_EQ(decide().at("ND_reader_float").kind, CoverageKind::OtherLibrary);
}

TEST_F(CoverageTest, PortTypesWithoutOslFormAreSkipped)
{
    add("stdlib", "stdlib_defs.mtlx",
        "<nodedef name=\"ND_odd\" node=\"odd\"><input name=\"in\" type=\"mystruct\"/>"
        "<output name=\"out\" type=\"float\"/></nodedef>");
    EXPECT_EQ(decide().at("ND_odd").kind, CoverageKind::UnsupportedType);
}

TEST_F(CoverageTest, ArraysOfStructTypesAreSkipped)
{
    add("stdlib", "stdlib_defs.mtlx",
        "<nodedef name=\"ND_curve\" node=\"curve\"><input name=\"knots\" type=\"vector2array\"/>"
        "<output name=\"out\" type=\"float\"/></nodedef>"
        "<nodedef name=\"ND_sum\" node=\"sum\"><input name=\"values\" type=\"floatarray\"/>"
        "<output name=\"out\" type=\"float\"/></nodedef>");
    auto d = decide();
    EXPECT_EQ(d.at("ND_curve").kind, CoverageKind::UnsupportedType);
    EXPECT_NE(d.at("ND_curve").reason.find("arrays of structs"), std::string::npos);
    EXPECT_EQ(d.at("ND_sum").kind, CoverageKind::Covered);
}

TEST(NodeLibraryTest, MalformedDocumentNamesTheFile)
{
    NodeLibrary library;
    std::string error;
    EXPECT_FALSE(readLibraryDocument("<materialx><nodedef", "stdlib", "/x/bad.mtlx", library, error));
    EXPECT_NE(error.find("/x/bad.mtlx"), std::string::npos);
}

} // namespace
