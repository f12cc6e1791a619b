// Texture maps written as nodes: Bitmaps, Normal Maps, their texture paths
// under the three path options, sharing and maps that reach themselves.

#include "ExportTestSupport.h"

#include <QDir>
#include <QFileInfo>

using namespace exporttest;

namespace
{
class MapExport : public ExportTest
{
  protected:
    // A material with the Bitmap on base colour, exported to out/scene.mtlx.
    std::string exportBitmapOnBaseColor(const QString& texture, float u = 1.0f, float v = 1.0f)
    {
        Mtl* m = physicalMaterial(L"Wood");
        setParam(m, "base_color_map", bitmap(L"Map #1", texture, u, v));
        QDir(folder->path()).mkdir("out");
        EXPECT_TRUE(exportMaterials({ m }, "out/scene.mtlx")) << log();
        return elementText(written("out/scene.mtlx"), "tiledimage", "Map__1");
    }

    static std::string tiledImage(const std::string& type, const std::string& tiling, const std::string& fileAttributes)
    {
        return "  <tiledimage name=\"Map__1\" type=\"" + type + "\">\n"
                                                                "    <input name=\"uvtiling\" type=\"vector2\" value=\"" +
               tiling + "\" />\n"
                        "    <input name=\"file\" type=\"filename\" " +
               fileAttributes + " />\n"
                                "  </tiledimage>\n";
    }
};
} // namespace

TEST_F(MapExport, BitmapOnBaseColorIsATiledImageWithRelativePath)
{
    EXPECT_EQ(exportBitmapOnBaseColor(textureFile("tex/wood.png"), 2.0f, 3.0f),
              tiledImage("color3", "2,3", "colorspace=\"srgb_texture\" value=\"../tex/wood.png\""));
}

TEST_F(MapExport, BitmapOnAFloatInputHasNoColorspace)
{
    Mtl* m = physicalMaterial(L"Rough");
    setParam(m, "roughness_map", bitmap(L"Map #1", textureFile("r.png")));
    ASSERT_TRUE(exportMaterials({ m })) << log();
    EXPECT_EQ(elementText(written(), "tiledimage", "Map__1"), tiledImage("float", "1,1", "value=\"r.png\""));
}

TEST_F(MapExport, MapSharedByTwoMaterialsIsWrittenOnceWithItsFirstType)
{
    Texmap* shared = bitmap(L"Map #1", textureFile("wood.png"));
    Mtl* a = physicalMaterial(L"A");
    Mtl* b = physicalMaterial(L"B");
    setParam(a, "base_color_map", shared);
    setParam(b, "base_color_map", shared);
    ASSERT_TRUE(exportMaterials({ a, b })) << log();
    const std::string text = written();
    EXPECT_EQ(text.find("<tiledimage"), text.rfind("<tiledimage"));
    EXPECT_NE(elementText(text, "standard_surface", "A_surface").find("nodename=\"Map__1\""), std::string::npos);
    EXPECT_NE(elementText(text, "standard_surface", "B_surface").find("nodename=\"Map__1\""), std::string::npos);
}

TEST_F(MapExport, AllPathOptionsOffWriteThePathAsHeld)
{
    util->settings().resolveTexturePaths = false;
    util->settings().relativeTexturePaths = false;
    EXPECT_EQ(exportBitmapOnBaseColor("maps/wood.png"), tiledImage("color3", "1,1", "colorspace=\"srgb_texture\" value=\"maps/wood.png\""));
}

TEST_F(MapExport, ResolvedPathIsMadeRelative)
{
    // The host finds the file relative to the current folder; export writes it
    // relative to the document.
    const QString texture = textureFile("tex/wood.png");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder->path());
    const std::string node = exportBitmapOnBaseColor("tex/wood.png");
    QDir::setCurrent(previous);
    EXPECT_EQ(node, tiledImage("color3", "1,1", "colorspace=\"srgb_texture\" value=\"../tex/wood.png\""));
}

TEST_F(MapExport, UnresolvedPathIsKeptAsGiven)
{
    util->settings().relativeTexturePaths = false;
    const QString missing = path("nowhere/wood.png");
    EXPECT_EQ(exportBitmapOnBaseColor(missing),
              tiledImage("color3", "1,1", "colorspace=\"srgb_texture\" value=\"" + missing.toStdString() + "\""));
}

