// Physical Materials written as surfacematerial + standard_surface nodes: the
// value rows, the map connections, the bump conversion and the material frame.

#include "ExportTestSupport.h"

#include <QDir>

using namespace exporttest;

namespace
{
class SurfaceExport : public ExportTest
{
  protected:
    // A material with a distinct value on every row that carries one.
    Mtl* materialWithEveryValue(const wchar_t* name)
    {
        Mtl* m = physicalMaterial(name);
        setParam(m, "base_weight", 0.1f);
        setParam(m, "base_color", AColor(0.8f, 0.5f, 0.25f, 1.0f));
        setParam(m, "diff_roughness", 0.2f);
        setParam(m, "reflectivity", 0.3f);
        setParam(m, "refl_color", AColor(0.1f, 0.2f, 0.3f, 1.0f));
        setParam(m, "roughness", 0.4f);
        setParam(m, "trans_ior", 1.5f);
        setParam(m, "anisoangle", 0.25f);
        setParam(m, "metalness", 0.6f);
        setParam(m, "transparency", 0.7f);
        setParam(m, "trans_color", AColor(0.4f, 0.5f, 0.6f, 1.0f));
        setParam(m, "trans_depth", 2.0f);
        setParam(m, "thin_walled", 1);
        setParam(m, "scattering", 0.125f);
        setParam(m, "sss_color", AColor(0.7f, 0.8f, 0.9f, 1.0f));
        setParam(m, "sss_scatter_color", AColor(1.0f, 0.5f, 0.25f, 1.0f));
        setParam(m, "sss_scale", 3.0f);
        setParam(m, "emission", 0.05f);
        setParam(m, "emit_color", AColor(0.2f, 0.3f, 0.4f, 1.0f));
        setParam(m, "coating", 0.9f);
        setParam(m, "coat_color", AColor(0.3f, 0.4f, 0.5f, 1.0f));
        setParam(m, "coat_roughness", 0.15f);
        setParam(m, "coat_ior", 1.6f);
        setParam(m, "coat_affect_color", 0.35f);
        setParam(m, "coat_affect_roughness", 0.45f);
        return m;
    }

    std::string shaderText(const std::string& name) { return elementText(written(), "standard_surface", name); }
};

const char* const everyValueShader =
    "  <standard_surface name=\"Rows_surface\" type=\"surfaceshader\">\n"
    "    <input name=\"base\" type=\"float\" value=\"0.1\" />\n"
    "    <input name=\"base_color\" type=\"color3\" value=\"0.8, 0.5, 0.25\" />\n"
    "    <input name=\"diffuse_roughness\" type=\"float\" value=\"0.2\" />\n"
    "    <input name=\"specular\" type=\"float\" value=\"0.3\" />\n"
    "    <input name=\"specular_color\" type=\"color3\" value=\"0.1, 0.2, 0.3\" />\n"
    "    <input name=\"specular_roughness\" type=\"float\" value=\"0.4\" />\n"
    "    <input name=\"specular_IOR\" type=\"float\" value=\"1.5\" />\n"
    "    <input name=\"specular_rotation\" type=\"float\" value=\"0.25\" />\n"
    "    <input name=\"metalness\" type=\"float\" value=\"0.6\" />\n"
    "    <input name=\"transmission\" type=\"float\" value=\"0.7\" />\n"
    "    <input name=\"transmission_color\" type=\"color3\" value=\"0.4, 0.5, 0.6\" />\n"
    "    <input name=\"transmission_depth\" type=\"float\" value=\"2\" />\n"
    "    <input name=\"thin_walled\" type=\"boolean\" value=\"true\" />\n"
    "    <input name=\"subsurface\" type=\"float\" value=\"0.125\" />\n"
    "    <input name=\"subsurface_color\" type=\"color3\" value=\"0.7, 0.8, 0.9\" />\n"
    "    <input name=\"subsurface_radius\" type=\"color3\" value=\"1, 0.5, 0.25\" />\n"
    "    <input name=\"subsurface_scale\" type=\"float\" value=\"3\" />\n"
    "    <input name=\"emission\" type=\"float\" value=\"0.05\" />\n"
    "    <input name=\"emission_color\" type=\"color3\" value=\"0.2, 0.3, 0.4\" />\n"
    "    <input name=\"coat\" type=\"float\" value=\"0.9\" />\n"
    "    <input name=\"coat_color\" type=\"color3\" value=\"0.3, 0.4, 0.5\" />\n"
    "    <input name=\"coat_roughness\" type=\"float\" value=\"0.15\" />\n"
    "    <input name=\"coat_IOR\" type=\"float\" value=\"1.6\" />\n"
    "    <input name=\"coat_affect_color\" type=\"float\" value=\"0.35\" />\n"
    "    <input name=\"coat_affect_roughness\" type=\"float\" value=\"0.45\" />\n"
    "  </standard_surface>\n";
} // namespace

