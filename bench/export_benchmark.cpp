// Export of N Physical Materials with three Bitmaps each (base colour,
// roughness, bump), written to a temporary folder. The time per run should
// grow linearly with N.

#include "QtBenchmarkMain.h"
#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"
#include "plugin/MtlXIOUtil.h"

#include <LiveObjects.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

rozo::MtlXIOUtil& util()
{
    static rozo::MtlXIOUtil* instance = new rozo::MtlXIOUtil(mx::FilePath(ROZO_PLUGIN_MODULE));
    return *instance;
}

Texmap* bitmap(const std::string& file)
{
    // Every new Bitmap has the same name: export has to make them unique.
    auto* map = static_cast<BitmapTex*>(GetCOREInterface()->CreateInstance(TEXMAP_CLASS_ID, BITMAP_CLASS_ID));
    map->SetMapName(rozo::toWide(file).data());
    return map;
}

Tab<Mtl*> makeMaterials(int count)
{
    Tab<Mtl*> materials;
    for (int i = 0; i < count; ++i)
    {
        Mtl* m = rozo::createPhysicalMaterial();
        m->SetName(rozo::toWide("Material " + std::to_string(i)));
        const std::string stem = "/textures/m" + std::to_string(i);
        rozo::setTexmapByName(m->GetParamBlock(0), "base_color_map", bitmap(stem + "_albedo.png"));
        rozo::setTexmapByName(m->GetParamBlock(0), "roughness_map", bitmap(stem + "_rough.png"));
        rozo::setTexmapByName(m->GetParamBlock(0), "bump_map", bitmap(stem + "_height.png"));
        materials.Append(m);
    }
    return materials;
}

void exportMaterials(benchmark::State& state)
{
    rozo::MtlXIOUtil& u = util();
    const Tab<Mtl*> materials = makeMaterials(static_cast<int>(state.range(0)));
    QTemporaryDir folder;
    const WStr output = WStr::FromQString(folder.filePath("bench.mtlx"));
    for (auto _ : state)
        benchmark::DoNotOptimize(u.exportFile(output, materials));
    state.SetComplexityN(state.range(0));
    state.counters["materials/s"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    if (!u.lastLog().text().empty())
        state.SetLabel("log: " + u.lastLog().text().substr(0, 60));
    Norvane::LiveObjects::Instance().DeleteAll();
}
} // namespace

BENCHMARK(exportMaterials)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

int main(int argc, char** argv)
{
    return rozo::bench::runBenchmarksWithQt(argc, argv, [] { util(); });
}
