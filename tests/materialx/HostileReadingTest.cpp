// Documents built to make the reader slow or to crash it: huge attribute
// lists, many unnamed elements, XInclude fan-outs and folders.
#include "mx_test_support.h"

#include <map>

namespace
{
namespace mx = MaterialX;
using mxtest::mtlx;
using mxtest::TempFolder;

TEST(LongAttributeLists, KeepTheirOrderAndAnswerLookups)
{
    // Sized so that a scan per attribute would take minutes.
    const int count = 100000;
    std::string attributes;
    for (int i = 0; i < count; ++i)
        attributes += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    // A repeated attribute is an XML error, so the reader never sees one.
    mx::DocumentPtr doc = mxtest::readDoc(mtlx("  <generic name=\"g\"" + attributes + " />\n"));
    mx::ElementPtr elem = doc->getChild("g");
    ASSERT_TRUE(elem);
    const std::vector<mx::AttributePair>& pairs = elem->getAttributePairs();
    ASSERT_EQ(pairs.size(), size_t(count));
    for (int i : { 0, 1, 17, 5000, count - 1 })
    {
        EXPECT_EQ(pairs[i].first, "a" + std::to_string(i));
        EXPECT_EQ(elem->getAttribute("a" + std::to_string(i)), std::to_string(i));
    }
    EXPECT_FALSE(elem->hasAttribute("a" + std::to_string(count)));
}

TEST(LongAttributeLists, StayConsistentThroughChanges)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::ElementPtr elem = doc->addChildOfCategory("generic", "g");
    for (int i = 0; i < 40; ++i)
        elem->setAttribute("a" + std::to_string(i), "v" + std::to_string(i));
    elem->setAttribute("a3", "changed");
    elem->removeAttribute("a10");
    elem->setAttribute("a10", "back");
    elem->setAttribute("late", "x");
    mx::StringVec names = elem->getAttributeNames();
    ASSERT_EQ(names.size(), 41u);
    EXPECT_EQ(names[3], "a3");
    EXPECT_EQ(names[10], "a11");
    EXPECT_EQ(names[39], "a10");
    EXPECT_EQ(names[40], "late");
    EXPECT_EQ(elem->getAttribute("a3"), "changed");
    EXPECT_EQ(elem->getAttribute("a10"), "back");
    EXPECT_EQ(elem->getAttribute("a11"), "v11");

    // A copy answers from its own list.
    mx::ElementPtr copy = doc->addChildOfCategory("generic", "h");
    copy->copyContentFrom(elem);
    copy->setAttribute("a5", "copy");
    EXPECT_EQ(elem->getAttribute("a5"), "v5");
    EXPECT_EQ(copy->getAttribute("a5"), "copy");
    EXPECT_EQ(copy->getAttributeNames(), names);

    // The writer keeps name first, then the order of setting.
    std::string xml = mx::writeToXmlString(doc);
    EXPECT_NE(xml.find("<generic name=\"g\" a0=\"v0\" a1=\"v1\" a2=\"v2\" a3=\"changed\""), std::string::npos) << xml;
}

TEST(AutomaticNames, ManyUnnamedElementsCountUpOnce)
{
    // Sized so that counting from 1 for every element would take minutes.
    const int count = 40000;
    std::string body;
    for (int i = 0; i < count; ++i)
        body += "  <nodegraph />\n";
    mx::DocumentPtr doc = mxtest::readDoc(mtlx(body));
    const std::vector<mx::ElementPtr>& children = doc->getChildren();
    ASSERT_EQ(children.size(), size_t(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(children[i]->getName(), "nodegraph" + std::to_string(i + 1));
}

TEST(AutomaticNames, FollowRemovalsAndRenames)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::NodeGraphPtr graph = doc->addNodeGraph("g");
    for (int i = 0; i < 30; ++i)
        graph->addNode("add");
    EXPECT_EQ(graph->addNode("add")->getName(), "node31");
    graph->removeNode("node7");
    EXPECT_EQ(graph->addNode("add")->getName(), "node7");
    graph->getNode("node12")->setName("renamed");
    EXPECT_EQ(graph->createValidChildName("node1"), "node12");
    EXPECT_EQ(graph->createValidChildName("node20"), "node32");
    EXPECT_EQ(graph->createValidChildName("node05"), "node05");
    graph->addNode("add", "node40");
    EXPECT_EQ(graph->createValidChildName("node31"), "node32");
    graph->addNode("add", "node32");
    EXPECT_EQ(graph->createValidChildName("node1"), "node12");
    graph->addNode("add", "node12");
    EXPECT_EQ(graph->createValidChildName("node1"), "node33");
    EXPECT_EQ(graph->createValidChildName("node"), "node");
    graph->addNode("add", "x");
    EXPECT_EQ(graph->createValidChildName("x"), "x2");
    graph->addNode("add", "x2");
    EXPECT_EQ(graph->createValidChildName("x"), "x3");
}

class IncludeFanOut : public ::testing::Test
{
  protected:
    TempFolder dir;

    // Level i has two files; each includes both files of level i + 1.
    std::string writeFanOut(int levels)
    {
        for (int level = 0; level < levels; ++level)
        {
            for (int side = 0; side < 2; ++side)
            {
                std::string body;
                if (level + 1 < levels)
                    for (int next = 0; next < 2; ++next)
                        body += "  <xi:include href=\"f" + std::to_string(level + 1) + "_" + std::to_string(next) + ".mtlx\" />\n";
                body += "  <nodedef name=\"ND_" + std::to_string(level) + "_" + std::to_string(side) + "\" node=\"n\" />\n";
                dir.write("f" + std::to_string(level) + "_" + std::to_string(side) + ".mtlx", mtlx(body));
            }
        }
        return dir.write("main.mtlx", mtlx("  <xi:include href=\"f0_0.mtlx\" />\n  <xi:include href=\"f0_1.mtlx\" />\n"));
    }
};

TEST_F(IncludeFanOut, ReadsEachFileABoundedNumberOfTimes)
{
    // Without sharing, 2^40 reads.
    const int levels = 40;
    const std::string main = writeFanOut(levels);
    std::map<std::string, int> reads;
    mx::XmlReadOptions options;
    options.readXIncludeFunction = [&reads](mx::DocumentPtr doc, const mx::FilePath& file, const mx::FileSearchPath& searchPath,
                                            const mx::XmlReadOptions* readOptions) {
        ++reads[file.asString()];
        mx::readFromXmlFile(doc, file, searchPath, readOptions);
    };
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, main, mx::FileSearchPath(), &options);
    EXPECT_EQ(doc->getNodeDefs().size(), size_t(2 * levels));
    // Below the two top includes, a file is built once for each of them
    // (their elements carry that include's name as source).
    EXPECT_EQ(reads.size(), size_t(2 * levels));
    for (const auto& entry : reads)
        EXPECT_LE(entry.second, 2) << entry.first;
    EXPECT_EQ(doc->getNodeDef("ND_5_1")->getSourceUri(), "f0_0.mtlx");
    EXPECT_EQ(doc->getNodeDef("ND_0_1")->getSourceUri(), "f0_1.mtlx");
}

