// OSL maps from prepared shader files, and connected inputs of the shader:
// node graph routes, map slots, normal-map strengths, sharing and cycles.
// The install root is a temporary folder holding a few hand-written shaders
// for definitions the test documents declare themselves.

#include "ImportTestSupport.h"

namespace rozo::test
{
namespace
{
const std::string DEFINITIONS = R"(  <nodedef name="ND_probe_color3" node="probe">
    <input name="mix" type="float" value="0.5" />
    <input name="default" type="color3" value="0, 0, 0" />
    <input name="normal" type="vector3" value="0, 0, 1" />
    <input name="in" type="color3" value="0, 0, 0" />
    <output name="out" type="color3" />
  </nodedef>
  <nodedef name="ND_probe_vector3" node="probe">
    <input name="in" type="vector3" value="0, 0, 0" />
    <output name="out" type="vector3" />
  </nodedef>
  <nodedef name="ND_probe_float" node="probe">
    <input name="in" type="float" value="0" />
    <output name="out" type="float" />
  </nodedef>
  <nodedef name="ND_lost_float" node="lost">
    <input name="in" type="float" value="0" />
    <output name="out" type="float" />
  </nodedef>
)";

const std::string PROBE_COLOR3 = R"(// Shared types come from mx_funcs.h.
#include "mx_funcs.h"
shader mx_probe_color3 [[ string mtlx_node = "probe" ]]
(
    float mix1 = 0.5,
    color default1 = color(0, 0, 0),
    vector normal1 = vector(0, 0, 1),
    color in = color(0, 0, 0),
    output color out = color(0, 0, 0)
)
{
    out = mix(default1, in, mix1);
}
)";

std::string probeShader(const std::string& type, const std::string& oslType, const std::string& zero)
{
    return "#include \"mx_funcs.h\"\nshader mx_probe_" + type + " [[ string mtlx_node = \"probe\" ]]\n(\n    " +
           oslType + " in = " + zero + ",\n    output " + oslType + " out = " + zero + "\n)\n{\n    out = in;\n}\n";
}

std::string node(const std::string& category, const std::string& name, const std::string& type,
                 const std::string& inputs = "")
{
    return "  <" + category + " name=\"" + name + "\" type=\"" + type + "\">\n" + inputs + "  </" + category + ">\n";
}

std::string link(const std::string& input, const std::string& type, const std::string& nodeName,
                 const std::string& extra = "")
{
    return "    <input name=\"" + input + "\" type=\"" + type + "\" nodename=\"" + nodeName + "\"" + extra + " />\n";
}

std::string value(const std::string& input, const std::string& type, const std::string& text)
{
    return "    <input name=\"" + input + "\" type=\"" + type + "\" value=\"" + text + "\" />\n";
}

std::string shaderWithMaterial(const std::string& name, const std::string& inputs)
{
    return node("standard_surface", name + "_S", "surfaceshader", inputs) + "  <surfacematerial name=\"" + name +
           "\" type=\"material\">\n" + link("surfaceshader", "surfaceshader", name + "_S") + "  </surfacematerial>\n";
}

class PreparedShaders : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        util.settings().installRoot = mx::FilePath(root.path().toStdString());
        util.settings().usePrecompiledOsl = false;
        util.settings().fixedIncludePath = true;
        writeFile(root.path(), "osl/materialx/mx_funcs.h", "// shared functions and types\n");
        writeFile(root.path(), "osl/materialx/probe_color3.osl", PROBE_COLOR3);
        writeFile(root.path(), "osl/materialx/probe_vector3.osl", probeShader("vector3", "vector", "vector(0, 0, 0)"));
        writeFile(root.path(), "osl/materialx/probe_float.osl", probeShader("float", "float", "0"));
    }

    bool import(const std::string& body)
    {
        materials.clear();
        const std::string path = writeFile(docs.path(), "doc.mtlx", mtlx(DEFINITIONS + body));
        return util.importMaterials(path, materials);
    }
    IParamBlock2* params(size_t i = 0) { return i < materials.size() ? block(materials[i]) : nullptr; }
    std::string log() const { return util.lastLog().text(); }
    bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }
    std::string includePath() const { return root.path().toStdString() + "/osl/materialx/mx_funcs.h"; }

    StagedUtil util;
    QTemporaryDir root;
    QTemporaryDir docs;
    std::vector<Mtl*> materials;
};

