// What the import of a translated model gives, against MaterialX's own OpenPBR
// translation graph evaluated apart from the import; and translated materials
// export as valid standard_surface documents.

#include "TranslationTestSupport.h"

#include "import/ConnectionResolution.h"
#include "import/ConstantFolding.h"
#include "import/SurfaceMapping.h"

namespace rozo::test
{
namespace
{
const char* const OPEN_PBR_TRANSLATION_GRAPH = "NG_open_pbr_surface_to_standard_surface";

std::vector<std::string> exampleNames(const QStringList& patterns)
{
    std::vector<std::string> names;
    for (const QString& name : QDir(MX139_EXAMPLES_DIR).entryList(patterns, QDir::Files, QDir::Name))
        names.push_back(QFileInfo(name).completeBaseName().toStdString());
    return names;
}

std::string nameOfParam(const ::testing::TestParamInfo<std::string>& info)
{
    return info.param;
}

// The translation graph alone, in a document of its own (doc, kept by the
// caller), with the example shader's values as its interface.
mx::NodeGraphPtr openPbrTranslation(const mx::NodePtr& shader, mx::DocumentPtr& doc)
{
    doc = mx::createDocument();
    mx::readFromXmlFile(doc, mx::FilePath((MX139_DIR + "/libraries/stdlib/stdlib_defs.mtlx").toStdString()));
    mx::DocumentPtr translation = mx::createDocument();
    mx::readFromXmlFile(
        translation,
        mx::FilePath((MX139_DIR + "/libraries/bxdf/translation/open_pbr_to_standard_surface.mtlx").toStdString()));
    doc->importLibrary(translation);
    mx::NodeGraphPtr graph = doc->getNodeGraph(OPEN_PBR_TRANSLATION_GRAPH);
    if (!graph)
        return nullptr;
    mx::NodeDefPtr nodeDef = graph->getNodeDef();
    for (const mx::InputPtr& input : shader->getInputs())
    {
        if (mx::InputPtr declared = nodeDef ? nodeDef->getInput(input->getName()) : nullptr)
            declared->setValueString(input->getValueString());
    }
    return graph;
}

// Folded values reach the document as text: equal to a few units in the sixth digit.
void expectClose(float imported, float evaluated)
{
    EXPECT_NEAR(imported, evaluated, 1e-5f * std::max(1.0f, std::fabs(evaluated)));
}

void expectParameter(IParamBlock2* b, const std::string& param, const mx::ValuePtr& value)
{
    SCOPED_TRACE(param);
    if (value->isA<float>())
        expectClose(floatOf(b, param), value->asA<float>());
    else if (value->isA<bool>())
        EXPECT_EQ(intOf(b, param), value->asA<bool>() ? 1 : 0);
    else if (value->isA<mx::Color3>())
    {
        const mx::Color3 c = value->asA<mx::Color3>();
        const AColor imported = colorOf(b, param);
        expectClose(imported.r, c[0]);
        expectClose(imported.g, c[1]);
        expectClose(imported.b, c[2]);
    }
    else
        ADD_FAILURE() << "unexpected type " << value->getTypeString();
}

class OpenPbrExample : public ::testing::TestWithParam<std::string>
{
};

TEST_P(OpenPbrExample, ImportGivesWhatTheTranslationGraphEvaluatesTo)
{
    const std::string path = mx139Example(GetParam());
    mx::DocumentPtr example = readDocument(path);
    ASSERT_EQ(example->getMaterialNodes().size(), 1u);
    const std::string shaderName = example->getMaterialNodes()[0]->getInput("surfaceshader")->getNodeName();
    mx::DocumentPtr translationDoc;
    mx::NodeGraphPtr graph = openPbrTranslation(example->getNode(shaderName), translationDoc);
    ASSERT_NE(graph, nullptr);

    TranslationUtil util;
    std::vector<Mtl*> materials;
    util.importMaterials(path, materials);
    ASSERT_EQ(materials.size(), 1u) << util.lastLog().text();
    EXPECT_EQ(util.lastLog().text(), "");
    IParamBlock2* b = block(materials[0]);

    size_t compared = 0;
    for (const mx::OutputPtr& output : graph->getOutputs())
    {
        const std::string inputName = output->getName().substr(0, output->getName().rfind("_out"));
        const std::string param = mapSurfaceInputName(inputName);
        if (!parameterId(b, param))
            continue;
        mx::ValuePtr value = evaluateConstantOutput(graph->getNode(output->getNodeName()));
        ASSERT_NE(value, nullptr) << output->getName();
        expectParameter(b, param, value);
        if (parameterId(b, mapSlotName(param)))
        {
            EXPECT_EQ(mapOf(b, mapSlotName(param)), nullptr) << param;
        }
        ++compared;
    }
    EXPECT_GE(compared, 20u);
}

INSTANTIATE_TEST_SUITE_P(Mx139, OpenPbrExample, ::testing::ValuesIn(exampleNames({ "open_pbr_*.mtlx" })), nameOfParam);

class TranslatedRoundTrip : public ::testing::TestWithParam<std::string>
{
  protected:
    QTemporaryDir dir;
};

TEST_P(TranslatedRoundTrip, ExportsValidStandardSurfaceDocuments)
{
    TranslationUtil util;
    std::vector<Mtl*> materials;
    util.importMaterials(mx139Example(GetParam()), materials);
    ASSERT_FALSE(materials.empty()) << util.lastLog().text();
    Tab<Mtl*> table;
    for (Mtl* material : materials)
        table.Append(1, &material);
    const QString out = dir.filePath("out.mtlx");
    ASSERT_TRUE(util.exportFile(WStr::FromQString(out), table)) << util.lastLog().text();

    mx::DocumentPtr written = readDocument(out.toStdString());
    written->importLibrary(util.settings().libraryDocument);
    std::string message;
    EXPECT_TRUE(written->validate(&message)) << message;
    const std::vector<mx::NodePtr> writtenMaterials = written->getMaterialNodes();
    ASSERT_EQ(writtenMaterials.size(), materials.size());
    for (const mx::NodePtr& material : writtenMaterials)
    {
        mx::NodePtr shader = written->getNode(material->getInput("surfaceshader")->getNodeName());
        ASSERT_NE(shader, nullptr);
        EXPECT_EQ(shader->getCategory(), "standard_surface");
    }

    // And read back, the same materials again, without a word.
    std::vector<Mtl*> again;
    EXPECT_TRUE(util.importMaterials(out.toStdString(), again)) << util.lastLog().text();
    EXPECT_EQ(again.size(), materials.size());
}

INSTANTIATE_TEST_SUITE_P(Mx139, TranslatedRoundTrip,
                         ::testing::ValuesIn(exampleNames({ "open_pbr_*.mtlx", "gltf_pbr_*.mtlx",
                                                            "usd_preview_surface_*.mtlx", "disney_principled_*.mtlx" })),
                         nameOfParam);
} // namespace
} // namespace rozo::test
