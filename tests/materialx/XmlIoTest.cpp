#include "mx_test_support.h"

namespace mx = MaterialX;
using mxtest::mtlx;
using mxtest::readDoc;
using mxtest::TempFolder;

namespace
{

mx::XmlWriteOptions withXIncludes(bool enable)
{
    mx::XmlWriteOptions options;
    options.writeXIncludeEnable = enable;
    return options;
}

TEST(XmlWriting, LayoutNameFirstThenAttributesInSetOrder)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::NodePtr m = doc->addNode("surfacematerial", "M", "material");
    mx::NodePtr s = doc->addNode("standard_surface", "S", "surfaceshader");
    m->addInput("surfaceshader", "surfaceshader")->setConnectedNode(s);
    mx::InputPtr file = doc->addNode("image", "img", "color3")->addInput("file", "filename");
    file->setAttribute("colorspace", "srgb_texture");
    file->setAttribute("value", "a&b<c>\"d\".png");

    EXPECT_EQ(mx::writeToXmlString(doc),
              "<?xml version=\"1.0\"?>\n"
              "<materialx version=\"1.39\">\n"
              "  <surfacematerial name=\"M\" type=\"material\">\n"
              "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n"
              "  </surfacematerial>\n"
              "  <standard_surface name=\"S\" type=\"surfaceshader\" />\n"
              "  <image name=\"img\" type=\"color3\">\n"
              "    <input name=\"file\" type=\"filename\" colorspace=\"srgb_texture\" value=\"a&amp;b&lt;c>&quot;d&quot;.png\" />\n"
              "  </image>\n"
              "</materialx>\n");
}

TEST(XmlWriting, ElementPredicateSkipsElementsAndTheirChildren)
{
    mx::DocumentPtr doc = readDoc(mtlx("  <add name=\"keep\" type=\"float\" />\n  <add name=\"drop\" type=\"float\" />\n"));
    mx::XmlWriteOptions options;
    options.elementPredicate = [](mx::ConstElementPtr elem) { return elem->getName() != "drop"; };
    std::string xml = mx::writeToXmlString(doc, &options);
    EXPECT_NE(xml.find("keep"), std::string::npos);
    EXPECT_EQ(xml.find("drop"), std::string::npos);
}

TEST(XmlReading, RoundTripKeepsUnknownCategoriesAttributesAndOddBytes)
{
    // Latin-1 bytes that are not UTF-8, and an emoji.
    const std::string odd = "caf\xe9 \xff\xfe & \xf0\x9f\x8e\xa8";
    const std::string xml = mtlx("  <mystery name=\"m\" type=\"color3\" zeta=\"1\" alpha=\"" + mx::replaceSubstrings(odd, { { "&", "&amp;" } }) + "\">\n"
                                                                                                                                                  "    <input name=\"in\" type=\"color3\" value=\"1, 0, 0\" custom=\"keep me\" />\n"
                                                                                                                                                  "    <gizmo name=\"g\" knob=\"7\" />\n"
                                                                                                                                                  "  </mystery>\n"
                                                                                                                                                  "  <customthing name=\"c\" whatever=\"x\" />\n",
                                 "version=\"1.39\" cms=\"ocio\"");
    mx::DocumentPtr doc = readDoc(xml);
    EXPECT_EQ(doc->getNode("m")->getAttribute("alpha"), odd);

    std::string written = mx::writeToXmlString(doc);
    mx::DocumentPtr again = readDoc(written);
    EXPECT_EQ(mx::writeToXmlString(again), written);
    EXPECT_EQ(again->getNode("m")->getAttribute("alpha"), odd);
    EXPECT_EQ(again->getDescendant("m/g")->getAttribute("knob"), "7");
    EXPECT_EQ(again->getDescendant("m/in")->getAttribute("custom"), "keep me");
    EXPECT_EQ(again->getAttribute("cms"), "ocio");
    EXPECT_NE(written.find("zeta=\"1\" alpha="), std::string::npos);
}

