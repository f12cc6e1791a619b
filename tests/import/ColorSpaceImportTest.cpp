// Colour spaces on import: a texture's file keeps its effective colour space
// on its map, a colour texture in another space than the working one reaches
// the material through a colour-management map, and colour values stated in
// another space arrive converted.

#include "ImportTestSupport.h"

#include <QImage>

namespace rozo::test
{
namespace
{
const char* const TEXTURE_FILE = "grey.png";
// sRGB 128 decoded: ((128 / 255 + 0.055) / 1.055) ^ 2.4.
constexpr float SRGB_128_LINEAR = 0.21586f;
constexpr float RAW_128 = 128.0f / 255.0f;
constexpr float TOLERANCE = 0.003f;

std::string attribute(const char* name, const std::string& value)
{
    return value.empty() ? std::string() : std::string(" ") + name + "=\"" + value + "\"";
}

// Where a colour space is stated: the document, the graph, the image node,
// the file input.
struct Stated
{
    std::string root, graph, node, input;
};

std::string texturedDocument(const Stated& stated, const std::string& imageType = "color3",
                             const std::string& target = "base_color")
{
    return "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\"" + attribute("colorspace", stated.root) + ">\n" +
           "  <nodegraph name=\"NG\"" + attribute("colorspace", stated.graph) + ">\n" + "    <image name=\"tex\" type=\"" +
           imageType + "\"" + attribute("colorspace", stated.node) + ">\n" +
           "      <input name=\"file\" type=\"filename\" value=\"" + TEXTURE_FILE + "\"" +
           attribute("colorspace", stated.input) +
           " />\n"
           "    </image>\n"
           "    <output name=\"out\" type=\"" +
           imageType +
           "\" nodename=\"tex\" />\n"
           "  </nodegraph>\n"
           "  <standard_surface name=\"S\" type=\"surfaceshader\">\n"
           "    <input name=\"" +
           target + "\" type=\"" + imageType +
           "\" nodegraph=\"NG\" output=\"out\" />\n"
           "  </standard_surface>\n"
           "  <surfacematerial name=\"M\" type=\"material\">\n"
           "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n"
           "  </surfacematerial>\n"
           "</materialx>\n";
}

class ColorSpaceImport : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QImage grey(2, 2, QImage::Format_RGB32);
        grey.fill(qRgb(128, 128, 128));
        ASSERT_TRUE(grey.save(QDir(dir.path()).filePath(TEXTURE_FILE)));
    }
    // The map on the material's slot after importing the text.
    Texmap* import(const std::string& text, const std::string& slot = "base_color_map")
    {
        const std::string path = writeFile(dir.path(), "doc.mtlx", text);
        materials.clear();
        util.importMaterials(path, materials);
        return materials.empty() ? nullptr : mapOf(block(materials[0]), slot);
    }
    static std::string shaderOf(Texmap* map) { return map ? toUtf8(oslShaderName(map)) : std::string(); }
    static std::string colorSpaceOf(Texmap* map) { return textOf(block(map, 0), "ColorSpace"); }

    StagedUtil util;
    QTemporaryDir dir;
    std::vector<Mtl*> materials;
};

TEST_F(ColorSpaceImport, SrgbTextureReachesTheMaterialInTheWorkingSpace)
{
    Texmap* map = import(texturedDocument({ "lin_rec709", "", "", "srgb_texture" }));
    EXPECT_EQ(util.lastLog().text(), "");
    ASSERT_EQ(shaderOf(map), "mx_srgb_texture_to_lin_rec709_color3");
    EXPECT_NEAR(map->EvalColor(0.5f, 0.5f).r, SRGB_128_LINEAR, TOLERANCE);

    Texmap* texture = mapOf(block(map, 1), "in_map");
    EXPECT_EQ(shaderOf(texture), "mx_image_color3");
    EXPECT_EQ(colorSpaceOf(texture), "srgb_texture");
    EXPECT_NEAR(texture->EvalColor(0.5f, 0.5f).r, RAW_128, TOLERANCE);
}

TEST_F(ColorSpaceImport, WorkingSpaceTextureIsTheImageItself)
{
    Texmap* map = import(texturedDocument({ "lin_rec709", "", "", "lin_rec709" }));
    ASSERT_EQ(shaderOf(map), "mx_image_color3");
    EXPECT_EQ(colorSpaceOf(map), "lin_rec709");
    EXPECT_NEAR(map->EvalColor(0.5f, 0.5f).r, RAW_128, TOLERANCE);
}

