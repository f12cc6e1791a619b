#include "mx_test_support.h"

namespace mx = MaterialX;
using mxtest::mtlx;
using mxtest::readDoc;

namespace
{

class ElementModel : public ::testing::Test
{
  protected:
    mx::DocumentPtr doc = mx::createDocument();
};

TEST_F(ElementModel, NewDocumentHasCurrentVersion)
{
    EXPECT_EQ(doc->getCategory(), "materialx");
    EXPECT_EQ(doc->getVersionString(), "1.39");
    EXPECT_EQ(doc->getVersionIntegers(), std::make_pair(1, 39));
    EXPECT_TRUE(doc->getChildren().empty());
}

TEST_F(ElementModel, AttributesKeepTheOrderTheyWereFirstSet)
{
    mx::NodePtr node = doc->addNode("image", "img", "color3");
    node->setAttribute("b", "1");
    node->setAttribute("a", "2");
    node->setAttribute("b", "3");
    EXPECT_EQ(node->getAttributeNames(), (mx::StringVec{ "type", "b", "a" }));
    EXPECT_EQ(node->getAttribute("b"), "3");
    EXPECT_EQ(node->asString(), "<image name=\"img\" type=\"color3\" b=\"3\" a=\"2\">");

    node->removeAttribute("b");
    EXPECT_FALSE(node->hasAttribute("b"));
    EXPECT_EQ(node->getAttribute("b"), "");
    EXPECT_EQ(node->getAttributeNames(), (mx::StringVec{ "type", "a" }));
}

TEST_F(ElementModel, ValidChildNamesAreMadeUnique)
{
    EXPECT_EQ(doc->createValidChildName("Red Paint"), "Red_Paint");
    doc->addNode("surfacematerial", "Red_Paint", "material");
    EXPECT_EQ(doc->createValidChildName("Red Paint"), "Red_Paint2");
    EXPECT_EQ(doc->createValidChildName("Map #1"), "Map__1");
    EXPECT_EQ(doc->createValidChildName(""), "_");

    EXPECT_EQ(doc->addNode("heighttonormal", "", "vector3")->getName(), "node1");
    EXPECT_EQ(doc->addNode("normalmap", "", "vector3")->getName(), "node2");
    EXPECT_EQ(doc->createValidChildName("node1"), "node3");
}

TEST_F(ElementModel, NamesAreUniqueAmongSiblings)
{
    mx::NodePtr a = doc->addNode("add", "a", "float");
    mx::NodePtr b = doc->addNode("add", "b", "float");
    EXPECT_THROW(doc->addNode("add", "a", "float"), mx::Exception);
    EXPECT_THROW(b->setName("a"), mx::Exception);
    b->setName("c");
    EXPECT_EQ(doc->getNode("c"), b);
    EXPECT_EQ(doc->getNode("b"), nullptr);
}

TEST_F(ElementModel, ManyChildrenStayFindableAfterRenamesMovesAndRemovals)
{
    // Enough children for the name index to be in use.
    for (int i = 0; i < 40; ++i)
        doc->addNode("constant", "n" + std::to_string(i), "float");
    doc->getNode("n5")->setName("renamed");
    doc->removeNode("n7");
    doc->setChildIndex("n39", 0);

    EXPECT_EQ(doc->getNode("n5"), nullptr);
    EXPECT_EQ(doc->getNode("renamed")->getName(), "renamed");
    EXPECT_EQ(doc->getNode("n7"), nullptr);
    EXPECT_EQ(doc->getChildIndex("n39"), 0);
    EXPECT_EQ(doc->getChildren()[1]->getName(), "n0");
    EXPECT_EQ(doc->getNodes().size(), 39u);
    EXPECT_EQ(doc->createValidChildName("n1"), "n5");
}

TEST_F(ElementModel, ConnectingReplacesOtherBindingsAndNullDisconnects)
{
    mx::NodePtr image = doc->addNode("image", "img", "color3");
    mx::NodePtr shader = doc->addNode("standard_surface", "sr", "surfaceshader");
    mx::InputPtr in = shader->addInput("base_color", "color3");
    in->setAttribute("value", "1, 0, 0");
    in->setAttribute("nodegraph", "G");
    in->setAttribute("interfacename", "tint");
    in->setAttribute("colorspace", "srgb_texture");
    in->setConnectedNode(image);
    EXPECT_EQ(in->getNodeName(), "img");
    EXPECT_EQ(in->getConnectedNode(), image);
    EXPECT_EQ(in->getAttributeNames(), (mx::StringVec{ "type", "colorspace", "nodename" }));

    in->setConnectedNode(nullptr);
    EXPECT_FALSE(in->hasNodeName());
    EXPECT_EQ(in->getConnectedNode(), nullptr);
    EXPECT_EQ(in->getAttributeNames(), (mx::StringVec{ "type", "colorspace" }));

    // An output connection drops a value too; a null one removes the whole
    // connection.
    mx::NodeGraphPtr graph = doc->addNodeGraph("G");
    mx::OutputPtr out = graph->addOutput("out", "color3");
    in->setAttribute("value", "0, 1, 0");
    in->setConnectedOutput(out);
    EXPECT_EQ(in->getAttributeNames(), (mx::StringVec{ "type", "colorspace", "output", "nodegraph" }));
    EXPECT_EQ(in->getConnectedOutput(), out);
    in->setConnectedOutput(nullptr);
    EXPECT_EQ(in->getAttributeNames(), (mx::StringVec{ "type", "colorspace" }));
}

TEST_F(ElementModel, GlobalRenamesAndInterfaceBindingsCarryTheirReferences)
{
    mx::NodeGraphPtr graph = doc->addNodeGraph("G");
    graph->addInput("gain", "float");
    mx::NodePtr inner = graph->addNode("multiply", "m", "float");
    mx::InputPtr in1 = inner->addInput("in1", "float");
    in1->setValueString("2");
    in1->setConnectedInterfaceName("nosuch");
    EXPECT_EQ(in1->getAttributeNames(), (mx::StringVec{ "type", "value" }));
    in1->setConnectedInterfaceName("gain");
    EXPECT_EQ(in1->getAttributeNames(), (mx::StringVec{ "type", "interfacename" }));
    in1->setConnectedInterfaceName("");
    EXPECT_FALSE(in1->hasInterfaceName());
    mx::OutputPtr out = graph->addOutput("out", "float");
    out->setNodeName("m");

    mx::NodePtr reader = doc->addNode("add", "reader", "float");
    reader->addInput("in1", "float")->setNodeGraphString("G");
    mx::NodePtr source = doc->addNode("constant", "c", "float");
    reader->addInput("in2", "float")->setConnectedNode(source);

    source->setNameGlobal("c2");
    EXPECT_EQ(reader->getInput("in2")->getNodeName(), "c2");
    graph->setNameGlobal("G2");
    EXPECT_EQ(reader->getInput("in1")->getNodeGraphString(), "G2");
    inner->setNameGlobal("m2");
    EXPECT_EQ(out->getNodeName(), "m2");
    EXPECT_THROW(source->setNameGlobal("reader"), mx::Exception);
    EXPECT_EQ(reader->getInput("in2")->getNodeName(), "c2");

    reader->getInput("in1")->setHint(mx::Input::OPACITY_HINT);
    EXPECT_TRUE(reader->getInput("in1")->hasHint());
    EXPECT_EQ(reader->getInput("in1")->getHint(), "opacity");
}

TEST_F(ElementModel, ElementsOutliveTheirDocumentSafely)
{
    mx::InputPtr kept = doc->addNode("image", "img", "color3")->addInput("file", "filename");
    mx::NodePtr removed = doc->addNode("add", "gone", "float");
    doc->removeNode("gone");
    EXPECT_EQ(removed->getParent(), nullptr);
    EXPECT_EQ(removed->getDocument(), nullptr);

    doc.reset();
    EXPECT_EQ(kept->getParent(), nullptr);
    EXPECT_EQ(kept->getDocument(), nullptr);
    EXPECT_EQ(kept->getNamePath(), "file");
}

TEST_F(ElementModel, NestingIsBoundedWithAClearError)
{
    mx::ElementPtr elem = doc;
    int levels = 0;
    try
    {
        for (; levels < 100000; ++levels)
            elem = elem->addChildOfCategory("nodegraph", "g");
        FAIL() << "no limit";
    }
    catch (const mx::Exception& e)
    {
        EXPECT_EQ(levels, mx::Element::MAX_DEPTH);
        EXPECT_NE(std::string(e.what()).find("nesting"), std::string::npos);
    }
    // The tree built so far stays whole and can be copied and freed.
    EXPECT_EQ(elem->getNamePath().size(), 2u * mx::Element::MAX_DEPTH - 1);
    EXPECT_NO_THROW(doc->copy());
}

TEST_F(ElementModel, UnknownCategoriesBecomeNodesInGraphsAndGenericElsewhere)
{
    doc = readDoc(mtlx("  <mystery name=\"m\" type=\"color3\" custom=\"x\" />\n"
                       "  <look name=\"L\">\n    <oddity name=\"o\" a=\"1\" />\n  </look>\n"));
    ASSERT_NE(doc->getNode("m"), nullptr);
    EXPECT_EQ(doc->getNode("m")->getAttribute("custom"), "x");
    EXPECT_EQ(doc->getNode("L"), nullptr);
    mx::ElementPtr oddity = doc->getDescendant("L/o");
    ASSERT_NE(oddity, nullptr);
    EXPECT_EQ(oddity->getCategory(), "oddity");
    EXPECT_TRUE(oddity->isA<mx::GenericElement>());
}

// Matching nodes to their definitions and implementations.
class Definitions : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        doc = readDoc(mtlx(R"(  <nodedef name="ND_tint_color3" node="tint">
    <input name="in" type="color3" value="1, 1, 1" />
    <output name="out" type="color3" />
  </nodedef>
  <nodedef name="ND_tint_color3_float" node="tint">
    <input name="in" type="color3" value="1, 1, 1" />
    <input name="amount" type="float" value="0.5" />
    <output name="out" type="color3" />
  </nodedef>
  <nodedef name="ND_tint_float" node="tint">
    <input name="in" type="float" value="1" />
    <output name="out" type="float" />
  </nodedef>
  <nodedef name="ND_shade_v2" node="shade" version="2.0" isdefaultversion="true" inherit="ND_shade_v1">
    <input name="extra" type="float" value="0" />
  </nodedef>
  <nodedef name="ND_shade_v1" node="shade" version="1.0">
    <input name="in" type="color3" value="0, 0, 0" />
    <output name="out" type="surfaceshader" />
  </nodedef>
  <nodegraph name="NG_shade">
    <output name="out" type="surfaceshader" />
  </nodegraph>
  <implementation name="IM_shade" nodedef="ND_shade_v2" nodegraph="NG_shade" />
  <implementation name="IM_tint_color3" nodedef="ND_tint_color3" file="tint.osl" />
)"));
    }
    mx::DocumentPtr doc;
};