TEST_F(MapExport, CopyTexturesCopiesBesideTheDocumentAndWritesTheFileName)
{
    util->settings().copyTextures = true;
    const QString texture = textureFile("tex/wood.png", "new texture");
    EXPECT_EQ(exportBitmapOnBaseColor(texture), tiledImage("color3", "1,1", "colorspace=\"srgb_texture\" value=\"wood.png\""));
    EXPECT_EQ(readFile(path("out/wood.png")), "new texture");
}

TEST_F(MapExport, CopyTexturesKeepsAnExistingTarget)
{
    util->settings().copyTextures = true;
    const QString texture = textureFile("tex/wood.png", "new texture");
    writeFile(path("out/wood.png"), "old texture");
    EXPECT_EQ(exportBitmapOnBaseColor(texture), tiledImage("color3", "1,1", "colorspace=\"srgb_texture\" value=\"wood.png\""));
    EXPECT_EQ(readFile(path("out/wood.png")), "old texture");
}

TEST_F(MapExport, CopyTexturesOffCopiesNothing)
{
    const QString texture = textureFile("tex/wood.png");
    exportBitmapOnBaseColor(texture);
    EXPECT_FALSE(QFileInfo::exists(path("out/wood.png")));
}

TEST_F(MapExport, CopiedFileNameIsCutAtTheLastSeparatorOfEitherKind)
{
    ExportRun run(util->settings());
    run.exportFolder = folder->path() + "/";
    EXPECT_EQ(run.copyTextureFile("/no/such/folder/wood.png"), "wood.png");
    EXPECT_EQ(run.copyTextureFile("C:\\tex\\stone.png"), "stone.png");
    EXPECT_EQ(run.copyTextureFile("plain.png"), "plain.png");
}

TEST_F(MapExport, NormalMapWithoutItsMapCarriesNothing)
{
    Mtl* m = physicalMaterial(L"Flat");
    setParam(m, "bump_map", normalMap(L"Empty", nullptr, 0.5f));
    // Neither "in" nor "scale" binds anything: both are left to the definition.
    EXPECT_TRUE(exportMaterials({ m })) << log();
    EXPECT_EQ(elementText(written(), "normalmap", "Empty"), "  <normalmap name=\"Empty\" type=\"vector3\" />\n");
}

TEST_F(MapExport, MapThatReachesItselfEndsAtItsOwnNode)
{
    Texmap* first = normalMap(L"First");
    Texmap* second = normalMap(L"Second", first);
    IParamBlock2* block = first->GetParamBlock(0);
    if (!block->SetValue(block->IndextoID(block->GetDesc()->NameToIndex(L"normal_map")), 0, second, 0))
        GTEST_SKIP() << "the host refuses a loop of maps";
    Mtl* m = physicalMaterial(L"Loop");
    setParam(m, "bump_map", first);
    exportMaterials({ m });
    const std::string text = written();
    EXPECT_EQ(text.find("<normalmap name=\"First\""), text.rfind("<normalmap name=\"First\""));
    EXPECT_NE(elementText(text, "normalmap", "First").find("nodename=\"Second\""), std::string::npos);
    EXPECT_NE(elementText(text, "normalmap", "Second").find("nodename=\"First\""), std::string::npos);
}

TEST_F(MapExport, WithoutLibrariesMapNodesHaveNoDefinition)
{
    // A module with no libraries beside it: nothing defines the map nodes.
    MtlXIOUtil bare(mx::FilePath(path("plugins/RozozazoZOV.dlu").toStdString()));
    Mtl* m = physicalMaterial(L"Bare");
    setParam(m, "base_color_map", bitmap(L"Map #1", textureFile("wood.png")));
    setParam(m, "bump_map", normalMap(L"Normal"));
    Tab<Mtl*> table;
    table.Append(m);
    EXPECT_FALSE(bare.exportFile(WStr::FromQString(path("scene.mtlx")), table));
    EXPECT_EQ(bare.lastLog().text().rfind("Unknown node tiledimage\nUnknown node normalmap\n", 0), 0u) << bare.lastLog().text();
    EXPECT_EQ(elementText(written(), "tiledimage", "Map__1"),
              "  <tiledimage name=\"Map__1\" type=\"color3\">\n"
              "    <input name=\"uvtiling\" type=\"vector2\" />\n"
              "    <input name=\"file\" type=\"filename\" />\n"
              "  </tiledimage>\n");
}
