// Values a node graph hands to its nodes: inputs bound to the graph's own
// interface, and the file prefixes that documents, graphs and nodes declare.

#include "ImportTestSupport.h"

#include <functional>
#include <set>

namespace rozo::test
{
namespace
{
// The first map below `root` with the given name, searched depth first
// through every map slot of every block.
Texmap* findMap(MtlBase* root, const std::string& name)
{
    std::set<MtlBase*> seen;
    std::function<Texmap*(MtlBase*)> search = [&](MtlBase* object) -> Texmap* {
        if (!object || !seen.insert(object).second)
            return nullptr;
        for (int index = 0; index < object->NumParamBlocks(); ++index)
        {
            IParamBlock2* b = object->GetParamBlock(index);
            for (const std::string& parameter : parameterNames(b))
            {
                const ParamID id = *parameterId(b, parameter);
                if (b->GetParameterType(id) != TYPE_TEXMAP)
                    continue;
                Texmap* map = b->GetTexmap(id);
                if (map && nameOf(map) == name)
                    return map;
                if (Texmap* found = search(map))
                    return found;
            }
        }
        return nullptr;
    };
    return search(root);
}

void expectColour(IParamBlock2* b, const std::string& name, float r, float g, float bl)
{
    const AColor c = colorOf(b, name);
    EXPECT_NEAR(c.r, r, 1e-6) << name;
    EXPECT_NEAR(c.g, g, 1e-6) << name;
    EXPECT_NEAR(c.b, bl, 1e-6) << name;
}

class GraphBinding : public ::testing::Test
{
  protected:
    Mtl* importOne(const std::string& path)
    {
        std::vector<Mtl*> materials;
        EXPECT_TRUE(util.importMaterials(path, materials)) << util.lastLog().text();
        EXPECT_EQ(materials.size(), 1u);
        return materials.empty() ? nullptr : materials[0];
    }

    static std::string example(const char* name) { return std::string(ROZO_EXAMPLES_DIR) + "/" + name; }

    StagedUtil util;
    QTemporaryDir dir;
};
} // namespace

TEST_F(GraphBinding, MarbleTakesItsColoursAndNoiseFromTheGraphInterface)
{
    Mtl* marble = importOne(example("standard_surface_marble_solid.mtlx"));
    ASSERT_NE(marble, nullptr);
    Texmap* mix = findMap(marble, "color_mix");
    ASSERT_NE(mix, nullptr);
    expectColour(block(mix, 1), "bg", 0.8f, 0.8f, 0.8f);
    expectColour(block(mix, 1), "fg", 0.1f, 0.1f, 0.3f);
    Texmap* power = findMap(marble, "power");
    ASSERT_NE(power, nullptr);
    EXPECT_FLOAT_EQ(floatOf(block(power, 1), "in2"), 3.0f);
}

TEST_F(GraphBinding, BrickTakesItsColoursAndTilingFromTheGraphInterface)
{
    Mtl* brick = importOne(example("standard_surface_brick_procedural.mtlx"));
    ASSERT_NE(brick, nullptr);
    Texmap* hsv = findMap(brick, "node_rgbtohsv_12");
    ASSERT_NE(hsv, nullptr);
    expectColour(block(hsv, 1), "in", 0.661876f, 0.19088f, 0.0f);
    Texmap* tiling = findMap(brick, "node_convert_1");
    ASSERT_NE(tiling, nullptr);
    EXPECT_FLOAT_EQ(floatOf(block(tiling, 1), "in"), 3.0f);
}

TEST_F(GraphBinding, AGraphInputConnectedOutsideTheGraphBecomesAMap)
{
    const std::string path = writeFile(dir.path(), "outside.mtlx", mtlx(R"(
  <constant name="shade" type="color3">
    <input name="value" type="color3" value="0.25, 0.5, 0.75" />
  </constant>
  <nodegraph name="G">
    <input name="tint" type="color3" nodename="shade" />
    <multiply name="scaled" type="color3">
      <input name="in1" type="color3" interfacename="tint" />
      <input name="in2" type="float" value="2" />
    </multiply>
    <output name="out" type="color3" nodename="scaled" />
  </nodegraph>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodegraph="G" output="out" />
  </standard_surface>
  <surfacematerial name="M" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="S" />
  </surfacematerial>
)"));
    Mtl* material = importOne(path);
    ASSERT_NE(material, nullptr);
    Texmap* scaled = findMap(material, "scaled");
    ASSERT_NE(scaled, nullptr);
    Texmap* shade = mapOf(block(scaled, 1), "in1_map");
    ASSERT_NE(shade, nullptr);
    EXPECT_EQ(nameOf(shade), "shade");
    expectColour(block(shade, 1), "value", 0.25f, 0.5f, 0.75f);
}

// A document, a graph and a node each setting a prefix; the nearest one counts.
class FilePrefix : public GraphBinding
{
  protected:
    std::string imageFileOf(const std::string& mapName)
    {
        writeFile(dir.path(), "doc/a.png", "png");
        writeFile(dir.path(), "graph/b.png", "png");
        writeFile(dir.path(), "node/c.png", "png");
        const std::string path = writeFile(dir.path(), "prefixed.mtlx", R"(<?xml version="1.0"?>
<materialx version="1.38" fileprefix="doc/">
  <image name="outer" type="color3">
    <input name="file" type="filename" value="a.png" />
  </image>
  <nodegraph name="G" fileprefix="graph/">
    <image name="inner" type="float">
      <input name="file" type="filename" value="b.png" />
    </image>
    <image name="own" type="float" fileprefix="node/">
      <input name="file" type="filename" value="c.png" />
    </image>
    <multiply name="both" type="float">
      <input name="in1" type="float" nodename="inner" />
      <input name="in2" type="float" nodename="own" />
    </multiply>
    <output name="out" type="float" nodename="both" />
  </nodegraph>
  <standard_surface name="S" type="surfaceshader">
    <input name="base_color" type="color3" nodename="outer" />
    <input name="specular_roughness" type="float" nodegraph="G" output="out" />
  </standard_surface>
  <surfacematerial name="M" type="material">
    <input name="surfaceshader" type="surfaceshader" nodename="S" />
  </surfacematerial>
</materialx>
)");
        Mtl* material = importOne(path);
        Texmap* map = material ? findMap(material, mapName) : nullptr;
        EXPECT_NE(map, nullptr) << mapName;
        return map ? textOf(block(map, 1), "file") : std::string();
    }

    std::string expected(const char* relative) const { return QDir(dir.path()).filePath(relative).toStdString(); }
};

TEST_F(FilePrefix, TheDocumentsPrefixAppliesToItsNodes)
{
    EXPECT_EQ(imageFileOf("outer"), expected("doc/a.png"));
}

TEST_F(FilePrefix, AGraphsPrefixReplacesTheDocuments)
{
    EXPECT_EQ(imageFileOf("inner"), expected("graph/b.png"));
}

TEST_F(FilePrefix, ANodesOwnPrefixReplacesItsGraphs)
{
    EXPECT_EQ(imageFileOf("own"), expected("node/c.png"));
}
} // namespace rozo::test
