// End-to-end import of each shared example document (read, merge, validate,
// flatten, create the host materials and maps), with the libraries loaded once.

#include "plugin/MtlXIOUtil.h"

#include <LiveObjects.h>

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

namespace
{
rozo::MtlXIOUtil& util()
{
    static rozo::MtlXIOUtil* instance = new rozo::MtlXIOUtil(mx::FilePath(ROZO_PLUGIN_MODULE));
    return *instance;
}

void importDocument(benchmark::State& state, const std::string& path)
{
    rozo::MtlXIOUtil& u = util();
    size_t materials = 0;
    for (auto _ : state)
    {
        std::vector<Mtl*> created;
        u.importMaterials(path, created);
        materials += created.size();
        state.PauseTiming();
        // Each run leaves its materials, maps and undo step behind: drop them untimed.
        theHold.ClearHistory();
        Norvane::LiveObjects::Instance().DeleteAll();
        state.ResumeTiming();
    }
    state.counters["materials"] = benchmark::Counter(static_cast<double>(materials), benchmark::Counter::kAvgIterations);
    if (!u.lastLog().text().empty())
        state.SetLabel("log: " + u.lastLog().text().substr(0, 60));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir examples(QStringLiteral(ROZO_EXAMPLES_DIR));
    for (const QString& name : examples.entryList({ "standard_surface_*.mtlx" }, QDir::Files, QDir::Name))
    {
        const std::string path = examples.filePath(name).toStdString();
        benchmark::RegisterBenchmark(("import/" + name.toStdString()).c_str(),
                                     [path](benchmark::State& state) { importDocument(state, path); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
