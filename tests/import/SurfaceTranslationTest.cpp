// Materials of other surface models (OpenPBR, glTF PBR, UsdPreviewSurface,
// Disney principled, unlit) import as Physical Materials through their
// translation to standard_surface: one per material, with the values the
// translation makes and the maps of the textures they bind.

#include "TranslationTestSupport.h"

#include "import/ConnectionResolution.h"
#include "import/ConstantFolding.h"
#include "import/SurfaceMapping.h"

namespace rozo::test
{
namespace
{
class TranslatedImport : public ::testing::Test
{
  protected:
    std::vector<Mtl*> import(const std::string& path)
    {
        std::vector<Mtl*> materials;
        util.importMaterials(path, materials);
        return materials;
    }

    std::vector<Mtl*> importText(const std::string& text)
    {
        return import(writeFile(dir.path(), "doc.mtlx", text));
    }

    Mtl* only(const std::vector<Mtl*>& materials)
    {
        EXPECT_EQ(materials.size(), 1u) << util.lastLog().text();
        EXPECT_EQ(util.lastLog().text(), "");
        return materials.empty() ? nullptr : materials.front();
    }

    float param(Mtl* material, const std::string& shaderInput)
    {
        return floatOf(block(material), mapSurfaceInputName(shaderInput));
    }
    AColor color(Mtl* material, const std::string& shaderInput)
    {
        return colorOf(block(material), mapSurfaceInputName(shaderInput));
    }
    Texmap* map(Mtl* material, const std::string& shaderInput)
    {
        return mapOf(block(material), mapSlotName(mapSurfaceInputName(shaderInput)));
    }

