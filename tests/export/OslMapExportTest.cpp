// OSL Maps made by import come back as nodes of the category their
// precompiled code records, with every input of their node definition.

#include "ExportTestSupport.h"

using namespace exporttest;

namespace
{
const char* const imageDocument = R"(<?xml version="1.0"?>
<materialx version="1.38">
  <image name="wood_image" type="color3">
    <input name="file" type="filename" value="tex/wood.png" />
    <input name="default" type="color3" value="0.1, 0.2, 0.3" />
  </image>
  <standard_surface name="Wood_surface" type="surfaceshader">
    <input name="base_color" type="color3" nodename="wood_image" />
    <input name="specular_color" type="color3" nodename="wood_image" />
  </standard_surface>
  <surfacematerial name="Wood" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Wood_surface" />
  </surfacematerial>
</materialx>
)";

class OslMapExport : public ExportTest
{
protected:
    std::string exportImported(const char* document)
    {
        writeFile(path("in.mtlx"), document);
        std::vector<Mtl*> imported;
        EXPECT_TRUE(util->importMaterials(path("in.mtlx").toStdString(), imported)) << log();
        EXPECT_EQ(imported.size(), 1u);
        Tab<Mtl*> table;
        for (Mtl* m : imported)
            table.Append(m);
        // Inputs left without a value (empty texts, "filtertype", "frameendaction")
        // fail validation; the file is written all the same.
        util->exportFile(WStr::FromQString(path("scene.mtlx")), table);
        EXPECT_EQ(log().rfind("Validation failed:\n", 0), 0u) << log();
        EXPECT_EQ(log().find("Unsupported"), std::string::npos) << log();
        return written();
    }
};
} // namespace

TEST_F(OslMapExport, ImageMapIsWrittenWithEveryInputOfItsDefinition)
{
    util->relativeTexturePaths = false;
    const std::string text = exportImported(imageDocument);
    const std::string node = elementText(text, "image", "wood_image");
    EXPECT_EQ(node.rfind("  <image name=\"wood_image\" type=\"color3\">\n", 0), 0u) << node;
    std::vector<std::string> inputs;
    for (size_t at = node.find("<input name=\""); at != std::string::npos; at = node.find("<input name=\"", at + 1))
        inputs.push_back(node.substr(at + 13, node.find('"', at + 13) - at - 13));
    EXPECT_EQ(inputs, (std::vector<std::string>{"file", "layer", "default", "texcoord", "uaddressmode", "vaddressmode",
                                                "filtertype", "framerange", "frameoffset", "frameendaction"}));
    EXPECT_NE(node.find("<input name=\"file\" type=\"filename\" colorspace=\"auto\" value=\"tex/wood.png\" />"),
              std::string::npos) << node;
    EXPECT_NE(node.find("<input name=\"default\" type=\"color3\" value=\"0.1, 0.2, 0.3\" />"), std::string::npos) << node;
    EXPECT_NE(node.find("<input name=\"filtertype\" type=\"string\" />"), std::string::npos) << node;
    EXPECT_NE(node.find("<input name=\"frameendaction\" type=\"string\" />"), std::string::npos) << node;
}

TEST_F(OslMapExport, MapSharedByTwoInputsIsOneNode)
{
    const std::string text = exportImported(imageDocument);
    EXPECT_EQ(text.find("<image "), text.rfind("<image "));
    const std::string shader = elementText(text, "standard_surface", "Wood_surface");
    EXPECT_NE(shader.find("<input name=\"base_color\" type=\"color3\" value=\"0.5, 0.5, 0.5\" nodename=\"wood_image\" />"),
              std::string::npos) << shader;
    EXPECT_NE(shader.find("<input name=\"specular_color\" type=\"color3\" value=\"1, 1, 1\" nodename=\"wood_image\" />"),
              std::string::npos) << shader;
}