TEST_F(Definitions, NodeDefIsChosenByTypeAndInputTypes)
{
    mx::NodePtr a = doc->addNode("tint", "a", "color3");
    EXPECT_EQ(a->getNodeDef()->getName(), "ND_tint_color3");
    a->addInput("amount", "float");
    EXPECT_EQ(a->getNodeDef()->getName(), "ND_tint_color3_float");

    mx::NodePtr b = doc->addNode("tint", "b", "float");
    EXPECT_EQ(b->getNodeDef()->getName(), "ND_tint_float");
    b->addInput("in", "color3");
    EXPECT_EQ(b->getNodeDef(), nullptr);
    EXPECT_EQ(b->getNodeDef(mx::EMPTY_STRING, true)->getName(), "ND_tint_float");

    mx::NodePtr c = doc->addNode("tint", "c", "color3");
    c->setNodeDefString("ND_tint_float");
    EXPECT_EQ(c->getNodeDef()->getName(), "ND_tint_float");
}

TEST_F(Definitions, VersionsAndInheritedInputs)
{
    mx::NodePtr node = doc->addNode("shade", "s", "surfaceshader");
    node->addInput("in", "color3");
    EXPECT_EQ(node->getNodeDef()->getName(), "ND_shade_v2");
    node->setVersionString("1.0");
    EXPECT_EQ(node->getNodeDef()->getName(), "ND_shade_v1");

    mx::NodeDefPtr v2 = doc->getNodeDef("ND_shade_v2");
    EXPECT_EQ(v2->getType(), "surfaceshader");
    EXPECT_EQ(v2->getActiveInputs().size(), 2u);
    EXPECT_EQ(v2->getInputs().size(), 1u);
    EXPECT_EQ(doc->getMatchingNodeDefs("shade").size(), 2u);
}

