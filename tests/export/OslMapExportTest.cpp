// OSL Maps made by import come back as nodes of the category their
// precompiled code records, with the inputs of their node definition that
// bind something: the others, and geometric defaults the user left alone,
// are left to the definition.

#include "ExportTestSupport.h"

#include "plugin/ParameterAccess.h"

#include <algorithm>

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

const char* const tiledDocument = R"(<?xml version="1.0"?>
<materialx version="1.38">
  <nodegraph name="NG_brass">
    <tiledimage name="brass_color" type="color3">
      <input name="file" type="filename" value="brass_color.jpg" />
      <input name="uvtiling" type="vector2" value="2.0, 3.0" />
    </tiledimage>
    <output name="out" type="color3" nodename="brass_color" />
  </nodegraph>
  <standard_surface name="Brass_surface" type="surfaceshader">
    <input name="base_color" type="color3" nodegraph="NG_brass" />
  </standard_surface>
  <surfacematerial name="Brass" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="Brass_surface" />
  </surfacematerial>
</materialx>
)";

std::vector<std::string> inputNames(const std::string& node)
{
    std::vector<std::string> inputs;
    for (size_t at = node.find("<input name=\""); at != std::string::npos; at = node.find("<input name=\"", at + 1))
        inputs.push_back(node.substr(at + 13, node.find('"', at + 13) - at - 13));
    return inputs;
}

class OslMapExport : public ExportTest
{
  protected:
    std::vector<Mtl*> import(const char* document)
    {
        writeFile(path("in.mtlx"), document);
        std::vector<Mtl*> imported;
        EXPECT_TRUE(util->importMaterials(path("in.mtlx").toStdString(), imported)) << log();
        EXPECT_EQ(imported.size(), 1u);
        return imported;
    }
    std::string exportAgain(const std::vector<Mtl*>& imported)
    {
        Tab<Mtl*> table;
        for (Mtl* m : imported)
            table.Append(m);
        EXPECT_TRUE(util->exportFile(WStr::FromQString(path("scene.mtlx")), table)) << log();
        return written();
    }
    std::string exportImported(const char* document) { return exportAgain(import(document)); }
};
} // namespace

TEST_F(OslMapExport, ImageMapIsWrittenWithTheInputsThatBindSomething)
{
    util->settings().relativeTexturePaths = false;
    const std::string text = exportImported(imageDocument);
    const std::string node = elementText(text, "image", "wood_image");
    EXPECT_EQ(node.rfind("  <image name=\"wood_image\" type=\"color3\">\n", 0), 0u) << node;
    // No empty "layer" or "framerange", no "filtertype" or "frameendaction",
    // and no constant standing in for the texture coordinates.
    EXPECT_EQ(inputNames(node),
              (std::vector<std::string>{ "file", "default", "uaddressmode", "vaddressmode", "frameoffset" }));
    // The document states no colour space: the file input comes back without one.
    EXPECT_NE(node.find("<input name=\"file\" type=\"filename\" value=\"tex/wood.png\" />"),
              std::string::npos)
        << node;
    EXPECT_NE(node.find("<input name=\"default\" type=\"color3\" value=\"0.1, 0.2, 0.3\" />"), std::string::npos) << node;
}

TEST_F(OslMapExport, TiledImageLeavesTexcoordFilterAndEmptyTextsToItsDefinition)
{
    util->settings().relativeTexturePaths = false;
    const std::string node = elementText(exportImported(tiledDocument), "tiledimage", "brass_color");
    const std::vector<std::string> inputs = inputNames(node);
    for (const char* absent : { "texcoord", "filtertype", "layer", "framerange", "frameendaction" })
        EXPECT_EQ(std::count(inputs.begin(), inputs.end(), absent), 0) << absent << "\n"
                                                                       << node;
    EXPECT_NE(node.find("<input name=\"uvtiling\" type=\"vector2\" value=\"2, 3\" />"), std::string::npos) << node;
    EXPECT_EQ(node.find("value=\"\""), std::string::npos) << node;
}

TEST_F(OslMapExport, ATexcoordTheUserSetIsKept)
{
    const std::vector<Mtl*> imported = import(tiledDocument);
    Texmap* map = rozo::texmapParameter(imported[0]->GetParamBlock(0), "base_color_map", 0);
    ASSERT_NE(map, nullptr);
    setParam(map, "texcoord", Point2(0.25f, 0.75f), 1);
    const std::string node = elementText(exportAgain(imported), "tiledimage", "brass_color");
    EXPECT_NE(node.find("<input name=\"texcoord\" type=\"vector2\" value=\"0.25, 0.75\" />"), std::string::npos)
        << node;
}

TEST_F(OslMapExport, AConnectedGeometricInputIsWritten)
{
    const std::vector<Mtl*> imported = import(tiledDocument);
    Texmap* map = rozo::texmapParameter(imported[0]->GetParamBlock(0), "base_color_map", 0);
    ASSERT_NE(map, nullptr);
    Texmap* coordinates = bitmap(L"Coordinates", "uv.png");
    setParam(map, "texcoord_map", coordinates, 1);
    const std::string text = exportAgain(imported);
    const std::string node = elementText(text, "tiledimage", "brass_color");
    EXPECT_NE(node.find("<input name=\"texcoord\" type=\"vector2\""), std::string::npos) << node;
    EXPECT_NE(node.find("nodename=\"Coordinates\""), std::string::npos) << node;
}

TEST_F(OslMapExport, MapSharedByTwoInputsIsOneNode)
{
    const std::string text = exportImported(imageDocument);
    EXPECT_EQ(text.find("<image "), text.rfind("<image "));
    const std::string shader = elementText(text, "standard_surface", "Wood_surface");
    EXPECT_NE(shader.find("<input name=\"base_color\" type=\"color3\" value=\"0.5, 0.5, 0.5\" nodename=\"wood_image\" />"),
              std::string::npos)
        << shader;
    EXPECT_NE(shader.find("<input name=\"specular_color\" type=\"color3\" value=\"1, 1, 1\" nodename=\"wood_image\" />"),
              std::string::npos)
        << shader;
}