    TranslationUtil util;
    QTemporaryDir dir;
};

// ---- Every shared 1.39 example ----

class TranslatedExample : public TranslatedImport, public ::testing::WithParamInterface<std::string>
{
};

TEST_P(TranslatedExample, ImportsOnePhysicalMaterialPerMaterial)
{
    const std::string path = mx139Example(GetParam());
    std::vector<std::string> names;
    for (const mx::NodePtr& material : readDocument(path)->getMaterialNodes())
        names.push_back(material->getName());
    const std::vector<Mtl*> materials = import(path);
    EXPECT_EQ(util.lastLog().text(), "");
    ASSERT_EQ(materials.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        EXPECT_EQ(nameOf(materials[i]), names[i]);
        EXPECT_TRUE(classOf(materials[i]) == PHYSICAL_MATERIAL_CLASS_ID);
    }
}

std::vector<std::string> mx139ExampleNames()
{
    std::vector<std::string> names;
    for (const QString& name : QDir(MX139_EXAMPLES_DIR).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
    {
        const std::string base = QFileInfo(name).completeBaseName().toStdString();
        if (base != "future_version_1_40" && base != "simple_hair_default")
            names.push_back(base);
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(Mx139, TranslatedExample, ::testing::ValuesIn(mx139ExampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_F(TranslatedImport, AModelWithoutTranslationKeepsItsMessage)
{
    EXPECT_TRUE(import(mx139Example("simple_hair_default")).empty());
    EXPECT_NE(util.lastLog().text().find(":   ERROR - don't understand shader "),
              std::string::npos);
}

// ---- Hand-checked values per model ----

TEST_F(TranslatedImport, GltfPbrGlassIsClearTransmissionWithoutMaps)
{
    Mtl* glass = only(import(mx139Example("gltf_pbr_glass")));
    ASSERT_NE(glass, nullptr);
    EXPECT_FLOAT_EQ(param(glass, "base"), 1.0f);
    EXPECT_EQ(color(glass, "base_color"), AColor(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(param(glass, "metalness"), 0.0f);
    EXPECT_FLOAT_EQ(param(glass, "specular_roughness"), 0.01f);
    EXPECT_FLOAT_EQ(param(glass, "transmission"), 1.0f);
    EXPECT_EQ(color(glass, "transmission_color"), AColor(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(param(glass, "specular_IOR"), 1.52f);
    EXPECT_FLOAT_EQ(param(glass, "coat_IOR"), 1.5f);
    EXPECT_EQ(color(glass, "opacity"), AColor(1, 1, 1, 1));
    EXPECT_TRUE(filledMapSlots(glass).empty());
}

TEST_F(TranslatedImport, GltfPbrMaskedAlphaEmissionAndClearcoat)
{
    Mtl* m = only(importText(mtlx(R"(  <gltf_pbr name="SR" type="surfaceshader">
    <input name="alpha" type="float" value="0.3" />
    <input name="alpha_mode" type="integer" value="1" />
    <input name="alpha_cutoff" type="float" value="0.25" />
    <input name="sheen_color" type="color3" value="0.5, 0.2, 0.1" />
    <input name="sheen_roughness" type="float" value="0.5" />
    <input name="iridescence" type="float" value="1" />
    <input name="iridescence_thickness" type="float" value="250" />
    <input name="emissive" type="color3" value="1, 0.5, 0" />
    <input name="emissive_strength" type="float" value="4" />
    <input name="clearcoat" type="float" value="0.7" />
  </gltf_pbr>
  <surfacematerial name="Mixed" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    // Masked at 0.25, an alpha of 0.3 is solid.
    EXPECT_EQ(color(m, "opacity"), AColor(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(param(m, "emission"), 4.0f);
    EXPECT_EQ(color(m, "emission_color"), AColor(1, 0.5f, 0, 1));
    EXPECT_FLOAT_EQ(param(m, "coat"), 0.7f);
    EXPECT_TRUE(filledMapSlots(m).empty());
}

TEST_F(TranslatedImport, GltfPbrBlendedAlphaIsTheOpacity)
{
    Mtl* m = only(importText(mtlx(R"(  <gltf_pbr name="SR" type="surfaceshader">
    <input name="alpha" type="float" value="0.3" />
    <input name="alpha_mode" type="integer" value="2" />
  </gltf_pbr>
  <surfacematerial name="Blend" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(color(m, "opacity"), AColor(0.3f, 0.3f, 0.3f, 1));
}

TEST_F(TranslatedImport, UsdPreviewSurfaceGoldIsAMetal)
{
    Mtl* gold = only(import(mx139Example("usd_preview_surface_gold")));
    ASSERT_NE(gold, nullptr);
    EXPECT_EQ(nameOf(gold), "USD_Gold");
    EXPECT_FLOAT_EQ(param(gold, "base"), 1.0f);
    EXPECT_EQ(color(gold, "base_color"), AColor(0.944f, 0.776f, 0.373f, 1));
    EXPECT_FLOAT_EQ(param(gold, "metalness"), 1.0f);
    EXPECT_FLOAT_EQ(param(gold, "specular_roughness"), 0.02f);
    EXPECT_EQ(color(gold, "specular_color"), AColor(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(param(gold, "specular_IOR"), 1.5f);
    EXPECT_FLOAT_EQ(param(gold, "coat_roughness"), 0.01f);
    EXPECT_TRUE(filledMapSlots(gold).empty());
}

TEST_F(TranslatedImport, UsdPreviewSurfaceSpecularWorkflowAndCutout)
{
    Mtl* m = only(importText(mtlx(R"(  <UsdPreviewSurface name="SR" type="surfaceshader">
    <input name="useSpecularWorkflow" type="integer" value="1" />
    <input name="specularColor" type="color3" value="0.2, 0.3, 0.4" />
    <input name="metallic" type="float" value="1" />
    <input name="opacity" type="float" value="0.4" />
    <input name="opacityThreshold" type="float" value="0.5" />
    <input name="emissiveColor" type="color3" value="0.1, 0.2, 0.3" />
  </UsdPreviewSurface>
  <surfacematerial name="SpecularWorkflow" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(param(m, "metalness"), 0.0f);
    EXPECT_EQ(color(m, "specular_color"), AColor(0.2f, 0.3f, 0.4f, 1));
    // Below its threshold, the opacity cuts the surface out.
    EXPECT_EQ(color(m, "opacity"), AColor(0, 0, 0, 1));
    EXPECT_EQ(color(m, "emission_color"), AColor(0.1f, 0.2f, 0.3f, 1));
    EXPECT_TRUE(filledMapSlots(m).empty());
}

TEST_F(TranslatedImport, UsdPreviewSurfaceTexturesFeedTheirSlots)
{
    Mtl* brass = only(import(mx139Example("usd_preview_surface_brass_tiled")));
    ASSERT_NE(brass, nullptr);
    EXPECT_EQ(nameOf(beforeColorTransform(map(brass, "base_color"))), "image_color");
    EXPECT_EQ(nameOf(map(brass, "specular_roughness")), "image_roughness");
    EXPECT_FLOAT_EQ(param(brass, "metalness"), 1.0f);
}

TEST_F(TranslatedImport, ATextureKeepsItsMapThroughTheTranslationNodes)
{
    Mtl* m = only(importText(mtlx(R"(  <image name="metal" type="float">
    <input name="file" type="filename" value="metal.png" />
  </image>
  <UsdPreviewSurface name="SR" type="surfaceshader">
    <input name="metallic" type="float" nodename="metal" />
    <input name="roughness" type="float" value="0.3" />
  </UsdPreviewSurface>
  <surfacematerial name="Workflow" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    // The workflow's choice stays a node between the texture and the slot.
    Texmap* metalness = map(m, "metalness");
    EXPECT_TRUE(classOf(metalness) == OSL_MAP_CLASS_ID);
    EXPECT_EQ(nameOf(mapOf(block(metalness, 1), "in2_map")), "metal");
    EXPECT_FLOAT_EQ(param(m, "specular_roughness"), 0.3f);
    EXPECT_EQ(filledMapSlots(m), std::vector<std::string>{ "metalness_map" });
}

TEST_F(TranslatedImport, UsdPreviewSurfaceNormalBecomesANormalMap)
{
    Mtl* m = only(importText(mtlx(R"(  <image name="bumps" type="vector3">
    <input name="file" type="filename" value="bumps.png" />
  </image>
  <UsdPreviewSurface name="SR" type="surfaceshader">
    <input name="normal" type="vector3" nodename="bumps" />
  </UsdPreviewSurface>
  <surfacematerial name="Bumpy" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(classOf(map(m, "normal")) == NORMAL_MAP_CLASS_ID);
}

TEST_F(TranslatedImport, DisneyPrincipledCarpaint)
{
    Mtl* paint = only(import(mx139Example("disney_principled_carpaint")));
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(color(paint, "base_color"), AColor(0.0518895f, 0.29606f, 0.425324f, 1));
    EXPECT_FLOAT_EQ(param(paint, "base"), 1.0f);
    EXPECT_FLOAT_EQ(param(paint, "specular_roughness"), 0.4f);
    // Disney's default specular of 0.5 is standard_surface's full weight.
    EXPECT_FLOAT_EQ(param(paint, "specular"), 1.0f);
    EXPECT_EQ(color(paint, "specular_color"), AColor(1, 1, 1, 1));
    EXPECT_FLOAT_EQ(param(paint, "coat"), 1.0f);
    EXPECT_FLOAT_EQ(param(paint, "coat_roughness"), 0.0f);
    EXPECT_TRUE(filledMapSlots(paint).empty());
}

TEST_F(TranslatedImport, UnlitSurfaceIsEmissionOnly)
{
    Mtl* m = only(importText(mtlx(R"(  <surface_unlit name="SR" type="surfaceshader">
    <input name="emission" type="float" value="2" />
    <input name="emission_color" type="color3" value="0.9, 0.4, 0.1" />
    <input name="transmission" type="float" value="0.25" />
    <input name="opacity" type="float" value="0.5" />
  </surface_unlit>
  <surfacematerial name="Glow" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(param(m, "base"), 0.0f);
    EXPECT_FLOAT_EQ(param(m, "specular"), 0.0f);
    EXPECT_FLOAT_EQ(param(m, "emission"), 2.0f);
    EXPECT_EQ(color(m, "emission_color"), AColor(0.9f, 0.4f, 0.1f, 1));
    EXPECT_FLOAT_EQ(param(m, "transmission"), 0.25f);
    EXPECT_EQ(color(m, "opacity"), AColor(0.5f, 0.5f, 0.5f, 1));
}

// ---- Textured glTF PBR ----

TEST_F(TranslatedImport, GltfPbrTexturedBaseColourKeepsItsImage)
{
    Mtl* m = only(import((QStringLiteral(ROZO_GOLDEN_DIR) + "/../wild/gltf_pbr_textured.mtlx").toStdString()));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(nameOf(m), "Gltf");
    EXPECT_EQ(nameOf(beforeColorTransform(map(m, "base_color"))), "albedo");
    EXPECT_FLOAT_EQ(param(m, "metalness"), 0.2f);
    EXPECT_FLOAT_EQ(param(m, "specular_roughness"), 0.6f);
    // Transmission is tinted by the base colour, so the image reaches it too.
    EXPECT_EQ(nameOf(beforeColorTransform(map(m, "transmission_color"))), "albedo");
}

TEST_F(TranslatedImport, GltfPbrTexturesLandInTheirSlots)
{
    Mtl* m = only(importText(mtlx(R"(  <image name="albedo" type="color3">
    <input name="file" type="filename" value="albedo.png" colorspace="srgb_texture" />
  </image>
  <image name="orm" type="vector3">
    <input name="file" type="filename" value="orm.png" />
  </image>
  <extract name="roughness_channel" type="float">
    <input name="in" type="vector3" nodename="orm" />
    <input name="index" type="integer" value="1" />
  </extract>
  <extract name="metal_channel" type="float">
    <input name="in" type="vector3" nodename="orm" />
    <input name="index" type="integer" value="2" />
  </extract>
  <image name="normals" type="vector3">
    <input name="file" type="filename" value="normals.png" />
  </image>
  <normalmap name="bump" type="vector3">
    <input name="in" type="vector3" nodename="normals" />
  </normalmap>
  <image name="glow" type="color3">
    <input name="file" type="filename" value="glow.png" />
  </image>
  <gltf_pbr name="SR" type="surfaceshader">
    <input name="base_color" type="color3" nodename="albedo" />
    <input name="metallic" type="float" nodename="metal_channel" />
    <input name="roughness" type="float" nodename="roughness_channel" />
    <input name="normal" type="vector3" nodename="bump" />
    <input name="emissive" type="color3" nodename="glow" />
    <input name="emissive_strength" type="float" value="3" />
  </gltf_pbr>
  <surfacematerial name="Textured" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(nameOf(beforeColorTransform(map(m, "base_color"))), "albedo");
    EXPECT_EQ(nameOf(map(m, "metalness")), "metal_channel");
    EXPECT_EQ(nameOf(map(m, "specular_roughness")), "roughness_channel");
    Texmap* normal = map(m, "normal");
    EXPECT_TRUE(classOf(normal) == NORMAL_MAP_CLASS_ID);
    EXPECT_EQ(nameOf(map(m, "emission_color")), "glow");
    EXPECT_FLOAT_EQ(param(m, "emission"), 3.0f);
    // Everything else is a value: no map for the translation's own nodes.
    const std::vector<std::string> filled = filledMapSlots(m);
    const std::vector<std::string> expected = { "base_color_map", "bump_map", "emit_color_map",
                                                "metalness_map", "roughness_map", "trans_color_map" };
    EXPECT_EQ(std::set<std::string>(filled.begin(), filled.end()),
              std::set<std::string>(expected.begin(), expected.end()));
}

TEST_F(TranslatedImport, OpenPbrGeometryNormalReachesANormalMap)
{
    Mtl* m = only(importText(mtlx(R"(  <image name="normals" type="vector3">
    <input name="file" type="filename" value="normals.png" />
  </image>
  <normalmap name="bump" type="vector3">
    <input name="in" type="vector3" nodename="normals" />
  </normalmap>
  <open_pbr_surface name="SR" type="surfaceshader">
    <input name="base_metalness" type="float" value="0.5" />
    <input name="geometry_normal" type="vector3" nodename="bump" />
  </open_pbr_surface>
  <surfacematerial name="Bumped" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)")));
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(classOf(map(m, "normal")) == NORMAL_MAP_CLASS_ID);
    EXPECT_FLOAT_EQ(param(m, "metalness"), 0.5f);
}

TEST_F(TranslatedImport, AShaderSharedByTwoMaterialsIsTranslatedOnce)
{
    const std::vector<Mtl*> materials = importText(mtlx(R"(  <gltf_pbr name="SR" type="surfaceshader">
    <input name="metallic" type="float" value="0.25" />
  </gltf_pbr>
  <surfacematerial name="First" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
  <surfacematerial name="Second" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)"));
    ASSERT_EQ(materials.size(), 2u) << util.lastLog().text();
    EXPECT_FLOAT_EQ(param(materials[0], "metalness"), 0.25f);
    EXPECT_FLOAT_EQ(param(materials[1], "metalness"), 0.25f);
}

// ---- A user's translation document ----

const char* const USER_TRANSLATION = R"(<?xml version="1.0"?>
<materialx version="1.38">
  <nodedef name="ND_toon_to_standard_surface" node="toon_to_standard_surface" nodegroup="translation">
    <input name="paint" type="color3" value="1, 0, 0" />
    <input name="shine" type="float" value="0" />
    <output name="base_color_out" type="color3" />
    <output name="specular_roughness_out" type="float" />
  </nodedef>
  <nodegraph name="NG_toon_to_standard_surface" nodedef="ND_toon_to_standard_surface">
    <dot name="paint" type="color3">
      <input name="in" type="color3" interfacename="paint" />
    </dot>
    <invert name="roughness" type="float">
      <input name="in" type="float" interfacename="shine" />
    </invert>
    <output name="base_color_out" type="color3" nodename="paint" />
    <output name="specular_roughness_out" type="float" nodename="roughness" />
  </nodegraph>
</materialx>
)";

const char* const TOON_DOCUMENT = R"(  <nodedef name="ND_toon" node="toon">
    <input name="paint" type="color3" value="1, 0, 0" />
    <input name="shine" type="float" value="0" />
    <output name="out" type="surfaceshader" />
  </nodedef>
  <toon name="SR" type="surfaceshader">
    <input name="paint" type="color3" value="0.1, 0.2, 0.3" />
    <input name="shine" type="float" value="0.75" />
  </toon>
  <surfacematerial name="Cel" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="SR" />
  </surfacematerial>
)";

TEST(UserTranslation, ADocumentInTheTranslationFolderMakesAModelImport)
{
    QTemporaryDir dir;
    const std::string path = writeFile(dir.path(), "toon.mtlx", mtlx(TOON_DOCUMENT));

    TranslationUtil plain;
    std::vector<Mtl*> refused;
    plain.importMaterials(path, refused);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(plain.lastLog().text(), ":   ERROR - don't understand shader toon\n");

    TranslationRoot root(std::map<QString, std::string>{ { "toon_to_standard_surface.mtlx", USER_TRANSLATION } });
    std::vector<Mtl*> materials;
    EXPECT_TRUE(root.util->importMaterials(path, materials)) << root.util->lastLog().text();
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_EQ(nameOf(materials[0]), "Cel");
    EXPECT_EQ(colorOf(block(materials[0]), "base_color"), AColor(0.1f, 0.2f, 0.3f, 1));
    EXPECT_FLOAT_EQ(floatOf(block(materials[0]), "roughness"), 0.25f);
}

TEST(UserTranslation, ADefinitionOutsideTheTranslationGroupIsNoTranslation)
{
    QString notTranslation = QString::fromUtf8(USER_TRANSLATION);
    notTranslation.replace("nodegroup=\"translation\"", "nodegroup=\"pbr\"");
    TranslationRoot root(
        std::map<QString, std::string>{ { "toon_to_standard_surface.mtlx", notTranslation.toStdString() } });
    QTemporaryDir dir;
    std::vector<Mtl*> materials;
    root.util->importMaterials(writeFile(dir.path(), "toon.mtlx", mtlx(TOON_DOCUMENT)), materials);
    EXPECT_TRUE(materials.empty());
    EXPECT_EQ(root.util->lastLog().text(), ":   ERROR - don't understand shader toon\n");
}

TEST(UserTranslation, PassThroughNodesInALoopEndTheTranslationOfThatInput)
{
    QString looped = QString::fromUtf8(USER_TRANSLATION);
    looped.replace(R"(<input name="in" type="color3" interfacename="paint" />)",
                   R"(<input name="in" type="color3" nodename="paint2" />
    </dot>
    <dot name="paint2" type="color3">
      <input name="in" type="color3" nodename="paint" />)");
    TranslationRoot root(std::map<QString, std::string>{ { "toon_to_standard_surface.mtlx", looped.toStdString() } });
    QTemporaryDir dir;
    std::vector<Mtl*> materials;
    root.util->importMaterials(writeFile(dir.path(), "toon.mtlx", mtlx(TOON_DOCUMENT)), materials);
    ASSERT_EQ(materials.size(), 1u) << root.util->lastLog().text();
    EXPECT_FLOAT_EQ(floatOf(block(materials[0]), "roughness"), 0.25f);
}

} // namespace
} // namespace rozo::test
