// Every shared example document imports, and what it creates matches the
// document input by input: names, values, map slots and the maps' own inputs.

#include "ImportTestSupport.h"

#include "import/ImportRun.h"

#include "import/FileColorSpace.h"

#include "import/ConnectionResolution.h"
#include "plugin/contracts/OslNaming.h"
#include "import/SurfaceMapping.h"

#include <QDirIterator>
#include <QTextStream>

namespace rozo::test
{
namespace
{
std::vector<std::string> exampleNames(const QString& pattern)
{
    std::vector<std::string> names;
    QDir examples(QStringLiteral(ROZO_EXAMPLES_DIR));
    for (const QString& name : examples.entryList({ pattern }, QDir::Files, QDir::Name))
        names.push_back(QFileInfo(name).completeBaseName().toStdString());
    return names;
}

// Whether the reference dump of the document records a failed validation.
bool goldenValidationFails(const std::string& name)
{
    QFile dump(QStringLiteral(ROZO_GOLDEN_DIR) + "/" + QString::fromStdString(name) + ".dump");
    if (!dump.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString text = QString::fromUtf8(dump.readAll());
    return text.contains("\nvalidate fail") || text.contains("\npostflatten fail");
}

mx::NodePtr linked(const mx::ElementPtr& scope, const mx::InputPtr& input)
{
    return input && input->hasNodeName() ? scope->getChildOfType<mx::Node>(input->getNodeName()) : nullptr;
}

// Walks a document beside the host objects its import made.
class DocumentWalk
{
  public:
    void expectValue(IParamBlock2* b, const std::string& param, const mx::ValuePtr& value, const std::string& where)
    {
        SCOPED_TRACE(where + " -> " + param);
        if (!value || !parameterId(b, param))
            return;
        if (value->isA<int>())
            EXPECT_EQ(intOf(b, param), value->asA<int>());
        else if (value->isA<bool>())
            EXPECT_EQ(intOf(b, param), value->asA<bool>() ? 1 : 0);
        else if (value->isA<float>())
            EXPECT_FLOAT_EQ(floatOf(b, param), value->asA<float>());
        else if (value->isA<mx::Vector2>())
            EXPECT_EQ(point2Of(b, param), Point2(value->asA<mx::Vector2>()[0], value->asA<mx::Vector2>()[1]));
        else if (value->isA<mx::Color3>())
        {
            const mx::Color3 c = value->asA<mx::Color3>();
            EXPECT_EQ(colorOf(b, param), AColor(c[0], c[1], c[2], 1.0f));
        }
        else if (value->isA<mx::Vector3>())
        {
            const mx::Vector3 v = value->asA<mx::Vector3>();
            EXPECT_EQ(point3Of(b, param), Point3(v[0], v[1], v[2]));
        }
        else if (value->isA<mx::Color4>())
        {
            const mx::Color4 c = value->asA<mx::Color4>();
            EXPECT_EQ(colorOf(b, param), AColor(c[0], c[1], c[2], c[3]));
        }
        else if (value->isA<mx::Vector4>())
        {
            const mx::Vector4 v = value->asA<mx::Vector4>();
            EXPECT_EQ(point4Of(b, param), Point4(v[0], v[1], v[2], v[3]));
        }
        else if (value->isA<std::string>())
        {
            EXPECT_EQ(textOf(b, param), value->asA<std::string>());
        }
    }

    void expectMap(Texmap* map, const mx::ElementPtr& scope, const mx::NodePtr& node, int depth = 0)
    {
        SCOPED_TRACE("node " + node->getName());
        ASSERT_NE(map, nullptr);
        if (depth > 16)
            return;
        if (node->getCategory() == "normalmap")
        {
            EXPECT_EQ(classOf(map), NORMAL_MAP_CLASS_ID);
            if (mx::NodePtr upstream = linked(scope, node->getInput("in")))
                expectMap(mapOf(block(map), "normal_map"), scope, upstream, depth + 1);
            return;
        }
        EXPECT_EQ(classOf(map), OSL_MAP_CLASS_ID);
        if (const mx::InputPtr file = firstFileInput(node))
        {
            // A colour texture in another space than the working one reaches
            // its consumers through the transform to the working space.
            const std::string space = file->getActiveColorSpace();
            if (isColorType(node->getType()) && needsColorTransform(space))
            {
                EXPECT_EQ(toUtf8(oslShaderName(map)), "mx_" + space + "_to_lin_rec709_" + node->getType());
                map = mapOf(block(map, 1), "in_map");
                ASSERT_NE(map, nullptr);
            }
            EXPECT_EQ(textOf(block(map, 0), "ColorSpace"), space);
        }
        EXPECT_EQ(nameOf(map), node->getName());
        IParamBlock2* shader = block(map, 1);
        ASSERT_NE(shader, nullptr);
        for (const mx::InputPtr& nodeInput : node->getInputs())
        {
            // The graph's own input stands in for an input bound to it.
            mx::InputPtr input = nodeInput;
            mx::ElementPtr inputScope = scope;
            mx::InputPtr graphInput = nodeInput->getInterfaceInput();
            if (graphInput && (graphInput->hasValueString() || graphInput->hasNodeName()))
            {
                input = graphInput;
                inputScope = graphInput->getParent()->getParent();
            }
            const std::string param = OslParameterName(nodeInput->getName());
            mx::ValuePtr value = input->getValue();
            if (value && input->getType() == "filename")
                value = mx::Value::createValue(input->getResolvedValueString());
            if (mx::NodePtr upstream = linked(inputScope, input))
                expectMap(mapOf(shader, param + "_map"), inputScope, upstream, depth + 1);
            else
                expectValue(shader, param, value, node->getName() + "." + nodeInput->getName());
        }
    }

    // The connected shader input: its map slot, and the bump amount of a normal map.
    void expectConnection(IParamBlock2* p, const mx::ElementPtr& docScope, const mx::InputPtr& input,
                          const std::string& param)
    {
        mx::ElementPtr scope = docScope;
        std::string nodeName = input->getNodeName();
        if (input->hasAttribute("nodegraph"))
        {
            mx::NodeGraphPtr graph = docScope->getChildOfType<mx::NodeGraph>(input->getAttribute("nodegraph"));
            ASSERT_TRUE(graph);
            graph->flattenSubgraphs();
            const std::string output = input->getAttribute("output").empty() ? "out" : input->getAttribute("output");
            ASSERT_TRUE(graph->getOutput(output));
            nodeName = graph->getOutput(output)->getNodeName();
            scope = graph;
        }
        mx::NodePtr node = scope->getChildOfType<mx::Node>(nodeName);
        ASSERT_TRUE(node) << nodeName;
        Texmap* map = mapOf(p, mapSlotName(param));
        const std::string amount = input->getName() == "normal"        ? "bump_map_amt"
                                   : input->getName() == "coat_normal" ? "coating_bump_map_amt"
                                                                       : "";
        if (!amount.empty() && node->getCategory() == "normalmap")
        {
            float strength = scaleOf(node);
            mx::NodePtr feeding = linked(scope, node->getInput("in"));
            if (feeding && feeding->getCategory() == "heighttonormal")
            {
                strength *= scaleOf(feeding);
                node = linked(scope, feeding->getInput("in"));
            }
            EXPECT_FLOAT_EQ(floatOf(p, amount), strength);
            if (!node)
            {
                EXPECT_EQ(map, nullptr);
                return;
            }
        }
        expectMap(map, scope, node);
    }

  private:
    static float scaleOf(const mx::NodePtr& node)
    {
        mx::InputPtr scale = node->getInput("scale");
        mx::ValuePtr value = scale ? scale->getValue() : nullptr;
        return value && value->isA<float>() ? value->asA<float>() : 1.0f;
    }
};

class ExampleImport : public ::testing::TestWithParam<std::string>
{
  protected:
    std::string path() const { return std::string(ROZO_EXAMPLES_DIR) + "/" + GetParam() + ".mtlx"; }

    StagedUtil util;
};

TEST_P(ExampleImport, ImportsWithoutMessagesUnlessTheReferenceFailsValidation)
{
    std::vector<Mtl*> materials;
    const bool ok = util.importMaterials(path(), materials);
    const std::string log = util.lastLog().text();
    EXPECT_EQ(log.find("No precompiled implementation"), std::string::npos) << log;
    if (!goldenValidationFails(GetParam()))
    {
        EXPECT_EQ(log, "");
        EXPECT_TRUE(ok);
    }
    EXPECT_FALSE(materials.empty());
}

TEST_P(ExampleImport, MaterialsMatchTheDocumentSideBySide)
{
    std::vector<Mtl*> materials;
    util.importMaterials(path(), materials);
    mx::DocumentPtr doc = ImportRun(util.settings()).readImportDocument(path());

    DocumentWalk walk;
    size_t index = 0;
    for (const mx::NodePtr& materialNode : doc->getMaterialNodes())
    {
        mx::InputPtr surfaceInput = materialNode->getInput("surfaceshader");
        mx::NodePtr shader = surfaceInput ? doc->getNode(surfaceInput->getNodeName()) : nullptr;
        if (!shader || shader->getCategory() != "standard_surface")
            continue;
        ASSERT_LT(index, materials.size());
        Mtl* material = materials[index++];
        SCOPED_TRACE("material " + materialNode->getName());
        EXPECT_EQ(nameOf(material), materialNode->getName());
        IParamBlock2* p = block(material);
        ASSERT_NE(p, nullptr);

        for (const char* fixed : { "coat_affect_color", "coat_affect_roughness" })
        {
            if (!shader->getInput(fixed))
            {
                EXPECT_FLOAT_EQ(floatOf(p, fixed), 0.0f) << fixed;
            }
        }
        if (!shader->getInput("normal"))
        {
            EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 1.0f);
        }

        for (const mx::InputPtr& input : shader->getInputs())
        {
            const std::string param = mapSurfaceInputName(input->getName());
            if (input->hasNodeName() || input->hasAttribute("nodegraph"))
                walk.expectConnection(p, doc, input, param);
            else
                walk.expectValue(p, param, input->getValue(), shader->getName() + "." + input->getName());
        }
    }
    EXPECT_EQ(index, materials.size());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleImport, ::testing::ValuesIn(exampleNames("standard_surface_*.mtlx")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

using NormalAndDisplacementExample = UtilTest;

TEST_F(NormalAndDisplacementExample, HeightSourceGoesStraightOntoTheBumpSlot)
{
    std::vector<Mtl*> materials;
    EXPECT_TRUE(util.importMaterials(std::string(ROZO_EXAMPLES_DIR) + "/normals_disp.mtlx", materials))
        << util.lastLog().text();
    ASSERT_EQ(materials.size(), 1u);
    IParamBlock2* p = block(materials[0]);
    EXPECT_FLOAT_EQ(floatOf(p, "bump_map_amt"), 2.0f);
    EXPECT_EQ(nameOf(mapOf(p, "bump_map")), "height");
    EXPECT_EQ(classOf(mapOf(p, "bump_map")), OSL_MAP_CLASS_ID);
    EXPECT_FLOAT_EQ(floatOf(p, "displacement_map_amt"), 0.2f);
    EXPECT_EQ(nameOf(mapOf(p, "displacement_map")), "disp_img");
    EXPECT_FLOAT_EQ(floatOf(p, "coat_roughness"), 0.3f);
}
} // namespace
} // namespace rozo::test
