#include "mx_test_support.h"

namespace mx = MaterialX;
using mxtest::mtlx;
using mxtest::readDoc;

namespace
{

// Validation of documents merged with the standard libraries: the messages,
// one line per problem in document order, are what import reports.
class Validation : public ::testing::Test
{
  protected:
    std::string validate(const std::string& body, const std::string& rootAttributes = "version=\"1.39\"")
    {
        doc = readDoc(mtlx(body, rootAttributes));
        doc->importLibrary(mxtest::standardLibraries());
        std::string message;
        ok = doc->validate(&message);
        return message;
    }
    mx::DocumentPtr doc;
    bool ok = false;
};

TEST_F(Validation, StandardLibrariesAloneAreValid)
{
    EXPECT_EQ(validate(""), "");
    EXPECT_TRUE(ok);
}

TEST_F(Validation, ValuesThatDoNotParseAsTheirType)
{
    EXPECT_EQ(validate(R"(  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" value="0.1, 0.2" />
    <input name="base" type="float" value="abc" />
    <input name="specular" type="float" value="" />
    <input name="thin_walled" type="boolean" value="false" />
  </standard_surface>
)"),
              "Invalid value: <input name=\"base_color\" type=\"color3\" value=\"0.1, 0.2\">\n"
              "Invalid value: <input name=\"base\" type=\"float\" value=\"abc\">\n"
              "Invalid value: <input name=\"specular\" type=\"float\" value=\"\">\n");
    EXPECT_FALSE(ok);
}

TEST_F(Validation, ConnectionsMustResolveAndAgreeInType)
{
    EXPECT_EQ(validate(R"(  <image name="img" type="color3">
    <input name="file" type="filename" value="a.png" />
  </image>
  <nodegraph name="NG">
    <constant name="c" type="float" />
    <output name="out" type="float" nodename="c" />
  </nodegraph>
  <standard_surface name="S" type="surfaceshader">
    <input name="base" type="float" nodename="img" />
    <input name="base_color" type="color3" nodename="missing" />
    <input name="coat_color" type="color3" nodegraph="NG_missing" output="out" />
    <input name="specular" type="float" nodegraph="NG" output="nope" />
    <input name="coat" type="float" nodegraph="NG" output="out" />
  </standard_surface>
)"),
              "Mismatched types in port connection: <input name=\"base\" type=\"float\" nodename=\"img\">\n"
              "Invalid port connection: <input name=\"base_color\" type=\"color3\" nodename=\"missing\">\n"
              "Invalid port connection: <input name=\"coat_color\" type=\"color3\" nodegraph=\"NG_missing\" output=\"out\">\n"
              "Invalid port connection: <input name=\"specular\" type=\"float\" nodegraph=\"NG\" output=\"nope\">\n");
}

TEST_F(Validation, NodeInputsMustBindSomethingAndMatchTheDefinition)
{
    EXPECT_EQ(validate(R"(  <heighttonormal name="h" type="vector3">
    <input name="in" type="float" />
  </heighttonormal>
  <standard_surface name="S" type="surfaceshader">
    <input name="nosuchinput" type="float" value="1" />
  </standard_surface>
  <mystery name="m" type="color3">
    <input name="anything" type="float" value="1" />
  </mystery>
)"),
              "Node input binds no value or connection: <input name=\"in\" type=\"float\">\n"
              "Node interface error: Input 'nosuchinput' doesn't match declaration: <standard_surface name=\"S\" type=\"surfaceshader\">\n");
    // A node of no known definition is left alone, and so is the shader's
    // definition lookup without a rough match.
    EXPECT_EQ(doc->getNode("S")->getNodeDef(), nullptr);
}

TEST_F(Validation, DocumentVersionAndNames)
{
    EXPECT_EQ(validate("", "version=\"1.40\""), "Future document version: <materialx version=\"1.40\">\n");
    // Versions from 1.22 on are upgraded while reading; older ones stay.
    EXPECT_EQ(validate("", "version=\"1.21\""), "Unsupported document version: <materialx version=\"1.21\">\n");
    EXPECT_EQ(validate("", "version=\"1.37\""), "");
    EXPECT_EQ(validate("", "version=\"1.38\""), "");
    EXPECT_EQ(doc->getVersionString(), "1.39");
    EXPECT_EQ(validate("  <add name=\"bad name\" type=\"float\" />\n"),
              "Invalid element name: <add name=\"bad name\" type=\"float\">\n");
}

TEST_F(Validation, CyclesAreFoundFromGraphOutputs)
{
    EXPECT_EQ(validate(R"(  <nodegraph name="NG">
    <add name="a1" type="float">
      <input name="in1" type="float" nodename="a2" />
    </add>
    <add name="a2" type="float">
      <input name="in1" type="float" nodename="a1" />
    </add>
    <output name="out" type="float" nodename="a1" />
  </nodegraph>
  <add name="top1" type="float">
    <input name="in1" type="float" nodename="top2" />
  </add>
  <add name="top2" type="float">
    <input name="in1" type="float" nodename="top1" />
  </add>
)"),
              "Cycle in upstream path: <output name=\"out\" type=\"float\" nodename=\"a1\">\n");
}

TEST_F(Validation, GraphImplementationsAndInterfaceNames)
{
    EXPECT_EQ(validate(R"(  <nodedef name="ND_mine" node="mine">
    <input name="amount" type="float" value="0.5" />
    <output name="out" type="float" />
  </nodedef>
  <nodegraph name="NG_mine" nodedef="ND_mine">
    <multiply name="m" type="float">
      <input name="in1" type="float" interfacename="amount" />
      <input name="in2" type="float" interfacename="nosuch" />
    </multiply>
    <output name="out" type="float" nodename="m" />
  </nodegraph>
  <nodegraph name="NG_orphan" nodedef="ND_absent">
    <output name="out" type="float" />
  </nodegraph>
)"),
              "Interface name not found in referenced declaration: <input name=\"in2\" type=\"float\" interfacename=\"nosuch\">\n"
              "NodeGraph implementation refers to non-existent NodeDef: <nodegraph name=\"NG_orphan\" nodedef=\"ND_absent\">\n");
}

TEST_F(Validation, BindingsNodeTypesAndInterfaceScopes)
{
    EXPECT_EQ(validate(R"(  <nodedef name="ND_mine" node="mine">
    <input name="amount" type="float" value="0.5" />
    <output name="out" type="float" />
  </nodedef>
  <nodegraph name="NG_mine" nodedef="ND_mine">
    <input name="extra" type="float" value="1" />
    <multiply name="m" type="float">
      <input name="in1" type="float" value="1" nodename="c" />
      <input name="in2" type="float" interfacename="amount" />
    </multiply>
    <constant name="c" type="float" />
    <output name="out" type="float" nodename="m" />
  </nodegraph>
  <nodegraph name="NG_compound">
    <input name="gain" type="float" value="2" defaultgeomprop="UV0" />
    <output name="pass" type="float" interfacename="gain" />
  </nodegraph>
  <add name="top" type="float">
    <input name="in1" type="float" interfacename="gain" />
  </add>
  <add name="typed" type="color3" nodedef="ND_add_float" />
  <separate3 name="sep" type="color3" nodedef="ND_separate3_color3" />
)"),
              "Input element in a functional nodegraph has no effect: <input name=\"extra\" type=\"float\" value=\"1\">\n"
              "Node input has too many bindings: <input name=\"in1\" type=\"float\" value=\"1\" nodename=\"c\">\n"
              "Only input and token elements support interface names: <output name=\"pass\" type=\"float\" interfacename=\"gain\">\n"
              "Interface name not found in referenced declaration: <output name=\"pass\" type=\"float\" interfacename=\"gain\">\n"
              "Interface name not found in referenced declaration: <input name=\"in1\" type=\"float\" interfacename=\"gain\">\n"
              "Node type does not match output port type: <add name=\"typed\" type=\"color3\" nodedef=\"ND_add_float\">\n"
              "Node type is not 'multioutput' for node with multiple outputs: <separate3 name=\"sep\" type=\"color3\" nodedef=\"ND_separate3_color3\">\n");
}

TEST_F(Validation, MultiOutputConnectionsNameAnOutput)
{
    EXPECT_EQ(validate(R"(  <separate3 name="sep" type="multioutput">
    <input name="in" type="color3" value="1, 0, 0" />
  </separate3>
  <add name="a" type="float">
    <input name="in1" type="float" nodename="sep" output="outr" />
    <input name="in2" type="float" nodename="sep" output="outq" />
  </add>
)"),
              "No output found for port connection: <input name=\"in2\" type=\"float\" nodename=\"sep\" output=\"outq\">\n");
}

TEST_F(Validation, WithoutAMessageOnlyTheResultIsGiven)
{
    doc = readDoc(mtlx("  <add name=\"bad name\" type=\"float\" />\n"));
    EXPECT_FALSE(doc->validate());
}

} // anonymous namespace