TEST_F(PreparedShaders, TheDefinitionsFileBecomesTheMapsCodeWithTheIncludeMadeAbsolute)
{
    EXPECT_TRUE(import(node("probe", "p", "color3") + shaderWithMaterial("M", link("base_color", "color3", "p"))))
        << log();
    Texmap* map = mapOf(params(), "base_color_map");
    ASSERT_EQ(classOf(map), OSL_MAP_CLASS_ID);
    EXPECT_EQ(nameOf(map), "p");
    std::string expected = PROBE_COLOR3;
    for (size_t at = expected.find("mx_funcs.h"); at != std::string::npos; at = expected.find("mx_funcs.h", at))
    {
        expected.replace(at, 10, includePath());
        at += includePath().size();
    }
    EXPECT_EQ(textOf(block(map), "OSLCode"), expected);
    EXPECT_EQ(toUtf8(NorvaneSDK::OSL::IOSLMapInterface::Of(map)->GetShaderName()), "mx_probe_color3");
}

TEST_F(PreparedShaders, WithoutTheFixedIncludePathTheCodeIsUsedAsRead)
{
    util.settings().fixedIncludePath = false;
    import(node("probe", "p", "color3") + shaderWithMaterial("M", link("base_color", "color3", "p")));
    EXPECT_EQ(textOf(block(mapOf(params(), "base_color_map")), "OSLCode"), PROBE_COLOR3);
}

TEST_F(PreparedShaders, PrecompiledCodeKeepsTheShadersParameters)
{
    util.settings().usePrecompiledOsl = true;
    takeDebugText();
    EXPECT_TRUE(import(node("probe", "p", "color3", value("mix", "float", "0.3")) +
                       shaderWithMaterial("M", link("base_color", "color3", "p"))))
        << log();
    const std::string debug = takeDebugText();
    EXPECT_NE(debug.find("Name: mx_probe_color3\n  Par: mix1\n  Par: mix1_map\n  Par: default1\n"), std::string::npos)
        << debug;
    Texmap* map = mapOf(params(), "base_color_map");
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(textOf(block(map), "OSLCode").rfind("OpenShadingLanguage", 0), 0u);
    EXPECT_FLOAT_EQ(floatOf(block(map, 1), "mix1"), 0.3f);
}

