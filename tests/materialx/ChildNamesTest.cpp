#include <MaterialXCore/Document.h>

#include <gtest/gtest.h>

namespace mx = MaterialX;

namespace
{

class ChildNamesTest : public ::testing::Test
{
  protected:
    mx::DocumentPtr _doc = mx::createDocument();
};

TEST_F(ChildNamesTest, ValidChildNamesAreValidAndUnique)
{
    EXPECT_EQ(_doc->createValidChildName(""), "_");
    EXPECT_EQ(_doc->createValidChildName("Red Paint"), "Red_Paint");
    EXPECT_EQ(_doc->createValidChildName("Map #1"), "Map__1");

    _doc->addNode("surfacematerial", "Red_Paint", "material");
    EXPECT_EQ(_doc->createValidChildName("Red Paint"), "Red_Paint2");
    _doc->addNode("surfacematerial", "Red_Paint2", "material");
    EXPECT_EQ(_doc->createValidChildName("Red Paint"), "Red_Paint3");
    EXPECT_EQ(_doc->createValidChildName("Red_Paint2"), "Red_Paint3");

    _doc->addNode("tiledimage", "Map__1", "color3");
    EXPECT_EQ(_doc->createValidChildName("Map #1"), "Map__2");
    _doc->addNode("constant", "_", "float");
    EXPECT_EQ(_doc->createValidChildName(""), "_2");

    // Names are unique per parent only.
    mx::NodeGraphPtr graph = _doc->addNodeGraph("graph");
    EXPECT_EQ(graph->createValidChildName("Red_Paint"), "Red_Paint");
}

TEST_F(ChildNamesTest, UnnamedNodesCountUpFromNodeOne)
{
    EXPECT_EQ(_doc->addNode("heighttonormal", "", "vector3")->getName(), "node1");
    EXPECT_EQ(_doc->addNode("normalmap", "", "vector3")->getName(), "node2");
    _doc->addNode("constant", "node3", "float");
    EXPECT_EQ(_doc->addNode("constant", "", "float")->getName(), "node4");
    mx::NodePtr a = _doc->getNode("node1");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->getCategory(), "heighttonormal");
    EXPECT_EQ(a->getType(), "vector3");
}

TEST_F(ChildNamesTest, AddingATakenNameThrows)
{
    _doc->addNode("constant", "c", "float");
    EXPECT_THROW(_doc->addNode("constant", "c", "float"), mx::Exception);
    EXPECT_EQ(_doc->getNodes().size(), 1u);
}

} // anonymous namespace