namespace
{

// Library copies reuse the library's own validation result; the result must
// be the one a full check of the same content gives (a document's copy is
// checked in full).
class ValidationReuse : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        doc = readDoc(mtlx(R"(  <standard_surface name="S" type="surfaceshader">
    <input name="base" type="float" value="0.5" />
  </standard_surface>
  <surfacematerial name="M" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="S" />
  </surfacematerial>
)"));
        doc->importLibrary(mxtest::standardLibraries());
    }
    void expectSameAsFullCheck(const std::string& expectedFragment = "")
    {
        std::string reused, full;
        bool reusedOk = doc->validate(&reused);
        bool fullOk = doc->copy()->validate(&full);
        EXPECT_EQ(reused, full);
        EXPECT_EQ(reusedOk, fullOk);
        if (!expectedFragment.empty())
        {
            EXPECT_NE(reused.find(expectedFragment), std::string::npos) << reused;
        }
    }
    mx::DocumentPtr doc;
};

TEST_F(ValidationReuse, UntouchedDocumentMatchesAFullCheck)
{
    expectSameAsFullCheck();
    doc->flattenSubgraphs();
    expectSameAsFullCheck();
}

TEST_F(ValidationReuse, AChangedLibraryCopyIsCheckedAgain)
{
    doc->getNodeDef("ND_image_color3")->getInput("uaddressmode")->setValueString("nonsense");
    doc->getNodeDef("ND_add_float")->getInput("in1")->setType("color3");
    doc->getNodeDef("ND_mix_color3")->setType("color3");
    expectSameAsFullCheck("Nodedef should not have a type but an explicit output: <nodedef name=\"ND_mix_color3\"");
}

