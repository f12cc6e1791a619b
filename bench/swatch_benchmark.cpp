// Drawing one 128 x 128 material swatch: a plain Physical Material, and one
// whose base colour and roughness come from a Bitmap (texture loaded once).
#include "BitmapMap.h"
#include "HostCore.h"
#include "ParamAccess.h"
#include "PhysicalMaterial.h"
#include "SwatchRenderer.h"

#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

Mtl* NewMaterial()
{
    auto* m = static_cast<Mtl*>(Norvane::Host().CreateInstance(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID));
    Norvane::SetParam(m, "base_color", QVariantList{ 0.8, 0.3, 0.1 }, 0);
    Norvane::SetParam(m, "roughness", 0.3, 0);
    Norvane::SetParam(m, "coating", 0.5, 0);
    return m;
}

void BM_PlainSwatch(benchmark::State& state)
{
    Mtl* m = NewMaterial();
    for (auto _ : state)
        benchmark::DoNotOptimize(Norvane::RenderSwatch(m, 128));
    m->DeleteThis();
}
BENCHMARK(BM_PlainSwatch)->Unit(benchmark::kMillisecond);

void BM_TexturedSwatch(benchmark::State& state)
{
    QTemporaryDir dir;
    QImage texture(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            texture.setPixel(x, y, qRgb(x, y, (x ^ y) & 255));
    const QString file = dir.filePath("texture.png");
    texture.save(file);
    Mtl* m = NewMaterial();
    auto* bitmap = static_cast<BitmapTex*>(Norvane::Host().CreateInstance(TEXMAP_CLASS_ID, BITMAP_CLASS_ID));
    bitmap->SetMapName(WStr::FromQString(file).data());
    Norvane::SetParam(m, "base_color_map", Norvane::FromTarget(bitmap), 0);
    Norvane::SetParam(m, "roughness_map", Norvane::FromTarget(bitmap), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(Norvane::RenderSwatch(m, 128));
    m->DeleteThis();
}
BENCHMARK(BM_TexturedSwatch)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
