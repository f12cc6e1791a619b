// Which MaterialX version an export writes: the documents of today stay byte
// for byte what they were, a node that only 1.39 can say makes the document
// 1.39, and a version the user chose is written as chosen.

#include "ExportTestSupport.h"

#include "export/LegacyDocumentForm.h"
#include "import/StandardLibraries.h"

#include <pugixml.hpp>

#include <QDir>

#include <algorithm>
#include <set>

using namespace exporttest;

namespace
{
const mx::FilePathVec& definitionFolders()
{
    static const mx::FilePathVec folders = { mx::FilePath("libraries/stdlib"), mx::FilePath("libraries/pbrlib"),
                                             mx::FilePath("libraries/bxdf"), mx::FilePath("libraries/cmlib") };
    return folders;
}

// The data libraries of a MaterialX release, by the folder that holds "libraries".
mx::DocumentPtr definitions(const std::string& root)
{
    mx::FileSearchPath searchPath;
    searchPath.append(mx::FilePath(root));
    return rozo::loadLibraryFolders(definitionFolders(), searchPath);
}

std::set<std::string> inputNames(const mx::NodeDefPtr& nodeDef)
{
    std::set<std::string> names;
    for (const mx::InputPtr& input : nodeDef->getInputs())
        names.insert(input->getName());
    return names;
}

// The problems a 1.38 reader's definitions find in a written document: a node
// of a category it does not know, or an input no definition of the category
// declares with that type. Read as plain XML, since reading it with the
// library would upgrade it first.
std::vector<std::string> legacyInterfaceProblems(const std::string& text, const mx::DocumentPtr& legacyDefinitions)
{
    std::vector<std::string> problems;
    pugi::xml_document xml;
    if (!xml.load_string(text.c_str()))
        return { "not XML" };
    for (pugi::xml_node node : xml.child("materialx").children())
    {
        const std::string category = node.name();
        std::vector<mx::NodeDefPtr> candidates;
        for (const mx::NodeDefPtr& def : legacyDefinitions->getMatchingNodeDefs(category))
            if (def->getType() == node.attribute("type").value())
                candidates.push_back(def);
        if (candidates.empty())
        {
            problems.push_back("no 1.38 definition of " + category + " " + node.attribute("type").value());
            continue;
        }
        for (pugi::xml_node input : node.children("input"))
        {
            const bool declared = std::any_of(candidates.begin(), candidates.end(), [&](const mx::NodeDefPtr& def) {
                mx::InputPtr in = def->getInput(input.attribute("name").value());
                return in && in->getType() == input.attribute("type").value();
            });
            if (!declared)
                problems.push_back(category + " has no input " + input.attribute("name").value());
        }
    }
    return problems;
}

// Nodes whose only definitions differ between 1.38 and 1.39, as a 1.39 tool writes them.
const char* const ATAN2_DOCUMENT = R"(<?xml version="1.0"?>
<materialx version="1.39">
  <atan2 name="angle" type="float">
    <input name="iny" type="float" value="0.25" />
    <input name="inx" type="float" value="0.75" />
  </atan2>
  <standard_surface name="Angle_surface" type="surfaceshader">
    <input name="base" type="float" nodename="angle" />
  </standard_surface>
  <surfacematerial name="Angle" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Angle_surface" />
  </surfacematerial>
</materialx>
)";

const char* const FRACT_DOCUMENT = R"(<?xml version="1.0"?>
<materialx version="1.39">
  <fract name="stripes" type="float">
    <input name="in" type="float" value="2.5" />
  </fract>
  <standard_surface name="Stripes_surface" type="surfaceshader">
    <input name="base" type="float" nodename="stripes" />
  </standard_surface>
  <surfacematerial name="Stripes" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Stripes_surface" />
  </surfacematerial>
</materialx>
)";

class DocumentVersion : public ExportTest
{
  protected:
    static void SetUpTestSuite()
    {
        ExportTest::SetUpTestSuite();
        legacyDefinitions = definitions(ROZO_MATERIALX_DATA_DIR);
    }
    void SetUp() override
    {
        ExportTest::SetUp();
        util->settings().exportVersion = rozo::DocumentVersionChoice::Oldest;
    }
    void TearDown() override
    {
        util->settings().exportVersion = rozo::DocumentVersionChoice::Oldest;
        ExportTest::TearDown();
    }

    bool roundTrip(const char* document, rozo::DocumentVersionChoice version)
    {
        writeFile(path("in.mtlx"), document);
        std::vector<Mtl*> imported;
        EXPECT_TRUE(util->importMaterials(path("in.mtlx").toStdString(), imported)) << log();
        Tab<Mtl*> table;
        for (Mtl* m : imported)
            table.Append(m);
        return util->exportFile(WStr::FromQString(path("scene.mtlx")), table, version);
    }

    static mx::DocumentPtr legacyDefinitions;
};
mx::DocumentPtr DocumentVersion::legacyDefinitions;

bool writtenAs(const std::string& text, const char* version)
{
    return text.find(std::string("<materialx version=\"") + version + "\"") != std::string::npos;
}

class ExampleFixture : public ExportTest, public ::testing::WithParamInterface<std::string>
{
};

std::vector<std::string> fixtureDocuments()
{
    std::vector<std::string> names;
    for (const QString& name : QDir(ROZO_EXPORT_FIXTURES_DIR).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}
} // namespace

