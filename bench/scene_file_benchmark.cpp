// Saving and loading the stand-alone host's scene file with N imported
// materials (a standard_surface fed by three images each, so three OSL Maps
// and a Normal Map per material), each on a teapot of its own. The time per
// run should grow linearly with N.

#include "QtBenchmarkMain.h"
#include "LargeDocument.h"
#include "plugin/MtlXIOUtil.h"

#include <HostCore.h>
#include <Hold.h>
#include <INode.h>
#include <Teapot.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace
{
rozo::MtlXIOUtil& util()
{
    static rozo::MtlXIOUtil* instance = new rozo::MtlXIOUtil(mx::FilePath(ROZO_PLUGIN_MODULE));
    return *instance;
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// A saved scene of `count` materials, imported once per count.
QString sceneFile(int count)
{
    static std::map<int, QString> files;
    QString& file = files[count];
    if (!file.isEmpty())
        return file;
    Norvane::HostCore& host = Norvane::Host();
    host.NewScene();
    const std::string document = folder().filePath(QStringLiteral("materials%1.mtlx").arg(count)).toStdString();
    rozo::bench::writeLargeDocument(document, count);
    std::vector<Mtl*> materials;
    util().importMaterials(document, materials);
    float x = 0.0f;
    for (Mtl* m : materials)
    {
        auto* teapot = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
        INode* node = host.CreateObjectNode(teapot, m->GetName().data());
        node->SetMtl(m);
        node->Move(0, Matrix3(), Point3(x, 0.0f, 0.0f));
        x += 50.0f;
    }
    file = folder().filePath(QStringLiteral("scene%1.nvs").arg(count));
    host.SaveScene(file);
    theHold.ClearHistory();
    return file;
}

void report(benchmark::State& state)
{
    state.SetComplexityN(state.range(0));
    state.counters["materials/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

void saveScene(benchmark::State& state)
{
    Norvane::HostCore& host = Norvane::Host();
    QString error;
    if (!host.LoadScene(sceneFile(static_cast<int>(state.range(0))), &error))
        return state.SkipWithError(error.toStdString().c_str());
    const QString out = folder().filePath(QStringLiteral("saved.nvs"));
    for (auto _ : state)
        benchmark::DoNotOptimize(host.SaveScene(out));
    report(state);
}

// Into an empty scene: emptying the one the previous run left is not timed.
void loadScene(benchmark::State& state)
{
    Norvane::HostCore& host = Norvane::Host();
    const QString file = sceneFile(static_cast<int>(state.range(0)));
    QString error;
    if (!host.LoadScene(file, &error))
        return state.SkipWithError(error.toStdString().c_str());
    for (auto _ : state)
    {
        state.PauseTiming();
        host.NewScene();
        state.ResumeTiming();
        benchmark::DoNotOptimize(host.LoadScene(file));
    }
    report(state);
}
} // namespace

BENCHMARK(saveScene)->Arg(100)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(loadScene)->Arg(100)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

int main(int argc, char** argv)
{
    return rozo::bench::runBenchmarksWithQt(argc, argv, [] { util(); });
}