TEST_F(IncludeFanOut, FileIncludedTwiceGivesWhatItAlwaysGave)
{
    dir.write("lib.mtlx", mtlx("  <nodedef name=\"ND_a\" node=\"a\" />\n"));
    dir.write("mid.mtlx", mtlx("  <xi:include href=\"lib.mtlx\" />\n  <nodedef name=\"ND_b\" node=\"b\" />\n"));
    const std::string main =
        dir.write("main.mtlx", mtlx("  <xi:include href=\"lib.mtlx\" />\n  <xi:include href=\"mid.mtlx\" />\n"
                                    "  <xi:include href=\"lib.mtlx\" />\n  <nodedef name=\"ND_c\" node=\"c\" />\n"));
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, main);
    std::vector<std::string> names;
    for (const mx::ElementPtr& child : doc->getChildren())
        names.push_back(child->getName() + "@" + child->getSourceUri());
    EXPECT_EQ(names, (std::vector<std::string>{ "ND_a@lib.mtlx", "ND_b@mid.mtlx", "ND_c@" }));
}

TEST_F(IncludeFanOut, SharedFilesStillReportCyclesAndDepth)
{
    // b is first read from a without trouble, then again below c, which it includes.
    dir.write("a.mtlx", mtlx("  <xi:include href=\"b.mtlx\" />\n  <xi:include href=\"c.mtlx\" />\n"));
    dir.write("b.mtlx", mtlx("  <xi:include href=\"d.mtlx\" />\n"));
    dir.write("c.mtlx", mtlx("  <xi:include href=\"b.mtlx\" />\n"));
    dir.write("d.mtlx", mtlx("  <nodedef name=\"ND_d\" node=\"d\" />\n"));
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, dir.file("a.mtlx"));
    EXPECT_TRUE(doc->getNodeDef("ND_d"));

    dir.write("e.mtlx", mtlx("  <xi:include href=\"f.mtlx\" />\n  <xi:include href=\"g.mtlx\" />\n"));
    dir.write("f.mtlx", mtlx("  <nodedef name=\"ND_f\" node=\"f\" />\n"));
    dir.write("g.mtlx", mtlx("  <xi:include href=\"f.mtlx\" />\n  <xi:include href=\"e.mtlx\" />\n"));
    doc = mx::createDocument();
    try
    {
        mx::readFromXmlFile(doc, dir.file("e.mtlx"));
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_NE(std::string(e.what()).find("cycle"), std::string::npos) << e.what();
    }
}

class FolderAsDocument : public ::testing::Test
{
  protected:
    TempFolder dir;

    void expectReadError(const std::string& file, const std::string& folder)
    {
        mx::DocumentPtr doc = mx::createDocument();
        try
        {
            mx::readFromXmlFile(doc, file);
            FAIL() << "no exception";
        }
        catch (const mx::ExceptionFileMissing& e)
        {
            EXPECT_EQ(std::string(e.what()), "Failed to open file for reading: " + folder);
        }
    }
};

TEST_F(FolderAsDocument, IsAReadError)
{
    dir.write("sub/x.mtlx", mtlx(""));
    expectReadError(dir.file("sub"), dir.file("sub"));
}

TEST_F(FolderAsDocument, ThroughAnIncludeIsAReadError)
{
    dir.write("sub/x.mtlx", mtlx(""));
    const std::string main = dir.write("main.mtlx", mtlx("  <xi:include href=\"sub\" />\n"));
    expectReadError(main, dir.file("sub"));
}

} // anonymous namespace
