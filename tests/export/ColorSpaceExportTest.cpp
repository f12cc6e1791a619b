// Colour spaces on export: a file input states the colour space the scene
// knows for its map, else the one a host with automatic gamma would give the
// file; the root states the working space when anything names a colour
// space. A round trip keeps every file's effective colour space.

#include "ExportTestSupport.h"

#include "export/FileColorSpaceExport.h"
#include "import/ColorSpaces.h"
#include "plugin/HostCalls.h"

#include <MaterialXFormat/XmlIo.h>

#include <QDir>
#include <QFileInfo>

#include <map>
#include <set>

using namespace exporttest;

namespace
{
// Effective colour space of every file input, by the file's base name.
using SpacesByFile = std::map<std::string, std::set<std::string>>;

mx::DocumentPtr readDocument(const std::string& path)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::readFromXmlFile(doc, mx::FilePath(path));
    return doc;
}

SpacesByFile fileColorSpaces(const mx::DocumentPtr& doc)
{
    SpacesByFile spaces;
    for (const mx::ElementPtr& element : doc->traverseTree())
    {
        const mx::InputPtr input = element->asA<mx::Input>();
        if (!input || input->getType() != "filename" || !input->hasValueString())
            continue;
        const std::string file = QFileInfo(QString::fromStdString(input->getValueString())).fileName().toStdString();
        // An older or interop name counts as the space the library defines for it.
        const std::string& stated = input->getActiveColorSpace();
        const rozo::ColorSpace* known = rozo::findColorSpace(stated);
        spaces[file].insert(known ? known->name : stated);
    }
    return spaces;
}

bool definedByTheLibrary(const std::string& name)
{
    const rozo::ColorSpace* known = rozo::findColorSpace(name);
    return known && known->name == name;
}

// Every colour-space name the document carries that the colour-management
// library does not define ("none", for data, is kept as published documents
// use it).
std::vector<std::string> unknownColorSpaces(const mx::DocumentPtr& doc)
{
    std::vector<std::string> unknown;
    for (const mx::ElementPtr& element : doc->traverseTree())
        if (element->hasColorSpace() && element->getColorSpace() != "none" &&
            !definedByTheLibrary(element->getColorSpace()))
            unknown.push_back(element->getNamePath() + ": " + element->getColorSpace());
    if (doc->hasColorSpace() && !definedByTheLibrary(doc->getColorSpace()))
        unknown.push_back("root: " + doc->getColorSpace());
    return unknown;
}