TEST(XmlReading, LongNamesAndValuesSurvive)
{
    const std::string longName(20000, 'n');
    const std::string longValue(1 << 20, 'v');
    mx::DocumentPtr doc = mx::createDocument();
    doc->addNode("constant", longName, "string")->addInput("value", "string")->setValueString(longValue);
    mx::DocumentPtr again = readDoc(mx::writeToXmlString(doc));
    ASSERT_NE(again->getNode(longName), nullptr);
    EXPECT_EQ(again->getNode(longName)->getInput("value")->getValueString(), longValue);
}

TEST(XmlReading, OfDuplicateNamesTheFirstWins)
{
    mx::DocumentPtr doc = readDoc(mtlx("  <add name=\"a\" type=\"float\" />\n  <multiply name=\"a\" type=\"color3\" />\n"));
    ASSERT_EQ(doc->getChildren().size(), 1u);
    EXPECT_EQ(doc->getNode("a")->getCategory(), "add");
}

TEST(XmlReading, MalformedTextThrowsAParseError)
{
    mx::DocumentPtr doc = mx::createDocument();
    try
    {
        mx::readFromXmlString(doc, "<materialx version=\"1.39\">\n  <a name=\"x\">\n</materialx>\n");
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_STREQ(e.what(), "XML parse error (Start-end tags mismatch at character 44)");
    }
}

TEST(XmlReading, VeryDeepNestingIsRefusedWithoutCrashing)
{
    std::string xml = "<materialx version=\"1.39\">";
    const int depth = 100000;
    for (int i = 0; i < depth; ++i)
        xml += "<nodegraph name=\"g\">";
    for (int i = 0; i < depth; ++i)
        xml += "</nodegraph>";
    xml += "</materialx>";
    mx::DocumentPtr doc = mx::createDocument();
    EXPECT_THROW(mx::readFromXmlString(doc, xml), mx::ExceptionParseError);
}

TEST(XmlReading, NestingAndTheRootElementFollowTheReferenceLimits)
{
    auto nested = [](int levels) {
        std::string xml = "<materialx version=\"1.39\">";
        for (int i = 0; i < levels; ++i)
            xml += "<nodegraph name=\"g\">";
        for (int i = 0; i < levels; ++i)
            xml += "</nodegraph>";
        return xml + "</materialx>";
    };
    mx::DocumentPtr doc = mx::createDocument();
    EXPECT_NO_THROW(mx::readFromXmlString(doc, nested(mx::MAX_XML_TREE_DEPTH - 1)));
    try
    {
        mx::readFromXmlString(mx::createDocument(), nested(mx::MAX_XML_TREE_DEPTH));
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_STREQ(e.what(), "Maximum tree depth exceeded.");
    }
    // Well-formed XML of another kind is no document.
    try
    {
        mx::readFromXmlString(mx::createDocument(), "<svg version=\"1.1\" />");
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_STREQ(e.what(), "No root MaterialX element found.");
    }
}

class XmlFiles : public ::testing::Test
{
  protected:
    TempFolder dir;
};

TEST_F(XmlFiles, MissingFileNamesTheFile)
{
    mx::DocumentPtr doc = mx::createDocument();
    const std::string path = dir.file("nowhere.mtlx");
    try
    {
        mx::readFromXmlFile(doc, path);
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionFileMissing& e)
    {
        EXPECT_EQ(std::string(e.what()), "Failed to open file for reading: " + path);
    }
}

TEST_F(XmlFiles, ParseErrorNamesTheFileAndOffset)
{
    const std::string path = dir.write("bad.mtlx", "<materialx>\n  <add name=\"a\">\n</materialx>\n");
    mx::DocumentPtr doc = mx::createDocument();
    try
    {
        mx::readFromXmlFile(doc, path);
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_EQ(std::string(e.what()), "XML parse error in " + path + " (Start-end tags mismatch at character 31)");
    }
}