TEST_F(Definitions, ImplementationsAndTheGraphsTheyName)
{
    mx::NodePtr tint = doc->addNode("tint", "t", "color3");
    EXPECT_EQ(tint->getImplementation()->getName(), "IM_tint_color3");

    mx::NodePtr shade = doc->addNode("shade", "s", "surfaceshader");
    EXPECT_EQ(shade->getImplementation()->getName(), "NG_shade");
    EXPECT_EQ(doc->getNodeGraph("NG_shade")->getNodeDef()->getName(), "ND_shade_v2");

    // Not asked to follow it to its graph, a lookup gives the element itself.
    mx::NodeDefPtr shadeDef = shade->getNodeDef();
    ASSERT_NE(doc->getImplementation("IM_shade"), nullptr);
    EXPECT_EQ(shadeDef->getImplementation(mx::EMPTY_STRING, false)->getName(), "IM_shade");
    EXPECT_EQ(doc->getMatchingImplementations("ND_shade_v2").front()->getName(), "IM_shade");

    // Lookups follow changes of the document: without its graph the
    // implementation element stands for itself.
    doc->removeNodeGraph("NG_shade");
    EXPECT_EQ(shade->getImplementation()->getName(), "IM_shade");
    EXPECT_EQ(shade->getImplementation()->asA<mx::NodeGraph>(), nullptr);
    doc->removeImplementation("IM_tint_color3");
    EXPECT_EQ(tint->getImplementation(), nullptr);
}

