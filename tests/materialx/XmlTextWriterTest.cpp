// The text writer against the XML tree it replaced: documents written both
// ways must give the same bytes, whatever their names and values hold.
#include "mx_test_support.h"

#include <pugixml.hpp>

#include <filesystem>
#include <sstream>

namespace mx = MaterialX;

namespace
{

// The reference: the document as an XML tree, saved with two-space indents.
void elementToTree(const mx::Element& elem, pugi::xml_node node, pugi::xml_node root, const std::string& documentUri)
{
    if (!elem.getName().empty())
        node.append_attribute("name").set_value(elem.getName().c_str());
    for (const mx::AttributePair& attr : elem.getAttributePairs())
        node.append_attribute(attr.first.str().c_str()).set_value(attr.second.str().c_str());
    std::vector<std::string> includes;
    for (const mx::ElementPtr& child : elem.getChildren())
    {
        if (child->hasSourceUri() && child->getSourceUri() != documentUri)
        {
            if (std::find(includes.begin(), includes.end(), child->getSourceUri()) != includes.end())
                continue;
            includes.push_back(child->getSourceUri());
            if (!root.attribute("xmlns:xi"))
                root.append_attribute("xmlns:xi").set_value("http://www.w3.org/2001/XInclude");
            const mx::FilePath path(child->getSourceUri());
            node.append_child("xi:include")
                .append_attribute("href")
                .set_value(path.asString(path.isAbsolute() ? mx::FilePath::FormatNative : mx::FilePath::FormatPosix).c_str());
            continue;
        }
        if (child->getCategory() == mx::CommentElement::CATEGORY)
        {
            node.append_child(pugi::node_comment).set_value(child->getDocString().c_str());
            continue;
        }
        if (child->getCategory() == mx::NewlineElement::CATEGORY)
            continue;
        elementToTree(*child, node.append_child(child->getCategory().c_str()), root, documentUri);
    }
}

std::string treeText(const mx::DocumentPtr& doc)
{
    pugi::xml_document tree;
    pugi::xml_node root = tree.append_child(doc->getCategory().c_str());
    elementToTree(*doc, root, root, doc->getSourceUri());
    std::ostringstream out;
    tree.save(out, "  ");
    return out.str();
}

mx::DocumentPtr readFile(const std::filesystem::path& file)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::XmlReadOptions options;
    options.readComments = true;
    options.readNewlines = true;
    mx::readFromXmlFile(doc, mx::FilePath(file.string()), mx::FileSearchPath(file.parent_path().string()), &options);
    return doc;
}

TEST(XmlTextWriter, SharedDocumentsAreWrittenAsTheirTrees)
{
    int compared = 0;
    for (const char* folder : { "examples", "conformance/wild", "libraries/stdlib", "libraries/pbrlib", "libraries/bxdf" })
    {
        const std::filesystem::path dir = std::filesystem::path(ROZO_MATERIALX_DATA_DIR) / folder;
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        {
            if (entry.path().extension() != ".mtlx")
                continue;
            mx::DocumentPtr doc;
            try
            {
                doc = readFile(entry.path());
            }
            catch (const std::exception&)
            {
                continue; // the documents made to fail
            }
            EXPECT_EQ(mx::writeToXmlString(doc), treeText(doc)) << entry.path();
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}

TEST(XmlTextWriter, OddNamesValuesAndCommentsAreEscapedAsInTheTree)
{
    mx::DocumentPtr doc = mx::createDocument();
    std::string everyByte;
    for (int c = 1; c < 256; ++c)
        everyByte += static_cast<char>(c);
    mx::NodePtr node = doc->addNode("image", "img", "color3");
    node->setAttribute("every", everyByte);
    node->setAttribute("cut", std::string("before\0after", 12));
    node->setAttribute("empty", "");
    node->addChildOfCategory("comment")->setDocString("a--b- -c-");
    node->addChildOfCategory("comment")->setDocString("");
    node->addChildOfCategory("newline");
    node->addChildOfCategory(std::string("odd\0tail", 8), "x");
    doc->addChildOfCategory("included", "i")->setSourceUri("/elsewhere/lib.mtlx");
    doc->addChildOfCategory("included", "j")->setSourceUri("relative/lib.mtlx");
    doc->addChildOfCategory("included", "k")->setSourceUri("/elsewhere/lib.mtlx");
    EXPECT_EQ(mx::writeToXmlString(doc), treeText(doc));
    EXPECT_EQ(treeText(mx::createDocument()), mx::writeToXmlString(mx::createDocument()));
}

TEST(XmlTextWriter, StreamsAndFilesGetTheSameTextAsStrings)
{
    mx::DocumentPtr doc = mx::createDocument();
    // Deep and wide enough to be handed to the stream in several pieces.
    mx::ElementPtr parent = doc;
    for (int i = 0; i < 900; ++i)
        parent = parent->addChildOfCategory("nodegraph", "g" + std::to_string(i));
    for (int i = 0; i < 3000; ++i)
        doc->addNode("constant", "c" + std::to_string(i), "float")->setAttribute("value", std::to_string(i));
    std::ostringstream stream;
    mx::writeToXmlStream(doc, stream);
    const std::string text = mx::writeToXmlString(doc);
    EXPECT_EQ(stream.str(), text);
    EXPECT_EQ(text, treeText(doc));

    mxtest::TempFolder folder;
    const mx::FilePath file(folder.file("out.mtlx"));
    mx::writeToXmlFile(doc, file);
    std::ifstream in(file.asString(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

} // namespace