std::vector<std::string> documentsIn(const QString& folder)
{
    std::vector<std::string> paths;
    for (const QString& name : QDir(folder).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
        paths.push_back(QDir(folder).filePath(name).toStdString());
    return paths;
}

std::vector<std::string> exampleDocuments()
{
    std::vector<std::string> paths = documentsIn(ROZO_EXAMPLES_DIR);
    const std::vector<std::string> newer = documentsIn(ROZO_EXAMPLES_139_DIR);
    paths.insert(paths.end(), newer.begin(), newer.end());
    return paths;
}

std::string exampleName(const ::testing::TestParamInfo<std::string>& info)
{
    const QFileInfo file(QString::fromStdString(info.param));
    std::string name = (file.dir().dirName() == "examples" && file.dir().path().contains("v1.39") ? "v139_" : "") +
                       file.completeBaseName().toStdString();
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class ColorSpaceExport : public ExportTest
{
  protected:
    std::string roundTrip(const std::string& document)
    {
        writeFile(path("in.mtlx"), document);
        std::vector<Mtl*> imported;
        EXPECT_TRUE(util->importMaterials(path("in.mtlx").toStdString(), imported)) << log();
        Tab<Mtl*> table;
        for (Mtl* m : imported)
            table.Append(m);
        // Whether the export reports other messages is not this suite's concern.
        util->exportFile(WStr::FromQString(path("scene.mtlx")), table);
        EXPECT_TRUE(QFileInfo::exists(path("scene.mtlx"))) << log();
        return written();
    }
};

class ColorSpaceRoundTrip : public ColorSpaceExport, public ::testing::WithParamInterface<std::string>
{
};
} // namespace

TEST(AutomaticColorSpace, IntegerFormatsAreSrgbAndFloatingPointOnesLinear)
{
    for (const char* file : { "a.png", "b.JPG", "c.jpeg", "d.tga", "e.bmp", "f.tif", "g.TIFF", "h.gif", "noext" })
        EXPECT_EQ(rozo::automaticColorSpace(file), "srgb_texture") << file;
    for (const char* file : { "a.exr", "b.EXR", "c.hdr", "dir.v2/d.exr" })
        EXPECT_EQ(rozo::automaticColorSpace(file), "lin_rec709") << file;
}

TEST(AutomaticColorSpace, TheRememberedSpaceWinsAndAnEmptyOneStatesNothing)
{
    EXPECT_EQ(rozo::exportedColorSpace(std::string("acescg"), "a.png", true), "acescg");
    EXPECT_EQ(rozo::exportedColorSpace(std::string("srgb_texture"), "a.exr", false), "srgb_texture");
    EXPECT_EQ(rozo::exportedColorSpace(std::string(), "a.png", true), std::nullopt);
    EXPECT_EQ(rozo::exportedColorSpace(std::nullopt, "a.exr", true), "lin_rec709");
    EXPECT_EQ(rozo::exportedColorSpace(std::nullopt, "a.png", false), "none");
    // Other names of a defined space come out under the library's name; an
    // unknown one leaves the choice to the file's format.
    EXPECT_EQ(rozo::exportedColorSpace(std::string("srgb_rec709_scene"), "a.exr", true), "srgb_texture");
    EXPECT_EQ(rozo::exportedColorSpace(std::string("lin_ap1"), "a.png", true), "acescg");
    EXPECT_EQ(rozo::exportedColorSpace(std::string("my_camera_log"), "a.exr", true), "lin_rec709");
    EXPECT_EQ(rozo::exportedColorSpace(std::string("none"), "a.png", true), "none");
}

TEST_F(ColorSpaceExport, BitmapsStateWhatTheirFormatMeans)
{
    Mtl* material = physicalMaterial(L"Textured");
    setParam(material, "base_color_map", bitmap(L"Albedo", textureFile("tex/albedo.png")));
    setParam(material, "emit_color_map", bitmap(L"Glow", textureFile("tex/glow.exr")));
    exportMaterials({ material });
    ASSERT_TRUE(QFileInfo::exists(path("scene.mtlx"))) << log();
    const std::string text = written();
    EXPECT_NE(text.find("<materialx version=\"1.38\" colorspace=\"lin_rec709\""), std::string::npos) << text;
    EXPECT_NE(elementText(text, "tiledimage", "Albedo").find("colorspace=\"srgb_texture\" value=\"tex/albedo.png\""),
              std::string::npos)
        << text;
    EXPECT_NE(elementText(text, "tiledimage", "Glow").find("colorspace=\"lin_rec709\" value=\"tex/glow.exr\""),
              std::string::npos)
        << text;
}

TEST_F(ColorSpaceExport, DocumentStatingNoColorSpaceComesBackWithout)
{
    const std::string text = roundTrip(R"(<?xml version="1.0"?>
<materialx version="1.38">
  <image name="wood" type="color3">
    <input name="file" type="filename" value="tex/wood.png" />
  </image>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="wood" />
  </standard_surface>
  <surfacematerial name="M" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="S" />
  </surfacematerial>
</materialx>
)");
    EXPECT_EQ(text.find("colorspace"), std::string::npos) << text;
}

TEST_F(ColorSpaceExport, TransformOfAnImportIsWrittenAsTheFileColorSpaceUnderTheLibrarysName)
{
    const std::string text = roundTrip(R"(<?xml version="1.0"?>
<materialx version="1.38" colorspace="lin_rec709">
  <image name="wood" type="color3">
    <input name="file" type="filename" value="tex/wood.png" colorspace="g22_ap1" />
  </image>
  <image name="rough" type="float">
    <input name="file" type="filename" value="tex/rough.png" colorspace="srgb_rec709_scene" />
  </image>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="wood" />
    <input name="specular_roughness" type="float" nodename="rough" />
  </standard_surface>
  <surfacematerial name="M" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="S" />
  </surfacematerial>
</materialx>
)");
    EXPECT_EQ(text.find("_to_lin_rec709"), std::string::npos) << text;
    EXPECT_NE(text.find("<materialx version=\"1.38\" colorspace=\"lin_rec709\""), std::string::npos) << text;
    EXPECT_NE(elementText(text, "image", "wood").find("colorspace=\"g22_ap1\""), std::string::npos) << text;
    EXPECT_NE(elementText(text, "image", "rough").find("colorspace=\"srgb_texture\""), std::string::npos) << text;
}

TEST_P(ColorSpaceRoundTrip, EveryFileKeepsItsEffectiveColorSpace)
{
    // A newer document's version is reported, yet its materials are made:
    // only a document without materials has nothing to keep. The export of a
    // broken document reports it again, but is written.
    std::vector<Mtl*> imported;
    const bool clean = util->importMaterials(GetParam(), imported);
    if (imported.empty())
        GTEST_SKIP() << "no materials: " << log();
    Tab<Mtl*> table;
    for (Mtl* m : imported)
        table.Append(m);
    util->exportFile(WStr::FromQString(path("scene.mtlx")), table);
    ASSERT_TRUE(QFileInfo::exists(path("scene.mtlx"))) << log();

    const mx::DocumentPtr source = readDocument(GetParam());
    const mx::DocumentPtr exported = readDocument(path("scene.mtlx").toStdString());
    EXPECT_EQ(unknownColorSpaces(exported), std::vector<std::string>());
    const SpacesByFile before = fileColorSpaces(source);
    const SpacesByFile after = fileColorSpaces(exported);
    for (const auto& [file, spaces] : after)
    {
        const auto found = before.find(file);
        ASSERT_NE(found, before.end()) << file << " is not in the source";
        EXPECT_EQ(spaces, found->second) << file;
    }
    // A node the import could not make (a newer library's) takes its file with it.
    if (!clean)
        return;
    for (const auto& [file, spaces] : before)
        EXPECT_TRUE(after.count(file)) << file << " was not exported";
}

INSTANTIATE_TEST_SUITE_P(Examples, ColorSpaceRoundTrip, ::testing::ValuesIn(exampleDocuments()), exampleName);