TEST_F(Definitions, MaterialNodesAreTopLevelNodesOfMaterialType)
{
    doc->addNode("surfacematerial", "M1", "material");
    doc->addNode("standard_surface", "S1", "surfaceshader");
    doc->addNodeGraph("G")->addNode("surfacematerial", "inner", "material");
    doc->addNode("surfacematerial", "M2", "material");
    std::vector<std::string> names;
    for (mx::NodePtr m : doc->getMaterialNodes())
        names.push_back(m->getName());
    EXPECT_EQ(names, (std::vector<std::string>{ "M1", "M2" }));
}

class ImportLibrary : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        library = readDoc(mtlx("  <nodedef name=\"ND_a\" node=\"a\">\n    <output name=\"out\" type=\"float\" />\n  </nodedef>\n"
                               "  <nodedef name=\"ND_b\" node=\"b\" colorspace=\"srgb_texture\">\n    <output name=\"out\" type=\"float\" />\n  </nodedef>\n",
                               "version=\"1.38\" colorspace=\"lin_rec709\""));
        library->setSourceUri("lib/defs.mtlx");
    }
    mx::DocumentPtr library;
};

TEST_F(ImportLibrary, ExistingNamesWinAndCopiesCarryTheLibrarysSource)
{
    mx::DocumentPtr doc = readDoc(mtlx("  <nodedef name=\"ND_a\" node=\"mine\">\n    <output name=\"out\" type=\"color3\" />\n  </nodedef>\n"));
    doc->importLibrary(library);

    ASSERT_EQ(doc->getNodeDefs().size(), 2u);
    EXPECT_EQ(doc->getNodeDef("ND_a")->getNodeString(), "mine");
    EXPECT_FALSE(doc->getNodeDef("ND_a")->hasSourceUri());
    mx::NodeDefPtr b = doc->getNodeDef("ND_b");
    EXPECT_EQ(b->getSourceUri(), "lib/defs.mtlx");
    EXPECT_EQ(b->getColorSpace(), "srgb_texture");
    EXPECT_EQ(b->getOutput("out")->getType(), "float");
    EXPECT_FALSE(b->getOutput("out")->hasSourceUri());
}

TEST_F(ImportLibrary, LibraryAttributesFillOnlyWhatTheCopyLacks)
{
    mx::DocumentPtr doc = mx::createDocument();
    doc->importLibrary(library);
    EXPECT_EQ(doc->getNodeDef("ND_a")->getColorSpace(), "lin_rec709");
    EXPECT_EQ(doc->getNodeDef("ND_b")->getColorSpace(), "srgb_texture");
    EXPECT_FALSE(doc->hasColorSpace());
}