TEST_F(PreparedShaders, ReservedInputNamesAreRenamedForValuesAndMaps)
{
    EXPECT_TRUE(import(node("probe", "v", "vector3") + node("probe", "q", "color3") +
                       node("probe", "p", "color3",
                            value("mix", "float", "0.3") + value("default", "color3", "0.1, 0.2, 0.3") +
                                link("normal", "vector3", "v") + link("in", "color3", "q")) +
                       shaderWithMaterial("M", link("base_color", "color3", "p"))))
        << log();
    IParamBlock2* shader = block(mapOf(params(), "base_color_map"), 1);
    ASSERT_NE(shader, nullptr);
    EXPECT_FLOAT_EQ(floatOf(shader, "mix1"), 0.3f);
    EXPECT_EQ(colorOf(shader, "default1"), AColor(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(nameOf(mapOf(shader, "normal1_map")), "v");
    EXPECT_EQ(nameOf(mapOf(shader, "in_map")), "q");
}

TEST_F(PreparedShaders, MissingFilesAndUnknownNodesLeaveEmptySlots)
{
    import(node("lost", "l", "float") + node("mystery", "x", "float") +
           node("probe", "p", "color3", link("mix", "float", "l")) +
           shaderWithMaterial("M", link("base", "float", "l", " value=\"0.4\"") +
                                       link("metalness", "float", "x") + link("specular", "float", "x") +
                                       link("base_color", "color3", "p")));
    EXPECT_EQ(log(), "No precompiled implementation for (runtime compile not implemented yet) lost\n"
                     "Unknown node mystery\nUnknown node mystery\n"
                     "No precompiled implementation for (runtime compile not implemented yet) lost\n");
    IParamBlock2* p = params();
    EXPECT_EQ(mapOf(p, "base_weight_map"), nullptr);
    // The slot was taken care of, so the input's own value is not written.
    EXPECT_FLOAT_EQ(floatOf(p, "base_weight"), 1.0f);
    EXPECT_EQ(mapOf(p, "metalness_map"), nullptr);
    IParamBlock2* shader = block(mapOf(p, "base_color_map"), 1);
    EXPECT_EQ(mapOf(shader, "mix1_map"), nullptr);
    EXPECT_FLOAT_EQ(floatOf(shader, "mix1"), 0.5f);
}

TEST_F(PreparedShaders, AMissingLinkedNodeKeepsTheParametersDefault)
{
    import(node("probe", "p", "color3", link("in", "color3", "ghost")) +
           shaderWithMaterial("M", link("base_color", "color3", "p")));
    EXPECT_TRUE(logHas("ERROR: Can't find linked node 'ghost'\n")) << log();
    EXPECT_EQ(mapOf(block(mapOf(params(), "base_color_map"), 1), "in_map"), nullptr);
}

TEST_F(PreparedShaders, MapsAreSharedWithinAMaterialAndNotAcross)
{
    EXPECT_TRUE(import(node("probe", "p", "color3") +
                       shaderWithMaterial("A", link("base_color", "color3", "p") + link("specular_color", "color3", "p")) +
                       shaderWithMaterial("B", link("base_color", "color3", "p"))))
        << log();
    ASSERT_EQ(materials.size(), 2u);
    Texmap* first = mapOf(params(0), "base_color_map");
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(mapOf(params(0), "refl_color_map"), first);
    EXPECT_NE(mapOf(params(1), "base_color_map"), first);
    EXPECT_EQ(nameOf(mapOf(params(1), "base_color_map")), "p");
}

TEST_F(PreparedShaders, CyclesOfOslNodesEndAtTheCachedMap)
{
    import(node("probe", "p", "color3", link("in", "color3", "q")) + node("probe", "q", "color3", link("in", "color3", "p")) +
           shaderWithMaterial("M", link("base_color", "color3", "p")));
    Texmap* p = mapOf(params(), "base_color_map");
    Texmap* q = mapOf(block(p, 1), "in_map");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(nameOf(q), "q");
    EXPECT_EQ(mapOf(block(q, 1), "in_map"), p);
    EXPECT_TRUE(logHas("ERROR: Cycle through node 'p'\n")) << log();
}

TEST_F(PreparedShaders, ANodeReachedTwiceWithoutALoopIsNoCycle)
{
    EXPECT_TRUE(import(node("probe", "shared", "color3") + node("probe", "left", "color3", link("in", "color3", "shared")) +
                       shaderWithMaterial("M", link("base_color", "color3", "left") +
                                                   link("specular_color", "color3", "shared"))))
        << log();
    EXPECT_EQ(log(), "");
}

TEST_F(PreparedShaders, CyclesOfNormalMapsAreReportedOnce)
{
    import(node("normalmap", "n1", "vector3", link("in", "vector3", "n2")) +
           node("normalmap", "n2", "vector3", link("in", "vector3", "n1")) +
           shaderWithMaterial("M", link("coat_normal", "vector3", "n1")));
    EXPECT_TRUE(logHas("ERROR: Cycle through node 'n1'\n")) << log();
    Texmap* outer = mapOf(params(), "coat_bump_map");
    ASSERT_EQ(classOf(outer), NORMAL_MAP_CLASS_ID);
    Texmap* inner = mapOf(block(outer), "normal_map");
    ASSERT_EQ(classOf(inner), NORMAL_MAP_CLASS_ID);
    EXPECT_EQ(mapOf(block(inner), "normal_map"), nullptr);
}

TEST_F(PreparedShaders, GraphOutputsLeadToTheGraphsNodes)
{
    const std::string graph = "  <nodegraph name=\"G\">\n" + node("probe", "inner", "color3") +
                              "    <output name=\"out\" type=\"color3\" nodename=\"inner\" />\n"
                              "    <output name=\"spare\" type=\"color3\" />\n  </nodegraph>\n";
    EXPECT_FALSE(import(graph + node("probe", "top", "color3") +
                        shaderWithMaterial("M", "    <input name=\"base_color\" type=\"color3\" nodegraph=\"G\" />\n"
                                                "    <input name=\"coat_color\" type=\"color3\" nodegraph=\"G\" "
                                                "nodename=\"top\" output=\"out\" />\n"
                                                "    <input name=\"emission_color\" type=\"color3\" nodegraph=\"G\" "
                                                "output=\"spare\" value=\"0.1, 0.2, 0.3\" />\n"
                                                "    <input name=\"sheen_color\" type=\"color3\" nodegraph=\"G\" "
                                                "output=\"nothing\" />\n")));
    IParamBlock2* p = params();
    EXPECT_EQ(nameOf(mapOf(p, "base_color_map")), "inner");
    EXPECT_EQ(nameOf(mapOf(p, "coat_color_map")), "inner");
    EXPECT_TRUE(logHas("ERROR - output has no nodename!\n")) << log();
    EXPECT_TRUE(logHas("ERROR - output not found!\n")) << log();
    EXPECT_FALSE(logHas("Node not found: top"));
    // A route that fails falls back to the input's value.
    EXPECT_EQ(colorOf(p, "emit_color"), AColor(0.1f, 0.2f, 0.3f, 1.0f));
}

TEST_F(PreparedShaders, NamesThatLeadNowhereFallBackToTheValue)
{
    const std::string graph = "  <nodegraph name=\"G\">\n    <output name=\"out\" type=\"color3\" />\n  </nodegraph>\n";
    import(graph + shaderWithMaterial("M", "    <input name=\"base_color\" type=\"color3\" nodegraph=\"NoGraph\" "
                                           "value=\"0.2, 0.3, 0.4\" />\n"
                                           "    <input name=\"coat_color\" type=\"color3\" nodename=\"G\" "
                                           "value=\"0.5, 0.6, 0.7\" />\n"));
    EXPECT_TRUE(logHas("ERROR - node graph not found!\n")) << log();
    EXPECT_TRUE(logHas("Node not found: G! \n")) << log();
    EXPECT_EQ(colorOf(params(), "base_color"), AColor(0.2f, 0.3f, 0.4f, 1.0f));
    EXPECT_EQ(colorOf(params(), "coat_color"), AColor(0.5f, 0.6f, 0.7f, 1.0f));
}

TEST_F(PreparedShaders, CoatRoughnessMapGoesToItsOwnSlotAndDisplacementToItsMap)
{
    EXPECT_TRUE(import(node("probe", "f", "float") +
                       "  <displacement name=\"D\" type=\"displacementshader\">\n" + link("displacement", "float", "f") +
                       value("scale", "float", "0.1") + "  </displacement>\n" +
                       node("standard_surface", "S", "surfaceshader", link("coat_roughness", "float", "f")) +
                       "  <surfacematerial name=\"M\" type=\"material\">\n" + link("surfaceshader", "surfaceshader", "S") +
                       link("displacementshader", "displacementshader", "D") + "  </surfacematerial>\n"))
        << log();
    IParamBlock2* p = params();
    EXPECT_EQ(nameOf(mapOf(p, "coat_rough_map")), "f");
    EXPECT_EQ(nameOf(mapOf(p, "displacement_map")), "f");
    EXPECT_FLOAT_EQ(floatOf(p, "displacement_map_amt"), 0.1f);
}

// Normal-map strengths become bump amounts.
class NormalStrength : public PreparedShaders
{
  protected:
    IParamBlock2* importNormal(const std::string& nodes, const std::string& normalInput = "normal")
    {
        import(nodes + shaderWithMaterial("M", link(normalInput, "vector3", "n", " value=\"1, 0, 0\"") +
                                                   value("base", "float", "0.4")));
        return params();
    }
};

TEST_F(NormalStrength, HeightToNormalMultipliesAndItsSourceTakesTheSlot)
{
    IParamBlock2* p = importNormal(node("probe", "h", "float") +
                                   node("heighttonormal", "h2n", "vector3", link("in", "float", "h") + value("scale", "float", "4")) +
                                   node("normalmap", "n", "vector3", link("in", "vector3", "h2n") + value("scale", "float", "0.5")));
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 2.0f);
    EXPECT_EQ(classOf(mapOf(p, "bump_map")), OSL_MAP_CLASS_ID);
    EXPECT_EQ(nameOf(mapOf(p, "bump_map")), "h");
    EXPECT_EQ(point3Of(p, "bump"), Point3(0.0f, 0.0f, 1.0f));
}

TEST_F(NormalStrength, ANormalMapHoldsTheMapOfItsSource)
{
    IParamBlock2* p = importNormal(node("probe", "v", "vector3") +
                                   node("normalmap", "n", "vector3", link("in", "vector3", "v") + value("scale", "float", "0.7")));
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 0.7f);
    Texmap* normalMap = mapOf(p, "bump_map");
    ASSERT_EQ(classOf(normalMap), NORMAL_MAP_CLASS_ID);
    EXPECT_EQ(nameOf(mapOf(block(normalMap), "normal_map")), "v");
}