TEST_F(SurfaceExport, MaterialWithoutMapsWritesEveryValueRowAndNothingElse)
{
    ASSERT_TRUE(exportMaterials({ materialWithEveryValue(L"Rows") })) << log();
    EXPECT_EQ(written(), documentText("  <surfacematerial name=\"Rows\" type=\"material\">\n"
                                      "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"Rows_surface\" />\n"
                                      "  </surfacematerial>\n" +
                                      std::string(everyValueShader)));
    EXPECT_EQ(log(), "");
}

TEST_F(SurfaceExport, ThinWalledOffIsFalse)
{
    Mtl* m = physicalMaterial(L"Thin");
    setParam(m, "thin_walled", 0);
    ASSERT_TRUE(exportMaterials({ m })) << log();
    EXPECT_NE(shaderText("Thin_surface").find("<input name=\"thin_walled\" type=\"boolean\" value=\"false\" />"),
              std::string::npos);
}

TEST_F(SurfaceExport, MapKeepsTheValueBesideTheConnection)
{
    Mtl* m = physicalMaterial(L"Wood");
    setParam(m, "base_color", AColor(0.8f, 0.5f, 0.25f, 1.0f));
    setParam(m, "base_color_map", bitmap(L"Map #1", textureFile("tex/wood.png"), 2.0f, 3.0f));
    ASSERT_TRUE(exportMaterials({ m })) << log();
    EXPECT_NE(shaderText("Wood_surface")
                  .find("<input name=\"base_color\" type=\"color3\" value=\"0.8, 0.5, 0.25\" nodename=\"Map__1\" />"),
              std::string::npos);
}

TEST_F(SurfaceExport, CutoutMapAloneMakesTheOpacityInput)
{
    Mtl* plain = physicalMaterial(L"Plain");
    Mtl* cut = physicalMaterial(L"Cut");
    setParam(cut, "cutout_map", bitmap(L"Mask", textureFile("mask.png")));
    ASSERT_TRUE(exportMaterials({ plain, cut })) << log();
    EXPECT_EQ(shaderText("Plain_surface").find("\"opacity\""), std::string::npos);
    EXPECT_NE(shaderText("Cut_surface").find("<input name=\"opacity\" type=\"color3\" nodename=\"Mask\" />"),
              std::string::npos);
}

TEST_F(SurfaceExport, BitmapOnBumpGoesThroughHeightToNormal)
{
    Mtl* m = physicalMaterial(L"Bumpy");
    setParam(m, "bump_map", bitmap(L"Height", textureFile("height.png")));
    setParam(m, "bump_map_amt", 0.3f);
    ASSERT_TRUE(exportMaterials({ m })) << log();
    const std::string text = written();
    EXPECT_NE(shaderText("Bumpy_surface").find("<input name=\"normal\" type=\"vector3\" nodename=\"node2\" />"),
              std::string::npos);
    EXPECT_EQ(elementText(text, "tiledimage", "Height"),
              "  <tiledimage name=\"Height\" type=\"float\">\n"
              "    <input name=\"uvtiling\" type=\"vector2\" value=\"1,1\" />\n"
              "    <input name=\"file\" type=\"filename\" value=\"height.png\" />\n"
              "  </tiledimage>\n");
    EXPECT_EQ(elementText(text, "heighttonormal", "node1"),
              "  <heighttonormal name=\"node1\" type=\"vector3\">\n"
              "    <input name=\"in\" type=\"float\" nodename=\"Height\" />\n"
              "  </heighttonormal>\n");
    EXPECT_EQ(elementText(text, "normalmap", "node2"),
              "  <normalmap name=\"node2\" type=\"vector3\">\n"
              "    <input name=\"in\" type=\"vector3\" nodename=\"node1\" />\n"
              "    <input name=\"scale\" type=\"float\" value=\"0.3\" />\n"
              "  </normalmap>\n");
}

