#include "mx_test_support.h"

namespace mx = MaterialX;
using mxtest::mtlx;
using mxtest::readDoc;

namespace
{

// Definitions shared by the cases: a tint implemented by a graph, and an
// outer node whose graph uses the tint twice.
const char* const DEFINITIONS = R"(  <nodedef name="ND_tint" node="tint">
    <input name="in" type="color3" value="1, 1, 1" />
    <input name="amount" type="float" value="0.5" />
    <output name="out" type="color3" />
  </nodedef>
  <nodegraph name="NG_tint" nodedef="ND_tint">
    <multiply name="mul" type="color3">
      <input name="in1" type="color3" interfacename="in" />
      <input name="in2" type="float" interfacename="amount" />
    </multiply>
    <output name="out" type="color3" nodename="mul" />
  </nodegraph>
  <nodedef name="ND_double" node="double">
    <input name="in" type="color3" value="0, 0, 0" />
    <output name="out" type="color3" />
  </nodedef>
  <nodegraph name="NG_double" nodedef="ND_double">
    <tint name="t1" type="color3">
      <input name="in" type="color3" interfacename="in" />
    </tint>
    <tint name="t2" type="color3">
      <input name="in" type="color3" nodename="t1" />
      <input name="amount" type="float" value="0.25" />
    </tint>
    <output name="out" type="color3" nodename="t2" />
  </nodegraph>
)";

class Flatten : public ::testing::Test
{
  protected:
    // Reads the definitions plus body, flattens, and returns the top-level
    // nodes as "name:category" in order.
    std::string flatten(const std::string& body)
    {
        doc = readDoc(mtlx(std::string(DEFINITIONS) + body));
        doc->flattenSubgraphs();
        std::string nodes;
        for (mx::NodePtr node : doc->getNodes())
            nodes += (nodes.empty() ? "" : " ") + node->getName() + ":" + node->getCategory();
        return nodes;
    }
    std::string input(const std::string& path) const
    {
        mx::ElementPtr elem = doc->getDescendant(path);
        if (!elem)
            return "(missing)";
        std::string text = elem->asString();
        return text.substr(text.find(' ') + 1);
    }
    mx::DocumentPtr doc;
};

TEST_F(Flatten, BindingsTakeTheNodesInputsAndDownstreamPortsFollow)
{
    EXPECT_EQ(flatten(R"(  <image name="tex" type="color3" />
  <tint name="tint1" type="color3">
    <input name="in" type="color3" nodename="tex" />
    <input name="amount" type="float" value="0.75" />
  </tint>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="tint1" />
  </standard_surface>
)"),
              "tex:image mul:multiply S:standard_surface");
    EXPECT_EQ(input("mul/in1"), "name=\"in1\" type=\"color3\" nodename=\"tex\">");
    EXPECT_EQ(input("mul/in2"), "name=\"in2\" type=\"float\" value=\"0.75\">");
    EXPECT_EQ(input("S/base_color"), "name=\"base_color\" type=\"color3\" nodename=\"mul\">");
    // The implementation graph itself is untouched.
    EXPECT_EQ(input("NG_tint/mul/in1"), "name=\"in1\" type=\"color3\" interfacename=\"in\">");
}

TEST_F(Flatten, UnboundInputsTakeTheDefinitionsDefaults)
{
    flatten("  <tint name=\"tint1\" type=\"color3\" />\n");
    EXPECT_EQ(input("mul/in1"), "name=\"in1\" type=\"color3\" value=\"1, 1, 1\">");
    EXPECT_EQ(input("mul/in2"), "name=\"in2\" type=\"float\" value=\"0.5\">");
}