TEST_F(NormalStrength, NothingOnTheNormalMapStillSetsItsStrength)
{
    IParamBlock2* p = importNormal(node("normalmap", "n", "vector3", value("scale", "float", "0.25")));
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 0.25f);
    Texmap* normalMap = mapOf(p, "bump_map");
    ASSERT_EQ(classOf(normalMap), NORMAL_MAP_CLASS_ID);
    EXPECT_EQ(mapOf(block(normalMap), "normal_map"), nullptr);
}

TEST_F(NormalStrength, NothingOnTheHeightToNormalLeavesTheSlotEmpty)
{
    IParamBlock2* p = importNormal(node("heighttonormal", "h2n", "vector3", value("scale", "float", "4")) +
                                   node("normalmap", "n", "vector3", link("in", "vector3", "h2n") + value("scale", "float", "0.5")));
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 2.0f);
    EXPECT_EQ(mapOf(p, "bump_map"), nullptr);
    EXPECT_EQ(point3Of(p, "bump"), Point3(0.0f, 0.0f, 1.0f));
}

TEST_F(NormalStrength, ADirectSourceKeepsTheFixedAmount)
{
    import(node("probe", "v", "vector3") + shaderWithMaterial("M", link("normal", "vector3", "v")));
    EXPECT_FLOAT_EQ(floatOf(params(), "bump_map_amt"), 1.0f);
    EXPECT_EQ(nameOf(mapOf(params(), "bump_map")), "v");
}

TEST_F(NormalStrength, CoatNormalUsesTheCoatAmountAndSlot)
{
    IParamBlock2* p = importNormal(node("normalmap", "n", "vector3", value("scale", "float", "0.5")), "coat_normal");
    EXPECT_FLOAT_EQ(floatOf(p, "coating_bump_map_amt"), 0.5f);
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 1.0f);
    EXPECT_EQ(classOf(mapOf(p, "coat_bump_map")), NORMAL_MAP_CLASS_ID);
}

TEST_F(NormalStrength, AScaleThatIsNotOneFloatLeavesTheStrength)
{
    IParamBlock2* p = importNormal(node("normalmap", "n", "vector3", value("scale", "vector2", "0.5, 0.5")));
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 1.0f);
    EXPECT_EQ(classOf(mapOf(p, "bump_map")), NORMAL_MAP_CLASS_ID);
}

TEST_F(NormalStrength, AnUnreadableScaleCostsOnlyItsInput)
{
    IParamBlock2* p = importNormal(node("normalmap", "n", "vector3", value("scale", "float", "abc")));
    EXPECT_FLOAT_EQ(floatOf(p, "base_weight"), 0.4f);
}
} // namespace
} // namespace rozo::test