TEST_F(XmlFiles, WrittenFileReadsBackAndCarriesItsPathAsSource)
{
    mx::DocumentPtr doc = readDoc(mtlx("  <add name=\"a\" type=\"float\" />\n"));
    const std::string path = dir.file("out.mtlx");
    mx::writeToXmlFile(doc, path);
    mx::DocumentPtr again = mx::createDocument();
    mx::readFromXmlFile(again, path);
    EXPECT_EQ(again->getSourceUri(), path);
    EXPECT_NE(again->getNode("a"), nullptr);
    EXPECT_EQ(dir.read("out.mtlx"), mx::writeToXmlString(doc));
}

TEST_F(XmlFiles, FilesAreFoundThroughTheSearchPath)
{
    dir.write("sub/found.mtlx", mtlx("  <add name=\"a\" type=\"float\" />\n"));
    mx::FileSearchPath searchPath;
    searchPath.append(mx::FilePath(dir.file("elsewhere")));
    searchPath.append(mx::FilePath(dir.file("sub")));
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, mx::FilePath("found.mtlx"), searchPath);
    EXPECT_EQ(doc->getSourceUri(), dir.file("sub/found.mtlx"));
}

// Documents that include others.
class XIncludes : public XmlFiles
{
  protected:
    void SetUp() override
    {
        dir.write("lib/defs.mtlx", mtlx("  <nodedef name=\"ND_x\" node=\"x\">\n    <output name=\"out\" type=\"float\" />\n  </nodedef>\n"
                                        "  <xi:include href=\"more.mtlx\" />\n",
                                        "version=\"1.39\" xmlns:xi=\"http://www.w3.org/2001/XInclude\""));
        dir.write("lib/more.mtlx", mtlx("  <typedef name=\"color3\" />\n"));
        mainPath = dir.write("main.mtlx", mtlx("  <xi:include href=\"lib/defs.mtlx\" />\n  <x name=\"x1\" type=\"float\" />\n",
                                               "version=\"1.39\" xmlns:xi=\"http://www.w3.org/2001/XInclude\""));
    }
    mx::DocumentPtr readMain(const mx::XmlReadOptions* options = nullptr)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlFile(doc, mainPath, mx::FileSearchPath(), options);
        return doc;
    }
    std::string mainPath;
};

TEST_F(XIncludes, IncludedElementsComeFirstAndCarryTheIncludedFile)
{
    mx::DocumentPtr doc = readMain();
    ASSERT_EQ(doc->getChildren().size(), 3u);
    // The included file's own include comes before its elements.
    EXPECT_EQ(doc->getChildren()[0]->getName(), "color3");
    EXPECT_EQ(doc->getChildren()[1]->getName(), "ND_x");
    EXPECT_EQ(doc->getChildren()[2]->getName(), "x1");
    // A nested include is written back through the file that included it.
    EXPECT_EQ(doc->getNodeDef("ND_x")->getSourceUri(), "lib/defs.mtlx");
    EXPECT_EQ(doc->getTypeDef("color3")->getSourceUri(), "lib/defs.mtlx");
    EXPECT_FALSE(doc->getNode("x1")->hasSourceUri());
    EXPECT_EQ(doc->getSourceUri(), mainPath);
}

TEST_F(XIncludes, WritingReplacesIncludedElementsByOneLinePerFile)
{
    mx::DocumentPtr doc = readMain();
    mx::XmlWriteOptions options = withXIncludes(true);
    EXPECT_EQ(mx::writeToXmlString(doc, &options),
              "<?xml version=\"1.0\"?>\n"
              "<materialx version=\"1.39\" xmlns:xi=\"http://www.w3.org/2001/XInclude\">\n"
              "  <xi:include href=\"lib/defs.mtlx\" />\n"
              "  <x name=\"x1\" type=\"float\" />\n"
              "</materialx>\n");

    options = withXIncludes(false);
    std::string inlined = mx::writeToXmlString(doc, &options);
    EXPECT_EQ(inlined.find("xi:include"), std::string::npos);
    EXPECT_NE(inlined.find("<nodedef name=\"ND_x\" node=\"x\">"), std::string::npos);
}