TEST_F(Flatten, NestedGraphsExpandUntilNoneIsLeftWithUniqueNames)
{
    EXPECT_EQ(flatten(R"(  <constant name="mul" type="color3" />
  <double name="d" type="color3">
    <input name="in" type="color3" nodename="mul" />
  </double>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="d" />
  </standard_surface>
)"),
              "mul:constant mul2:multiply mul3:multiply S:standard_surface");
    // First tint: bound through two interfaces to the outside node.
    EXPECT_EQ(input("mul2/in1"), "name=\"in1\" type=\"color3\" nodename=\"mul\">");
    EXPECT_EQ(input("mul2/in2"), "name=\"in2\" type=\"float\" value=\"0.5\">");
    // Second tint: fed by the first under its new name.
    EXPECT_EQ(input("mul3/in1"), "name=\"in1\" type=\"color3\" nodename=\"mul2\">");
    EXPECT_EQ(input("mul3/in2"), "name=\"in2\" type=\"float\" value=\"0.25\">");
    EXPECT_EQ(input("S/base_color"), "name=\"base_color\" type=\"color3\" nodename=\"mul3\">");

    std::string message;
    EXPECT_TRUE(doc->validate(&message)) << message;
}

TEST_F(Flatten, NodesInsideNodeGraphsStayUntilThatGraphIsFlattened)
{
    flatten(R"(  <nodegraph name="NG_user">
    <input name="col" type="color3" value="0, 1, 0" />
    <tint name="inner" type="color3">
      <input name="in" type="color3" interfacename="col" />
    </tint>
    <output name="out" type="color3" nodename="inner" />
  </nodegraph>
)");
    mx::NodeGraphPtr user = doc->getNodeGraph("NG_user");
    EXPECT_NE(user->getNode("inner"), nullptr);

    user->flattenSubgraphs();
    EXPECT_EQ(user->getNode("inner"), nullptr);
    ASSERT_NE(user->getNode("mul"), nullptr);
    EXPECT_EQ(user->getOutput("out")->getNodeName(), "mul");
    // A binding to the enclosing graph's interface carries over to the copy.
    EXPECT_EQ(input("NG_user/mul/in1"), "name=\"in1\" type=\"color3\" interfacename=\"col\">");
}

TEST_F(Flatten, FilterChoosesWhichNodesExpand)
{
    doc = readDoc(mtlx(std::string(DEFINITIONS) + "  <tint name=\"keep\" type=\"color3\" />\n  <tint name=\"go\" type=\"color3\" />\n"));
    doc->flattenSubgraphs(mx::EMPTY_STRING, [](mx::NodePtr node) { return node->getName() != "keep"; });
    EXPECT_NE(doc->getNode("keep"), nullptr);
    EXPECT_EQ(doc->getNode("go"), nullptr);
    EXPECT_NE(doc->getNode("mul"), nullptr);
}

