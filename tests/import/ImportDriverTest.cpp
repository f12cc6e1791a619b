// Whole imports of small documents: materials, fixed amounts, displacement,
// messages, the undo record and the document folder.

#include "ImportTestSupport.h"

#include "import/ImportRun.h"

#include "plugin/PathParts.h"

#include <map>

namespace rozo::test
{
namespace
{
std::string surface(const std::string& name, const std::string& inputs)
{
    return "  <standard_surface name=\"" + name + "\" type=\"surfaceshader\">\n" + inputs + "  </standard_surface>\n";
}

std::string material(const std::string& name, const std::string& shader, const std::string& extra = "")
{
    return "  <surfacematerial name=\"" + name + "\" type=\"material\">\n"
                                                 "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"" +
           shader + "\" />\n" + extra +
           "  </surfacematerial>\n";
}

std::string input(const std::string& name, const std::string& type, const std::string& value)
{
    return "    <input name=\"" + name + "\" type=\"" + type + "\" value=\"" + value + "\" />\n";
}

class ImportDriver : public ::testing::Test
{
  protected:
    bool import(const std::string& body)
    {
        const std::string path = writeFile(dir.path(), "doc.mtlx", mtlx(body));
        materials.clear();
        return util.importMaterials(path, materials);
    }
    IParamBlock2* params(size_t i = 0) { return i < materials.size() ? block(materials[i]) : nullptr; }