TEST_F(XIncludes, NamespaceIsAddedOnlyOnceWhenSomethingIsIncluded)
{
    mx::DocumentPtr doc = mx::createDocument();
    doc->addNode("add", "a", "float");
    mx::XmlWriteOptions options = withXIncludes(true);
    EXPECT_EQ(mx::writeToXmlString(doc, &options).find("xmlns:xi"), std::string::npos);

    mx::DocumentPtr lib = readDoc(mtlx("  <typedef name=\"float\" />\n  <typedef name=\"integer\" />\n"));
    lib->setSourceUri("/abs/lib.mtlx");
    doc->importLibrary(lib);
    std::string xml = mx::writeToXmlString(doc, &options);
    EXPECT_NE(xml.find("<materialx version=\"1.39\" xmlns:xi=\"http://www.w3.org/2001/XInclude\">"), std::string::npos);
    EXPECT_EQ(xml.find("xmlns:xi"), xml.rfind("xmlns:xi"));
    EXPECT_EQ(xml.find("<xi:include href=\"/abs/lib.mtlx\" />"), xml.rfind("<xi:include"));
}

TEST_F(XIncludes, WithoutAReadFunctionIncludesAreDropped)
{
    mx::XmlReadOptions options;
    options.readXIncludeFunction = nullptr;
    mx::DocumentPtr doc = readMain(&options);
    ASSERT_EQ(doc->getChildren().size(), 1u);
    EXPECT_EQ(doc->getChildren()[0]->getName(), "x1");
}

TEST_F(XIncludes, CyclesAreReportedInTheReferenceWords)
{
    dir.write("a.mtlx", mtlx("  <xi:include href=\"b.mtlx\" />\n"));
    dir.write("b.mtlx", mtlx("  <xi:include href=\"a.mtlx\" />\n"));
    dir.write("self.mtlx", mtlx("  <xi:include href=\"self.mtlx\" />\n"));
    // A cycle through a path that is not the file's plain name.
    dir.write("sub/c.mtlx", mtlx("  <xi:include href=\"../sub/./c.mtlx\" />\n"));
    for (const char* start : { "a.mtlx", "self.mtlx", "sub/c.mtlx" })
    {
        mx::DocumentPtr doc = mx::createDocument();
        try
        {
            mx::readFromXmlFile(doc, dir.file(start));
            FAIL() << "no exception for " << start;
        }
        catch (const mx::ExceptionParseError& e)
        {
            EXPECT_STREQ(e.what(), "XInclude cycle detected.");
        }
    }
}

TEST_F(XIncludes, EndlessChainsOfIncludesAreCutOff)
{
    // Every included "file" includes a new one.
    mx::XmlReadOptions options;
    options.readXIncludeFunction = [](mx::DocumentPtr doc, const mx::FilePath& file, const mx::FileSearchPath& searchPath,
                                      const mx::XmlReadOptions* readOptions) {
        mx::readFromXmlString(doc, mtlx("  <xi:include href=\"" + file.asString() + "x\" />\n"), searchPath, readOptions);
    };
    mx::DocumentPtr doc = mx::createDocument();
    try
    {
        mx::readFromXmlString(doc, mtlx("  <xi:include href=\"x\" />\n"), mx::FileSearchPath(), &options);
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionParseError& e)
    {
        EXPECT_STREQ(e.what(), "Maximum XInclude depth exceeded.");
    }
    // The bound is per chain: reading goes on normally afterwards.
    EXPECT_NO_THROW(readMain());
}

TEST_F(XIncludes, MissingIncludedFileIsReported)
{
    const std::string path = dir.write("broken.mtlx", mtlx("  <xi:include href=\"absent.mtlx\" />\n"));
    mx::DocumentPtr doc = mx::createDocument();
    try
    {
        mx::readFromXmlFile(doc, path);
        FAIL() << "no exception";
    }
    catch (const mx::ExceptionFileMissing& e)
    {
        EXPECT_NE(std::string(e.what()).find("absent.mtlx"), std::string::npos) << e.what();
    }
}

} // anonymous namespace
