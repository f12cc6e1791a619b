// Import of OpenPBR documents, translated to standard_surface, against
// standard_surface documents of the same size: N materials made from the
// shared default material of each model, each with a base colour and specular
// roughness of its own, with the MaterialX 1.39 libraries.

#include "plugin/MtlXIOUtil.h"

#include <LiveObjects.h>

#include <MaterialXFormat/XmlIo.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{
const QString MX139_DIR = QStringLiteral(ROZO_MATERIALX_V139_DIR);
const QString STAGE_DIR = QStringLiteral(ROZO_STAGE_DIR);

// An install root with the 1.39 libraries, which define OpenPBR and its translation.
struct InstallRoot
{
    InstallRoot()
    {
        QDir root(dir.path());
        QFile::link(MX139_DIR + "/libraries", root.filePath("libraries"));
        QFile::link(STAGE_DIR + "/osl", root.filePath("osl"));
        QFile::link(STAGE_DIR + "/translation", root.filePath("translation"));
        root.mkpath("plugins");
        util = new rozo::MtlXIOUtil(mx::FilePath(root.filePath("plugins/module.dlu").toStdString()));
    }
    QTemporaryDir dir;
    rozo::MtlXIOUtil* util = nullptr;
};

InstallRoot& installRoot()
{
    static InstallRoot* root = new InstallRoot();
    return *root;
}

// N copies of the example's material and shader, each under names of its own.
std::string repeatedDocument(const std::string& example, int copies)
{
    mx::DocumentPtr source = mx::createDocument();
    mx::readFromXmlFile(source, mx::FilePath((MX139_DIR + "/examples/" + QString::fromStdString(example)).toStdString()));
    mx::NodePtr material = source->getMaterialNodes().front();
    mx::NodePtr shader = source->getNode(material->getInput("surfaceshader")->getNodeName());
    mx::DocumentPtr doc = mx::createDocument();
    for (int i = 0; i < copies; ++i)
    {
        const std::string suffix = "_" + std::to_string(i);
        mx::NodePtr shaderCopy = doc->addNode(shader->getCategory(), shader->getName() + suffix, shader->getType());
        shaderCopy->copyContentFrom(shader);
        mx::NodePtr materialCopy =
            doc->addNode(material->getCategory(), material->getName() + suffix, material->getType());
        materialCopy->copyContentFrom(material);
        materialCopy->getInput("surfaceshader")->setNodeName(shaderCopy->getName());
        materialCopy->removeInput("displacementshader");
        // Materials that differ, as in real documents: both models name these inputs alike.
        const float shade = static_cast<float>(i) / static_cast<float>(copies);
        if (mx::InputPtr color = shaderCopy->getInput("base_color"))
            color->setValueString(mx::toValueString(mx::Color3(0.2f + 0.6f * shade, 0.5f, 0.3f)));
        if (mx::InputPtr roughness = shaderCopy->getInput("specular_roughness"))
            roughness->setValueString(mx::toValueString(0.1f + 0.8f * shade));
    }
    return mx::writeToXmlString(doc);
}

void importDocument(benchmark::State& state, const std::string& example)
{
    InstallRoot& root = installRoot();
    const int copies = static_cast<int>(state.range(0));
    const QString path = root.dir.filePath(QString::fromStdString(example + std::to_string(copies)));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(QByteArray::fromStdString(repeatedDocument(example, copies)));
    }
    size_t materials = 0;
    for (auto _ : state)
    {
        std::vector<Mtl*> created;
        root.util->importMaterials(path.toStdString(), created);
        materials += created.size();
        state.PauseTiming();
        theHold.ClearHistory();
        Norvane::LiveObjects::Instance().DeleteAll();
        state.ResumeTiming();
    }
    state.counters["materials"] = benchmark::Counter(static_cast<double>(materials), benchmark::Counter::kAvgIterations);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    for (const char* example : { "standard_surface_default.mtlx", "open_pbr_default.mtlx" })
    {
        const std::string name = example;
        benchmark::RegisterBenchmark(("import/" + name).c_str(),
                                     [name](benchmark::State& state) { importDocument(state, name); })
            ->Arg(10)
            ->Arg(100)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