// The table of what 1.39 added is the difference of the two releases' data libraries.
TEST(LegacyDocumentForm, KnowsEveryDefinitionAndInputNewIn1_39)
{
    const mx::DocumentPtr legacy = definitions(ROZO_MATERIALX_DATA_DIR);
    const mx::DocumentPtr current = definitions(ROZO_MATERIALX_DATA_DIR "/v1.39");
    ASSERT_FALSE(legacy->getNodeDefs().empty());
    ASSERT_FALSE(current->getNodeDefs().empty());
    for (const mx::NodeDefPtr& def : current->getNodeDefs())
    {
        // normalmap kept its meaning under a new definition name.
        const std::string legacyName = def->getName() == "ND_normalmap_float" ? "ND_normalmap" : def->getName();
        const mx::NodeDefPtr before = legacy->getNodeDef(legacyName);
        EXPECT_EQ(rozo::isNewIn1_39(def->getName()), before == nullptr) << def->getName();
        if (!before)
            continue;
        std::set<std::string> added;
        const std::set<std::string> old = inputNames(before);
        for (const std::string& name : inputNames(def))
            if (!old.count(name) && def->getNodeString() != "atan2")
                added.insert(name);
        const std::vector<std::string>& listed = rozo::inputsNewIn1_39(def->getName());
        EXPECT_EQ(added, std::set<std::string>(listed.begin(), listed.end())) << def->getName();
    }
}

TEST_P(ExampleFixture, ExportIsByteForByteWhatItWas)
{
    const std::string source = std::string(ROZO_EXAMPLES_DIR) + "/" + GetParam();
    std::vector<Mtl*> materials;
    util->importMaterials(source, materials);
    Tab<Mtl*> table;
    for (Mtl* m : materials)
        table.Append(m);
    util->exportFile(WStr::FromQString(path("scene.mtlx")), table);
    EXPECT_EQ(written(), readFile(QString(ROZO_EXPORT_FIXTURES_DIR) + "/" + QString::fromStdString(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleFixture, ::testing::ValuesIn(fixtureDocuments()), exampleTestName);

TEST_F(DocumentVersion, OldestWritesTheLegacyFormWhereItIsExact)
{
    EXPECT_TRUE(roundTrip(ATAN2_DOCUMENT, rozo::DocumentVersionChoice::Oldest)) << log();
    const std::string text = written();
    EXPECT_TRUE(writtenAs(text, "1.38")) << text;
    EXPECT_NE(text.find("<input name=\"in1\" type=\"float\" value=\"0.25\" />"), std::string::npos) << text;
    EXPECT_NE(text.find("<input name=\"in2\" type=\"float\" value=\"0.75\" />"), std::string::npos) << text;
    EXPECT_EQ(legacyInterfaceProblems(text, legacyDefinitions), std::vector<std::string>());
}

TEST_F(DocumentVersion, OldestWrites1_39ForANodeOnly1_39Has)
{
    EXPECT_TRUE(roundTrip(FRACT_DOCUMENT, rozo::DocumentVersionChoice::Oldest)) << log();
    const std::string text = written();
    EXPECT_TRUE(writtenAs(text, "1.39")) << text;
    EXPECT_NE(text.find("<fract name="), std::string::npos) << text;
}

TEST_F(DocumentVersion, Chosen1_39KeepsTheCurrentForm)
{
    EXPECT_TRUE(roundTrip(ATAN2_DOCUMENT, rozo::DocumentVersionChoice::V1_39)) << log();
    const std::string text = written();
    EXPECT_TRUE(writtenAs(text, "1.39")) << text;
    EXPECT_NE(text.find("<input name=\"iny\""), std::string::npos) << text;
    // The in-memory document was left as it was: it validated as 1.39.
    EXPECT_EQ(log(), "");
}

TEST_F(DocumentVersion, Chosen1_38NamesEachNodeItCannotSay)
{
    EXPECT_FALSE(roundTrip(FRACT_DOCUMENT, rozo::DocumentVersionChoice::V1_38));
    EXPECT_EQ(log(), "No MaterialX 1.38 form for node stripes (fract)\n");
    const std::string text = written();
    EXPECT_TRUE(writtenAs(text, "1.38")) << text;
    EXPECT_NE(text.find("<fract name=\"stripes\""), std::string::npos) << "the document is still written";
}

TEST_F(DocumentVersion, TheOptionIsTheDefaultOfEveryExport)
{
    util->settings().exportVersion = rozo::DocumentVersionChoice::V1_39;
    Mtl* material = physicalMaterial(L"Plain");
    EXPECT_TRUE(exportMaterials({ material })) << log();
    EXPECT_TRUE(writtenAs(written(), "1.39"));
    util->settings().exportVersion = rozo::DocumentVersionChoice::Oldest;
    EXPECT_TRUE(exportMaterials({ material })) << log();
    EXPECT_TRUE(writtenAs(written(), "1.38"));
}

TEST(DocumentVersionChoice, ParsesWhatTheUserCanSay)
{
    EXPECT_EQ(rozo::parseDocumentVersionChoice(""), rozo::DocumentVersionChoice::Oldest);
    EXPECT_EQ(rozo::parseDocumentVersionChoice("auto"), rozo::DocumentVersionChoice::Oldest);
    EXPECT_EQ(rozo::parseDocumentVersionChoice("1.38"), rozo::DocumentVersionChoice::V1_38);
    EXPECT_EQ(rozo::parseDocumentVersionChoice("1.39"), rozo::DocumentVersionChoice::V1_39);
    EXPECT_FALSE(rozo::parseDocumentVersionChoice("1.40"));
    EXPECT_FALSE(rozo::parseDocumentVersionChoice("1.38 "));
}