TEST_F(ColorSpaceImport, TheNearestStatingElementDecides)
{
    struct Case
    {
        Stated stated;
        const char* expected;
    };
    const Case cases[] = {
        { { "srgb_texture", "", "", "" }, "srgb_texture" },
        { { "lin_rec709", "srgb_texture", "", "" }, "srgb_texture" },
        { { "srgb_texture", "lin_rec709", "", "" }, "lin_rec709" },
        { { "lin_rec709", "lin_rec709", "acescg", "" }, "acescg" },
        { { "srgb_texture", "acescg", "g22_rec709", "lin_rec709" }, "lin_rec709" },
        { { "", "", "", "" }, "" },
        // MaterialX 1.39's interop names and older ones: the space the library defines.
        { { "lin_rec709", "", "", "srgb_rec709_scene" }, "srgb_texture" },
        { { "lin_rec709_scene", "lin_ap1", "", "" }, "acescg" },
        { { "gamma22", "", "", "" }, "g22_rec709" },
    };
    for (const Case& c : cases)
    {
        Texmap* map = import(texturedDocument(c.stated));
        ASSERT_NE(map, nullptr) << c.expected;
        Texmap* texture = shaderOf(map) == "mx_image_color3" ? map : mapOf(block(map, 1), "in_map");
        EXPECT_EQ(colorSpaceOf(texture), c.expected);
        const bool transformed = std::string(c.expected) != "lin_rec709" && std::string(c.expected) != "";
        if (transformed)
        {
            EXPECT_EQ(shaderOf(map), "mx_" + std::string(c.expected) + "_to_lin_rec709_color3");
        }
        EXPECT_EQ(texture != map, transformed) << c.expected;
    }
}

TEST_F(ColorSpaceImport, DataTextureKeepsItsSpaceWithoutATransform)
{
    Texmap* map = import(texturedDocument({ "lin_rec709", "", "", "srgb_texture" }, "float", "specular_roughness"),
                         "roughness_map");
    ASSERT_EQ(shaderOf(map), "mx_image_float");
    EXPECT_EQ(colorSpaceOf(map), "srgb_texture");

    map = import(texturedDocument({ "lin_rec709", "", "", "none" }));
    ASSERT_EQ(shaderOf(map), "mx_image_color3");
    EXPECT_EQ(colorSpaceOf(map), "none");
    EXPECT_EQ(util.lastLog().text(), "");
}

TEST_F(ColorSpaceImport, UnknownSpaceIsReportedAndTheFileReadAsItIs)
{
    Texmap* map = import(texturedDocument({ "lin_rec709", "", "", "my_camera_log" }));
    ASSERT_EQ(shaderOf(map), "mx_image_color3");
    EXPECT_EQ(colorSpaceOf(map), "");
    EXPECT_NE(util.lastLog().text().find("Unknown colour space 'my_camera_log'"), std::string::npos) << util.lastLog().text();
}

TEST_F(ColorSpaceImport, ConsumersOfOneTextureShareItsTransform)
{
    std::string text = texturedDocument({ "lin_rec709", "", "", "srgb_texture" });
    const std::string second = "    <input name=\"specular_color\" type=\"color3\" nodegraph=\"NG\" output=\"out\" />\n";
    text.insert(text.find("  </standard_surface>"), second);
    Texmap* base = import(text);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(mapOf(block(materials[0]), "refl_color_map"), base);
}

TEST_F(ColorSpaceImport, ColourValuesStatedInAnotherSpaceArriveConverted)
{
    const std::string text = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\" colorspace=\"lin_rec709\">\n"
                             "  <standard_surface name=\"S\" type=\"surfaceshader\">\n"
                             "    <input name=\"base_color\" type=\"color3\" value=\"0.5, 0.5, 0.5\" colorspace=\"srgb_texture\" />\n"
                             "    <input name=\"specular_color\" type=\"color3\" value=\"0.5, 0.5, 0.5\" />\n"
                             "    <input name=\"emission_color\" type=\"color3\" value=\"1, 0, 0\" colorspace=\"lin_ap1\" />\n"
                             "  </standard_surface>\n"
                             "  <surfacematerial name=\"M\" type=\"material\">\n"
                             "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n"
                             "  </surfacematerial>\n"
                             "</materialx>\n";
    import(text);
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_NEAR(colorOf(block(materials[0]), "base_color").r, 0.21404f, 1e-4f);
    EXPECT_FLOAT_EQ(colorOf(block(materials[0]), "refl_color").r, 0.5f);
    // The first row of the AP1 to Rec.709 matrix.
    const AColor emission = colorOf(block(materials[0]), "emit_color");
    EXPECT_NEAR(emission.r, 1.70505f, 1e-4f);
    EXPECT_NEAR(emission.g, -0.13026f, 1e-4f);
    EXPECT_NEAR(emission.b, -0.02400f, 1e-4f);
}
} // namespace
} // namespace rozo::test