TEST_F(Flatten, AGraphContainingItsOwnNodeStopsWithTheNodesName)
{
    doc = readDoc(mtlx(R"(  <nodedef name="ND_loop" node="loop">
    <output name="out" type="float" />
  </nodedef>
  <nodegraph name="NG_loop" nodedef="ND_loop">
    <loop name="again" type="float" />
    <output name="out" type="float" nodename="again" />
  </nodegraph>
  <loop name="start" type="float" />
)"));
    try
    {
        doc->flattenSubgraphs();
        FAIL() << "no exception";
    }
    catch (const mx::Exception& e)
    {
        EXPECT_NE(std::string(e.what()).find("'again'"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("NG_loop"), std::string::npos) << e.what();
    }
}

TEST_F(Flatten, StandardLibraryGraphsExpandIntoValidNodes)
{
    // A library node implemented by a graph (in pbrlib) expands; the result
    // still validates against the libraries.
    doc = readDoc(mtlx(R"(  <glossiness_anisotropy name="g" type="vector2">
    <input name="glossiness" type="float" value="0.3" />
  </glossiness_anisotropy>
)"));
    doc->importLibrary(mxtest::standardLibraries());
    doc->flattenSubgraphs();
    EXPECT_EQ(doc->getNode("g"), nullptr);
    ASSERT_NE(doc->getNode("invert1"), nullptr);
    EXPECT_EQ(doc->getNode("invert1")->getInput("in")->getValueString(), "0.3");
}

// Definitions nested depth deep: each level's graph holds one node of the
// next level, the last a multiply; "sum" reads the outermost node.
std::string nestedDefinitions(int depth)
{
    std::string body;
    for (int level = 0; level < depth; ++level)
    {
        const std::string name = "level" + std::to_string(level);
        const std::string next = "level" + std::to_string(level + 1);
        body += "  <nodedef name=\"ND_" + name + "\" node=\"" + name + "\"><input name=\"in\" type=\"float\" value=\"1\" />"
                                                                       "<output name=\"out\" type=\"float\" /></nodedef>\n";
        body += "  <nodegraph name=\"NG_" + name + "\" nodedef=\"ND_" + name + "\">";
        if (level + 1 < depth)
            body += "<" + next + " name=\"inner\" type=\"float\"><input name=\"in\" type=\"float\" interfacename=\"in\" /></" + next + ">";
        else
            body += "<multiply name=\"inner\" type=\"float\"><input name=\"in1\" type=\"float\" interfacename=\"in\" /></multiply>";
        body += "<output name=\"out\" type=\"float\" nodename=\"inner\" /></nodegraph>\n";
    }
    return body + "  <level0 name=\"top\" type=\"float\"><input name=\"in\" type=\"float\" value=\"3\" /></level0>\n"
                  "  <add name=\"sum\" type=\"float\"><input name=\"in1\" type=\"float\" nodename=\"top\" /></add>\n";
}

TEST_F(Flatten, NestedDefinitionsExpandWithoutRebuildingTheDocumentTablesPerLevel)
{
    // Each level is one round of expansion; a round that walks the whole
    // document again makes deep nestings quadratic.
    std::vector<uint64_t> builds;
    for (int depth : { 20, 200 })
    {
        SCOPED_TRACE(depth);
        doc = readDoc(mtlx(nestedDefinitions(depth)));
        doc->getNodes();
        const uint64_t before = doc->getLookupTableBuilds();
        doc->flattenSubgraphs();
        builds.push_back(doc->getLookupTableBuilds() - before);
        // The innermost multiply is left, bound to the outer value, named
        // as successive expansions free and take "inner" and "inner2".
        ASSERT_EQ(doc->getNodes().size(), 2u);
        mx::NodePtr inner = doc->getNodes()[0];
        EXPECT_EQ(inner->getCategory(), "multiply");
        EXPECT_EQ(inner->getName(), depth % 2 ? "inner" : "inner2");
        EXPECT_EQ(inner->getInput("in1")->getValueString(), "3");
        EXPECT_EQ(doc->getNode("sum")->getInput("in1")->getNodeName(), inner->getName());
    }
    EXPECT_EQ(builds[0], builds[1]);
    EXPECT_LE(builds[1], 2u);
}

TEST_F(Flatten, UnboundInputsWithAGeometricDefaultReadAGeometricNode)
{
    doc = readDoc(mtlx(R"(  <nodedef name="ND_uvscale" node="uvscale">
    <input name="texcoord" type="vector2" defaultgeomprop="UV0" />
    <input name="normal" type="vector3" value="0, 0, 1" defaultgeomprop="Tworld" />
    <output name="out" type="vector2" />
  </nodedef>
  <nodegraph name="NG_uvscale" nodedef="ND_uvscale">
    <multiply name="m" type="vector2">
      <input name="in1" type="vector2" interfacename="texcoord" />
      <input name="in2" type="vector3" interfacename="normal" />
    </multiply>
    <output name="out" type="vector2" nodename="m" />
  </nodegraph>
  <uvscale name="a" type="vector2" />
  <uvscale name="b" type="vector2">
    <input name="texcoord" type="vector2" value="0.5, 0.5" />
  </uvscale>
)"));
    doc->importLibrary(mxtest::standardLibraries());
    doc->flattenSubgraphs();
    // One node per property, shared, added after the document's own nodes.
    std::vector<std::string> names;
    for (mx::NodePtr node : doc->getNodes())
        if (!node->hasSourceUri())
            names.push_back(node->getName());
    EXPECT_EQ(names, (std::vector<std::string>{ "m", "m2", "geomNode_UV0", "geomNode_Tworld" }));
    mx::NodePtr uv = doc->getNode("geomNode_UV0");
    EXPECT_EQ(uv->getCategory(), "texcoord");
    EXPECT_EQ(uv->getInput("index")->getType(), "integer");
    EXPECT_EQ(uv->getInput("index")->getValueString(), "0");
    mx::NodePtr tangent = doc->getNode("geomNode_Tworld");
    EXPECT_EQ(tangent->getCategory(), "tangent");
    EXPECT_EQ(tangent->getInput("space")->getValueString(), "world");
    EXPECT_EQ(doc->getNode("m")->getInput("in1")->getNodeName(), "geomNode_UV0");
    EXPECT_EQ(doc->getNode("m")->getInput("in2")->getNodeName(), "geomNode_Tworld");
    // The connection replaces the definition's value.
    EXPECT_FALSE(doc->getNode("m")->getInput("in2")->hasValueString());
    EXPECT_EQ(doc->getNode("m2")->getInput("in1")->getValueString(), "0.5, 0.5");
    EXPECT_EQ(doc->getNode("m2")->getInput("in2")->getNodeName(), "geomNode_Tworld");
}

TEST_F(Flatten, GeometricNodesAreMadeFromTheLastCopyBack)
{
    doc = readDoc(mtlx(R"(  <nodedef name="ND_warp" node="warp">
    <input name="texcoord" type="vector2" defaultgeomprop="UV0" />
    <input name="normal" type="vector3" defaultgeomprop="Nworld" />
    <output name="out" type="vector3" />
  </nodedef>
  <nodegraph name="NG_warp" nodedef="ND_warp">
    <multiply name="uv2" type="vector2">
      <input name="in1" type="vector2" interfacename="texcoord" />
    </multiply>
    <add name="sum" type="vector3">
      <input name="in2" type="vector3" interfacename="normal" />
    </add>
    <output name="out" type="vector3" nodename="sum" />
  </nodegraph>
  <warp name="w" type="vector3" />
)"));
    doc->importLibrary(mxtest::standardLibraries());
    doc->flattenSubgraphs();
    std::vector<std::string> names;
    for (mx::NodePtr node : doc->getNodes())
        if (!node->hasSourceUri())
            names.push_back(node->getName());
    EXPECT_EQ(names, (std::vector<std::string>{ "uv2", "sum", "geomNode_Nworld", "geomNode_UV0" }));
}

TEST_F(Flatten, TheNodesWholeInputIsCopiedIntoTheBinding)
{
    flatten(R"(  <tint name="tint1" type="color3">
    <input name="amount" type="float" value="0.75" uimin="0" uimax="1" />
  </tint>
)");
    EXPECT_EQ(input("mul/in2"), "name=\"in2\" type=\"float\" value=\"0.75\" uimin=\"0\" uimax=\"1\">");
}

TEST_F(Flatten, NodesExpandedInOneRoundReadEachOthersCopies)
{
    // The first node's copy reads the second node, which expands after it.
    EXPECT_EQ(flatten(R"(  <tint name="first" type="color3">
    <input name="in" type="color3" nodename="second" />
  </tint>
  <tint name="second" type="color3">
    <input name="amount" type="float" value="0.1" />
  </tint>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="first" />
  </standard_surface>
)"),
              "mul:multiply mul2:multiply S:standard_surface");
    EXPECT_EQ(input("mul/in1"), "name=\"in1\" type=\"color3\" nodename=\"mul2\">");
    EXPECT_EQ(input("mul2/in2"), "name=\"in2\" type=\"float\" value=\"0.1\">");
    EXPECT_EQ(input("S/base_color"), "name=\"base_color\" type=\"color3\" nodename=\"mul\">");
}

TEST_F(Flatten, PortsChoosingAnOutputOfAMultiOutputDefinitionKeepAnEmptyOutput)
{
    doc = readDoc(mtlx(R"(  <nodedef name="ND_pair" node="pair">
    <output name="a" type="float" />
    <output name="b" type="float" />
  </nodedef>
  <nodegraph name="NG_pair" nodedef="ND_pair">
    <constant name="ca" type="float" />
    <constant name="cb" type="float" />
    <output name="a" type="float" nodename="ca" />
    <output name="b" type="float" nodename="cb" />
  </nodegraph>
  <pair name="p" type="multioutput" />
  <add name="sum" type="float">
    <input name="in1" type="float" nodename="p" output="b" />
  </add>
)"));
    doc->flattenSubgraphs();
    mx::InputPtr in1 = doc->getNode("sum")->getInput("in1");
    EXPECT_EQ(in1->getNodeName(), "cb");
    EXPECT_TRUE(in1->hasOutputString());
    EXPECT_EQ(in1->getOutputString(), "");
}

} // anonymous namespace