    StagedUtil util;
    QTemporaryDir dir;
    std::vector<Mtl*> materials;
};

TEST_F(ImportDriver, OneNamedPhysicalMaterialPerMaterialNodeInDocumentOrder)
{
    EXPECT_TRUE(import(surface("S2", input("base", "float", "0.25")) + material("Zeta", "S2") +
                       surface("S1", "") + material("Alpha", "S1")));
    EXPECT_EQ(util.lastLog().text(), "");
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(nameOf(materials[0]), "Zeta");
    EXPECT_EQ(nameOf(materials[1]), "Alpha");
    EXPECT_EQ(classOf(materials[0]), PHYSICAL_MATERIAL_CLASS_ID);
    EXPECT_FLOAT_EQ(floatOf(params(0), "base_weight"), 0.25f);
    // Both viewport flags, and nothing else.
    EXPECT_EQ(materials[0]->GetMtlFlags(), MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED);
    EXPECT_EQ(materials[1]->GetMtlFlags(), MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED);
}

TEST_F(ImportDriver, ValuesReachTheMappedParametersUnchanged)
{
    EXPECT_TRUE(import(surface("S", input("specular_roughness", "float", "0.2") +
                                        input("opacity", "color3", "0.5, 0.5, 0.5") +
                                        input("normal", "vector3", "0, 1, 0") +
                                        input("thin_walled", "boolean", "true") +
                                        input("diffuse_roughness", "float", "0.7") +
                                        input("base_color", "color3", "0.8, 0.1, 0.2")) +
                       material("M", "S")));
    IParamBlock2* p = params();
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(floatOf(p, "roughness"), 0.2f);
    EXPECT_EQ(colorOf(p, "cutout"), AColor(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(point3Of(p, "bump"), Point3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(intOf(p, "thin_walled"), 1);
    EXPECT_EQ(colorOf(p, "base_color"), AColor(0.8f, 0.1f, 0.2f, 1.0f));
    // No such host parameter: a debug line, nothing in the log.
    EXPECT_EQ(util.lastLog().text(), "");
}

TEST_F(ImportDriver, FixedAmountsAreWrittenAndShaderInputsOverwriteThem)
{
    EXPECT_TRUE(import(surface("S", input("coat_affect_color", "float", "0.5")) + material("M", "S")));
    IParamBlock2* p = params();
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 1.0f);
    EXPECT_FLOAT_EQ(floatOf(p, "coating_bump_map_amt"), 1.0f);
    EXPECT_FLOAT_EQ(floatOf(p, "coat_affect_color"), 0.5f);
    EXPECT_FLOAT_EQ(floatOf(p, "coat_affect_roughness"), 0.0f);
}

TEST_F(ImportDriver, DisplacementScaleGoesToTheDisplacementAmount)
{
    EXPECT_TRUE(import(surface("S", "") +
                       "  <displacement name=\"D\" type=\"displacementshader\">\n" + input("scale", "float", "0.35") +
                       "  </displacement>\n" +
                       material("M", "S", "    <input name=\"displacementshader\" type=\"displacementshader\" nodename=\"D\" />\n")));
    EXPECT_FLOAT_EQ(floatOf(params(), "displacement_map_amt"), 0.35f);
    EXPECT_EQ(mapOf(params(), "displacement_map"), nullptr);
}

TEST_F(ImportDriver, MaterialWithoutDisplacementKeepsTheDefaults)
{
    EXPECT_TRUE(import(surface("S", "") + material("M", "S")));
    EXPECT_FLOAT_EQ(floatOf(params(), "displacement_map_amt"), 1.0f);
}

TEST_F(ImportDriver, OtherShaderCategoriesAreReportedAndSkipped)
{
    EXPECT_FALSE(import("  <toon_shader name=\"U\" type=\"surfaceshader\" />\n" + material("Usd", "U") +
                        surface("S", "") + material("Std", "S")));
    EXPECT_EQ(util.lastLog().text(), ":   ERROR - don't understand shader toon_shader\n");
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_EQ(nameOf(materials[0]), "Std");
}

TEST_F(ImportDriver, MaterialsWithoutASurfaceShaderAreReportedAndSkipped)
{
    import("  <surfacematerial name=\"Bare\" type=\"material\" />\n" + material("Dangling", "nowhere") +
           surface("S", "") + material("Fine", "S"));
    const std::string log = util.lastLog().text();
    EXPECT_NE(log.find(":   ERROR - no surface shader for material Bare\n"), std::string::npos) << log;
    EXPECT_NE(log.find(":   ERROR - no surface shader for material Dangling\n"), std::string::npos) << log;
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_EQ(nameOf(materials[0]), "Fine");
}

TEST_F(ImportDriver, ImportingTwiceMakesASecondSetWithTheSameNames)
{
    import(surface("S", "") + material("M", "S"));
    Mtl* first = materials.at(0);
    import(surface("S", "") + material("M", "S"));
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_NE(materials[0], first);
    EXPECT_EQ(nameOf(materials[0]), "M");
}

TEST_F(ImportDriver, OneUndoStepNamedAfterTheImportTakesItAllBack)
{
    const int before = theHold.UndoCount();
    import(surface("S", input("base", "float", "0.25")) + material("A", "S") + material("B", "S"));
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_EQ(theHold.UndoCount(), before + 1);
    EXPECT_EQ(theHold.UndoName(), WStr(L"ImportMtlX"));
    EXPECT_EQ(theHold.Depth(), 0);
    EXPECT_TRUE(theHold.Undo());
    EXPECT_EQ(theHold.UndoCount(), before);
    // Every value the import wrote, in both materials, goes back in the one step.
    for (size_t i = 0; i < materials.size(); ++i)
    {
        EXPECT_FLOAT_EQ(floatOf(params(i), "base_weight"), 1.0f);
        EXPECT_FLOAT_EQ(floatOf(params(i), "bump_map_amt"), 0.3f);
        EXPECT_FLOAT_EQ(floatOf(params(i), "coat_affect_color"), 0.5f);
    }
    EXPECT_TRUE(theHold.Redo());
    EXPECT_FLOAT_EQ(floatOf(params(1), "base_weight"), 0.25f);
}

TEST_F(ImportDriver, UnreadableDocumentsCloseTheUndoRecordAndCreateNothing)
{
    const std::string path = writeFile(dir.path(), "broken.mtlx", "<materialx version=\"1.38\"><nodegraph name=\"x\">");
    EXPECT_FALSE(util.importMaterials(path, materials));
    EXPECT_TRUE(materials.empty());
    EXPECT_EQ(theHold.Depth(), 0);
    const std::string log = util.lastLog().text();
    EXPECT_EQ(log.rfind("Unable to read document: ", 0), 0u) << log;
    EXPECT_EQ(log.back(), '\n');

    EXPECT_FALSE(util.importMaterials(QDir(dir.path()).filePath("absent.mtlx").toStdString(), materials));
    EXPECT_EQ(util.lastLog().text().rfind("Unable to read document: ", 0), 0u);
}

TEST_F(ImportDriver, EachRunStartsWithAnEmptyLog)
{
    import("  <toon_shader name=\"U\" type=\"surfaceshader\" />\n" + material("Usd", "U"));
    EXPECT_NE(util.lastLog().text(), "");
    EXPECT_TRUE(import(surface("S", "") + material("M", "S")));
    EXPECT_EQ(util.lastLog().text(), "");
}

TEST_F(ImportDriver, ScriptImportOfMissingFilesKeepsThePreviousLog)
{
    import("  <toon_shader name=\"U\" type=\"surfaceshader\" />\n" + material("Usd", "U"));
    const std::string previous = util.lastLog().text();
    EXPECT_EQ(util.importFile(WStr(L"/no/such/a.mtlx")).Count(), 0);
    EXPECT_EQ(util.importFile(WStr(L"/no/such/b.mtlx")).Count(), 0);
    EXPECT_EQ(util.lastLog().text(),
              previous + "File does not exist: '/no/such/a.mtlx'\nFile does not exist: '/no/such/b.mtlx'\n");
}

TEST_F(ImportDriver, ScriptImportReturnsTheMaterialsInOrder)
{
    const std::string path = writeFile(dir.path(), "doc.mtlx", mtlx(surface("S", "") + material("One", "S") + material("Two", "S")));
    Tab<Mtl*> result = util.importFile(WStr::FromUTF8(path));
    ASSERT_EQ(result.Count(), 2);
    EXPECT_EQ(nameOf(result[0]), "One");
    EXPECT_EQ(nameOf(result[1]), "Two");
    EXPECT_EQ(util.getErrorText(), WStr());
}

TEST_F(ImportDriver, NonAsciiNamesComeBackThroughTheErrorText)
{
    import("  <toon_shader name=\"U\" type=\"surfaceshader\" />\n" + material("Usd", "U"));
    MessageLog log = util.lastLog();
    log.report("caf\xc3\xa9\n");
    util.keepLog(log);
    EXPECT_EQ(util.getErrorText(), WStr(L":   ERROR - don't understand shader toon_shader\ncaf\u00e9\n"));
}

// What the user reads stays as it was; each entry also names its element.
TEST_F(ImportDriver, EachMessageKeepsTheElementItIsAbout)
{
    const std::string path = writeFile(dir.path(), "doc.mtlx",
                                       mtlx("  <toon_shader name=\"U\" type=\"surfaceshader\" />\n" + material("Usd", "U") +
                                            surface("S", "    <input name=\"base_color\" type=\"color3\" nodename=\"absent\" />\n") +
                                            material("M", "S")));
    ImportRun run(util.settings());
    EXPECT_FALSE(run.importMaterials(path, materials));
    std::map<std::string, std::string> elementOf;
    std::string shown;
    for (const MessageLog::Record& record : run.messageLog.records())
    {
        elementOf[record.text.substr(0, record.text.find('\n'))] = record.elementPath;
        shown += record.text;
    }
    EXPECT_EQ(shown, run.messageLog.text());
    EXPECT_EQ(elementOf.at(":   ERROR - don't understand shader toon_shader"), "U");
    EXPECT_EQ(elementOf.at("Node not found: absent! "), "S/base_color");
}

TEST(MessageLog, ShowsEntriesAsReportedWithPathsAndCausesAside)
{
    MessageLog log;
    EXPECT_TRUE(log.empty());
    log.report("Validation failed:\nfirst\nsecond\n");
    log.report("Unable to write file 'x'\n", std::string(), "disk full");
    log.report("Node not found: n! \n", "S/base");
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(log.text(), "Validation failed:\nfirst\nsecond\nUnable to write file 'x'\nNode not found: n! \n");
    ASSERT_EQ(log.records().size(), 3u);
    EXPECT_EQ(log.records()[1].detail, "disk full");
    EXPECT_EQ(log.records()[2].elementPath, "S/base");
}

TEST(PathParts, CutAfterTheLastSlashOrBackslash)
{
    EXPECT_EQ(folderWithSeparator("/home/u/docs/a.mtlx"), QString("/home/u/docs/"));
    EXPECT_EQ(folderWithSeparator("C:\\docs\\a.mtlx"), QString("C:\\docs\\"));
    EXPECT_EQ(folderWithSeparator("rel/dir\\a.mtlx"), QString("rel/dir\\"));
    EXPECT_EQ(folderWithSeparator("C:\\docs/a.mtlx"), QString("C:\\docs/"));
    EXPECT_EQ(folderWithSeparator("a.mtlx"), QString());
    EXPECT_EQ(folderWithSeparator("/a.mtlx"), QString());
    EXPECT_EQ(folderWithSeparator(""), QString());
    EXPECT_EQ(fileNamePart("C:\\docs/wood.png"), QString("wood.png"));
    EXPECT_EQ(fileNamePart("rel/dir\\wood.png"), QString("wood.png"));
    EXPECT_EQ(fileNamePart("wood.png"), QString("wood.png"));
}
} // namespace
} // namespace rozo::test