TEST_F(ImportLibrary, CopiesAreIndependentOfTheLibrary)
{
    mx::DocumentPtr first = mx::createDocument();
    first->importLibrary(library);
    mx::DocumentPtr second = mx::createDocument();
    second->importLibrary(library);
    first->getNodeDef("ND_a")->getOutput("out")->setType("color3");
    first->removeNodeDef("ND_b");
    // Copies share the text of their source URI until one of them sets its own.
    first->getNodeDef("ND_a")->setSourceUri("mine.mtlx");
    second->getNodeDef("ND_b")->setSourceUri("");

    EXPECT_EQ(library->getSourceUri(), "lib/defs.mtlx");
    EXPECT_EQ(second->getNodeDef("ND_a")->getSourceUri(), "lib/defs.mtlx");
    EXPECT_FALSE(second->getNodeDef("ND_b")->hasSourceUri());
    EXPECT_EQ(library->getNodeDef("ND_a")->getOutput("out")->getType(), "float");
    EXPECT_EQ(second->getNodeDef("ND_a")->getOutput("out")->getType(), "float");
    EXPECT_NE(second->getNodeDef("ND_b"), nullptr);
    EXPECT_EQ(second->getNodeDef("ND_a")->getDocument(), second);
    EXPECT_EQ(second->getNodeDef("ND_a")->getOutput("out")->getParent(), second->getNodeDef("ND_a"));

    // Changing the library afterwards leaves earlier copies as they were,
    // and later imports take the change.
    mx::DocumentPtr untouched = mx::createDocument();
    untouched->importLibrary(library);
    library->getNodeDef("ND_b")->getOutput("out")->setType("vector3");
    library->getNodeDef("ND_b")->addInput("extra", "float");
    EXPECT_EQ(untouched->getNodeDef("ND_b")->getOutput("out")->getType(), "float");
    EXPECT_EQ(untouched->getNodeDef("ND_b")->getInputs().size(), 0u);
    mx::DocumentPtr later = mx::createDocument();
    later->importLibrary(library);
    EXPECT_EQ(later->getNodeDef("ND_b")->getOutput("out")->getType(), "vector3");
    EXPECT_EQ(later->getNodeDef("ND_b")->getInputs().size(), 1u);

    // A copy of a copy, and the library gone: contents stay whole.
    mx::DocumentPtr copied = untouched->copy();
    library.reset();
    untouched.reset();
    EXPECT_EQ(copied->getNodeDef("ND_b")->getOutput("out")->getType(), "float");
    EXPECT_EQ(copied->getNodeDef("ND_b")->getColorSpace(), "srgb_texture");
}

TEST_F(ImportLibrary, HandedOverLibraryGivesWhatACopyGives)
{
    mx::DocumentPtr copied = mx::createDocument();
    copied->importLibrary(library);
    mx::DocumentPtr taken = mx::createDocument();
    taken->importLibrary(library->copy());
    EXPECT_EQ(mx::writeToXmlString(taken), mx::writeToXmlString(copied));
    EXPECT_EQ(taken->getNodeDef("ND_b")->getSourceUri(), "lib/defs.mtlx");
    EXPECT_EQ(taken->getNodeDef("ND_a")->getOutput("out")->getParent(), taken->getNodeDef("ND_a"));
    EXPECT_TRUE(taken->validate());

    // An element someone still holds may change later: the library is copied
    // then, and the change stays out of the import.
    mx::DocumentPtr held = library->copy();
    mx::OutputPtr out = held->getNodeDef("ND_a")->getOutput("out");
    mx::DocumentPtr doc = mx::createDocument();
    doc->importLibrary(std::move(held));
    EXPECT_EQ(held, nullptr);
    out->setType("color3");
    EXPECT_EQ(doc->getNodeDef("ND_a")->getOutput("out")->getType(), "float");
}

TEST_F(ImportLibrary, SourceUrisOfNestedLibrariesArePreserved)
{
    // A merged library keeps each element's own source.
    mx::DocumentPtr merged = mx::createDocument();
    merged->importLibrary(library);
    mx::DocumentPtr other = readDoc(mtlx("  <typedef name=\"color3\" />\n"));
    other->setSourceUri("lib/types.mtlx");
    merged->importLibrary(other);

    mx::DocumentPtr doc = mx::createDocument();
    doc->importLibrary(merged);
    EXPECT_EQ(doc->getNodeDef("ND_a")->getSourceUri(), "lib/defs.mtlx");
    EXPECT_EQ(doc->getTypeDef("color3")->getSourceUri(), "lib/types.mtlx");
    EXPECT_EQ(doc->getReferencedSourceUris(), (mx::StringSet{ "lib/defs.mtlx", "lib/types.mtlx" }));
}

} // anonymous namespace