TEST_F(SurfaceExport, SharedBumpMapGetsOneTextureNodeButItsOwnConversionPerRow)
{
    Mtl* m = physicalMaterial(L"Both");
    Texmap* height = bitmap(L"Height", textureFile("height.png"));
    setParam(m, "bump_map", height);
    setParam(m, "coat_bump_map", height);
    setParam(m, "coating_bump_map_amt", 0.7f);
    ASSERT_TRUE(exportMaterials({ m })) << log();
    const std::string text = written();
    EXPECT_NE(shaderText("Both_surface").find("<input name=\"coat_normal\" type=\"vector3\" nodename=\"node4\" />"),
              std::string::npos);
    EXPECT_NE(elementText(text, "normalmap", "node4").find("value=\"0.7\""), std::string::npos);
    EXPECT_NE(elementText(text, "heighttonormal", "node3").find("nodename=\"Height\""), std::string::npos);
    EXPECT_EQ(text.find("<tiledimage name=\"Height"), text.rfind("<tiledimage name=\"Height"));
}

TEST_F(SurfaceExport, NormalMapOnBumpIsConnectedDirectly)
{
    Mtl* m = physicalMaterial(L"Normals");
    setParam(m, "bump_map", normalMap(L"Normal", bitmap(L"Tangent", textureFile("n.png")), 0.5f));
    ASSERT_TRUE(exportMaterials({ m })) << log();
    const std::string text = written();
    EXPECT_EQ(text.find("heighttonormal"), std::string::npos);
    EXPECT_NE(shaderText("Normals_surface").find("<input name=\"normal\" type=\"vector3\" nodename=\"Normal\" />"),
              std::string::npos);
    EXPECT_EQ(elementText(text, "normalmap", "Normal"),
              "  <normalmap name=\"Normal\" type=\"vector3\">\n"
              "    <input name=\"in\" type=\"vector3\" nodename=\"Tangent\" />\n"
              "    <input name=\"scale\" type=\"float\" value=\"0.5\" />\n"
              "  </normalmap>\n");
    EXPECT_EQ(elementText(text, "tiledimage", "Tangent"),
              "  <tiledimage name=\"Tangent\" type=\"vector3\">\n"
              "    <input name=\"uvtiling\" type=\"vector2\" value=\"1,1\" />\n"
              "    <input name=\"file\" type=\"filename\" value=\"n.png\" />\n"
              "  </tiledimage>\n");
}

TEST_F(SurfaceExport, DisplacementMapMakesTheDisplacementNodeFirst)
{
    Mtl* m = physicalMaterial(L"Rock");
    setParam(m, "displacement_map", bitmap(L"Disp", textureFile("disp.png")));
    setParam(m, "displacement_map_amt", 0.25f);
    setParam(m, "base_color_map", bitmap(L"Albedo", textureFile("albedo.png")));
    ASSERT_TRUE(exportMaterials({ m })) << log();
    const std::string text = written();
    EXPECT_EQ(elementText(text, "surfacematerial", "Rock"),
              "  <surfacematerial name=\"Rock\" type=\"material\">\n"
              "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"Rock_surface\" />\n"
              "    <input name=\"displacementshader\" type=\"displacementshader\" nodename=\"Rock_displacement\" />\n"
              "  </surfacematerial>\n");
    EXPECT_EQ(elementText(text, "displacement", "Rock_displacement"),
              "  <displacement name=\"Rock_displacement\" type=\"displacementshader\">\n"
              "    <input name=\"displacement\" type=\"float\" nodename=\"Disp\" />\n"
              "    <input name=\"scale\" type=\"float\" value=\"0.25\" />\n"
              "  </displacement>\n");
    // Node order: shader, displacement, then the maps in the order first needed.
    EXPECT_LT(text.find("<standard_surface"), text.find("<displacement "));
    EXPECT_LT(text.find("<displacement "), text.find("<tiledimage name=\"Disp\""));
    EXPECT_LT(text.find("<tiledimage name=\"Disp\""), text.find("<tiledimage name=\"Albedo\""));
}

TEST_F(SurfaceExport, WithoutDisplacementMapThereIsNoDisplacementNode)
{
    ASSERT_TRUE(exportMaterials({ physicalMaterial(L"Flat") })) << log();
    EXPECT_EQ(written().find("displacement"), std::string::npos);
}