TEST_F(ValidationReuse, RemovedOrShadowedLibraryElementsAreNoticed)
{
    // Graph nodes of the library resolve against what the document holds.
    doc->removeNodeDef("ND_multiply_color3");
    doc->removeNodeDef("ND_multiply_color3FA");
    expectSameAsFullCheck();
}

TEST_F(ValidationReuse, DocumentElementsThatChangeLibraryLookups)
{
    // A definition of a node the library's graphs use, and an element named
    // like something the library refers to.
    doc = readDoc(mtlx(R"(  <nodedef name="ND_my_multiply" node="multiply">
    <input name="in1" type="vector3" />
    <output name="out" type="vector3" />
  </nodedef>
  <add name="ND_convert_float_vector3" type="float" />
)"));
    doc->importLibrary(mxtest::standardLibraries());
    expectSameAsFullCheck();
}

TEST_F(ValidationReuse, InterfaceNamesThatResolveAmongTheDocumentsElements)
{
    // A graph's own output binds to the interface one scope out: the
    // document, whose elements differ from the library's.
    mx::DocumentPtr library = readDoc(mtlx(R"(  <nodegraph name="NG_pass">
    <output name="out" type="float" interfacename="gain" />
  </nodegraph>
)"));
    doc = readDoc(mtlx("  <output name=\"gain\" type=\"float\" />\n"));
    doc->importLibrary(library);
    expectSameAsFullCheck("Only input and token elements support interface names");
    std::string message;
    doc->validate(&message);
    EXPECT_EQ(message.find("Interface name not found"), std::string::npos) << message;
}

TEST_F(ValidationReuse, ChangesToTheLibraryAfterImportAreNotTakenOver)
{
    mx::DocumentPtr library = mx::createDocument();
    library->importLibrary(mxtest::standardLibraries());
    doc = mx::createDocument();
    doc->importLibrary(library);
    std::string before;
    EXPECT_TRUE(doc->validate(&before));
    library->getNodeDef("ND_add_float")->getInput("in1")->setValueString("bad");
    std::string after;
    EXPECT_TRUE(doc->validate(&after)) << after;
    expectSameAsFullCheck();
}

TEST_F(Validation, SeveralOutputsConnectAsTheirDeclarationsAllow)
{
    // Outputs declared on the node, a custom definition of two outputs read
    // through a graph's interface, and graph outputs naming another graph.
    EXPECT_EQ(validate(R"(  <nodegraph name="NG_copper">
    <artistic_ior name="ior" type="multioutput">
      <output name="ior" type="color3" />
      <output name="extinction" type="color3" />
    </artistic_ior>
    <conductor_bsdf name="metal" type="BSDF">
      <input name="ior" type="color3" nodename="ior" output="ior" />
      <input name="extinction" type="color3" nodename="ior" output="extinction" />
    </conductor_bsdf>
    <output name="out" type="BSDF" nodename="metal" />
  </nodegraph>
  <nodedef name="ND_pair" node="pair">
    <output name="a" type="color3" />
    <output name="b" type="color3" />
  </nodedef>
  <pair name="p" type="multioutput" />
  <nodegraph name="NG_use">
    <input name="lit" type="color3" nodename="p" output="a" />
    <mix name="blend" type="color3">
      <input name="fg" type="color3" interfacename="lit" />
      <input name="bg" type="color3" value="0, 0, 0" />
      <input name="mix" type="float" value="0.5" />
    </mix>
    <output name="out" type="color3" nodename="blend" />
  </nodegraph>
  <nodegraph name="NG_pass">
    <output name="pass" type="color3" nodename="NG_use" output="out" />
  </nodegraph>
  <multiply name="m" type="vector2">
    <input name="in1" type="vector2" nodegraph="" />
  </multiply>
)"),
              "");
}

TEST_F(Validation, ChannelsAreNodesNowAndTheAttributeIsIgnored)
{
    const std::string body = R"(  <constant name="c" type="color4" />
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="c" channels="rgb" />
    <input name="opacity" type="color3" nodename="c" channels="xyz" />
    <input name="base" type="float" nodename="c" channels="ra" />
  </standard_surface>
)";
    // Read from a 1.38 document, the channels are nodes of the right types.
    EXPECT_EQ(validate(body, "version=\"1.38\""), "");
    EXPECT_TRUE(ok);
    // In a current document the attribute means nothing: the types clash.
    EXPECT_EQ(validate(body),
              "Mismatched types in port connection: <input name=\"base_color\" type=\"color3\" nodename=\"c\" channels=\"rgb\">\n"
              "Mismatched types in port connection: <input name=\"opacity\" type=\"color3\" nodename=\"c\" channels=\"xyz\">\n"
              "Mismatched types in port connection: <input name=\"base\" type=\"float\" nodename=\"c\" channels=\"ra\">\n");
}

TEST_F(Validation, NodesOfADeclaredCategoryNeedADefinitionOfTheirType)
{
    EXPECT_EQ(validate(R"(  <sin name="untyped" />
  <sheen_bsdf name="wrong" type="vector2" />
  <mystery name="unknown" type="float" />
)"),
              "Node element is missing a type: <sin name=\"untyped\">\n"
              "Node interface doesn't support this output type: <sin name=\"untyped\">\n"
              "Node interface doesn't support this output type: <sheen_bsdf name=\"wrong\" type=\"vector2\">\n");
}

TEST_F(Validation, InterfaceNamesMustBeDeclaredByTheGraphOrItsDefinition)
{
    EXPECT_EQ(validate(R"(  <nodegraph name="NG">
    <input name="known" type="float" value="1" />
    <add name="a" type="float">
      <input name="in1" type="float" interfacename="known" />
      <input name="in2" type="float" interfacename="missing" />
    </add>
    <output name="out" type="float" nodename="a" />
  </nodegraph>
)"),
              "Interface name not found in referenced declaration: <input name=\"in2\" type=\"float\" interfacename=\"missing\">\n");
}

TEST_F(Validation, InheritanceCyclesThrowWhereTheInheritanceIsFollowed)
{
    const std::string cycle = R"(  <nodedef name="ND_a" node="loopy" inherit="ND_b">
    <output name="out" type="float" />
  </nodedef>
  <nodedef name="ND_b" node="loopy" inherit="ND_a">
    <output name="out" type="float" />
  </nodedef>
)";
    // Alone, the definitions only report the cycle.
    EXPECT_EQ(validate(cycle), "Cycle in element inheritance chain: <nodedef name=\"ND_a\" node=\"loopy\" inherit=\"ND_b\">\n"
                               "Cycle in element inheritance chain: <nodedef name=\"ND_b\" node=\"loopy\" inherit=\"ND_a\">\n");
    // A node of theirs needs their outputs, and meets the cycle.
    try
    {
        validate(cycle + "  <loopy name=\"n\" type=\"float\" />\n");
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionFoundCycle& e)
    {
        EXPECT_STREQ(e.what(), "Encountered cycle at element: <nodedef name=\"ND_a\" node=\"loopy\" inherit=\"ND_b\">");
    }
}

} // anonymous namespace
