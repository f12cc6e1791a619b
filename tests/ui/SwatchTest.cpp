// Swatches of materials and maps: what the shading shows, maps sampled from
// their files, and the cache drawing again exactly when the material changes.
#include "HostTest.h"

#include "Hold.h"
#include "OslMap.h"
#include "ParamBlock2.h"
#include "ParamAccess.h"
#include "SwatchCache.h"
#include "SwatchRenderer.h"

#include <QColor>
#include <QImage>

#include <cmath>
#include <limits>

namespace
{

constexpr int TEST_SWATCH_SIZE = 128;

int Sum(QRgb c)
{
    return qRed(c) + qGreen(c) + qBlue(c);
}

// The brightest pixel within the sphere's disc.
QRgb Highlight(const QImage& image)
{
    QRgb best = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
        {
            const int dx = x - image.width() / 2, dy = y - image.height() / 2;
            if (dx * dx + dy * dy < (image.width() * 2 / 5) * (image.width() * 2 / 5) && Sum(image.pixel(x, y)) > Sum(best))
                best = image.pixel(x, y);
        }
    return best;
}

} // namespace

class SwatchTest : public HostTest
{
  protected:
    void TearDown() override
    {
        Norvane::SwatchCache::Instance().Clear();
        HostTest::TearDown();
    }
    static void Set(Animatable* owner, const char* name, const QVariant& value)
    {
        ASSERT_TRUE(Norvane::SetParam(owner, name, value, 0)) << name;
    }
    static QVariantList Rgb(double r, double g, double b) { return { r, g, b }; }
    QRgb Centre(const QImage& image) const { return image.pixel(image.width() / 2, image.height() / 2); }
};

TEST_F(SwatchTest, RedDielectricIsRedInTheCentreAndLighterAtTheHighlight)
{
    Mtl* red = NewPhysical(L"Red");
    Set(red, "base_color", Rgb(0.8, 0.03, 0.03));
    Set(red, "roughness", 0.25);
    const QImage swatch = Norvane::RenderSwatch(red, TEST_SWATCH_SIZE);
    ASSERT_EQ(swatch.size(), QSize(TEST_SWATCH_SIZE, TEST_SWATCH_SIZE));
    const QRgb centre = Centre(swatch);
    EXPECT_GT(qRed(centre), 2 * qGreen(centre));
    EXPECT_GT(qRed(centre), 2 * qBlue(centre));
    // The dielectric's highlight is the light's colour over the red.
    const QRgb highlight = Highlight(swatch);
    EXPECT_GT(Sum(highlight), Sum(centre) + 60);
    EXPECT_GT(qGreen(highlight), qGreen(centre) + 40);
    red->DeleteThis();
}

TEST_F(SwatchTest, MetalTakesItsBaseColourIntoTheHighlight)
{
    Mtl* gold = NewPhysical(L"Gold");
    Set(gold, "base_color", Rgb(1.0, 0.7, 0.2));
    Set(gold, "metalness", 1.0);
    Set(gold, "roughness", 0.2);
    const QRgb highlight = Highlight(Norvane::RenderSwatch(gold, TEST_SWATCH_SIZE));
    EXPECT_GT(qRed(highlight), qBlue(highlight) + 50);
    EXPECT_GT(qGreen(highlight), qBlue(highlight) + 20);
    gold->DeleteThis();
}

TEST_F(SwatchTest, BitmapTextureShowsOnTheSphereAndOnItsPatch)
{
    QTemporaryDir dir;
    QImage checker(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checker.setPixel(x, y, ((x / 4 + y / 4) & 1) ? qRgb(230, 20, 20) : qRgb(20, 20, 230));
    const QString file = dir.filePath("checker.png");
    ASSERT_TRUE(checker.save(file));

    Mtl* m = NewPhysical(L"Checked");
    auto* bitmap = static_cast<BitmapTex*>(NewMap(BITMAP_CLASS_ID, L"Checker image"));
    bitmap->SetMapName(WStr::FromQString(file).data());
    Set(m, "base_color_map", Norvane::FromTarget(bitmap));
    auto countTinted = [](const QImage& image, bool red) {
        int n = 0;
        for (int y = 24; y < 104; y += 4)
            for (int x = 24; x < 104; x += 4)
            {
                const QRgb c = image.pixel(x, y);
                n += red ? qRed(c) > 2 * qBlue(c) + 20 : qBlue(c) > 2 * qRed(c) + 20;
            }
        return n;
    };
    const QImage sphere = Norvane::RenderSwatch(m, TEST_SWATCH_SIZE);
    EXPECT_GT(countTinted(sphere, true), 20);
    EXPECT_GT(countTinted(sphere, false), 20);
    // The patch shows the image upright: blue at its top left, red below.
    const QImage patch = Norvane::RenderSwatch(bitmap, TEST_SWATCH_SIZE);
    EXPECT_GT(qBlue(patch.pixel(16, 16)), 2 * qRed(patch.pixel(16, 16)));
    EXPECT_GT(qRed(patch.pixel(16, 112)), 2 * qBlue(patch.pixel(16, 112)));

    // A file that is not there leaves the texture out.
    bitmap->SetMapName(WStr::FromQString(dir.filePath("gone.png")).data());
    EXPECT_EQ(countTinted(Norvane::RenderSwatch(m, TEST_SWATCH_SIZE), false), 0);
    m->DeleteThis();
}

TEST_F(SwatchTest, ImageOslMapSamplesItsFileAndFallsBackToItsDefault)
{
    QTemporaryDir dir;
    QImage green(4, 4, QImage::Format_RGB32);
    green.fill(qRgb(20, 220, 20));
    const QString file = dir.filePath("green.png");
    ASSERT_TRUE(green.save(file));

    Texmap* image = NewMap(OSL_MAP_CLASS_ID, L"Image");
    IParamBlock2* code = image->GetParamBlock(Norvane::OslMap::CodeBlock);
    code->SetValue(Norvane::OslMap::CodeParam, 0,
                   WStr(L"shader mx_image_color3(string file = \"\" [[ string widget = \"filename\" ]],\n"
                        L"    color default1 = color(0.9, 0.1, 0.1), output color out = 0) { out = default1; }\n"));
    Set(image, "file", file);
    const QImage patch = Norvane::RenderSwatch(image, TEST_SWATCH_SIZE);
    EXPECT_GT(qGreen(patch.pixel(64, 64)), 2 * qRed(patch.pixel(64, 64)));

    // A file that is not there: the node's default colour, as the shader gives.
    Set(image, "file", dir.filePath("gone.png"));
    const QImage fallback = Norvane::RenderSwatch(image, TEST_SWATCH_SIZE);
    EXPECT_GT(qRed(fallback.pixel(64, 64)), 2 * qGreen(fallback.pixel(64, 64)));
    image->DeleteThis();
}

// Documents can carry any number: the swatch is still drawn, and black where
// a value makes no sense.
TEST_F(SwatchTest, NonFiniteValuesStillGiveAPicture)
{
    const double inf = std::numeric_limits<double>::infinity();
    Mtl* m = NewPhysical(L"Broken");
    Set(m, "base_color", Rgb(std::nan(""), 0.5, 0.5));
    Set(m, "roughness", inf);
    Texmap* checker = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    Set(m, "refl_color_map", Norvane::FromTarget(checker));
    if (auto* uv = dynamic_cast<StdUVGen*>(checker->GetTheUVGen()))
        uv->SetUScl(3e38f, 0);
    const QImage swatch = Norvane::RenderSwatch(m, TEST_SWATCH_SIZE);
    ASSERT_EQ(swatch.size(), QSize(TEST_SWATCH_SIZE, TEST_SWATCH_SIZE));
    EXPECT_EQ(qAlpha(Centre(swatch)), 255);
    m->DeleteThis();
}

TEST_F(SwatchTest, CacheDrawsAgainOnAnEditAndOnItsUndo)
{
    Norvane::SwatchCache& cache = Norvane::SwatchCache::Instance();
    Mtl* m = NewPhysical(L"Plastic");
    const QImage before = cache.Swatch(m, TEST_SWATCH_SIZE);
    const int renders = cache.Renders();
    EXPECT_EQ(cache.Swatch(m, TEST_SWATCH_SIZE), before);
    EXPECT_EQ(cache.Renders(), renders) << "an unchanged material is not drawn again";

    theHold.Begin();
    Set(m, "base_color", Rgb(0.1, 0.6, 0.1));
    theHold.Accept(L"Green");
    const QImage green = cache.Swatch(m, TEST_SWATCH_SIZE);
    EXPECT_EQ(cache.Renders(), renders + 1);
    EXPECT_NE(green, before);
    EXPECT_GT(qGreen(Centre(green)), qRed(Centre(green)));

    ASSERT_TRUE(host().Undo());
    EXPECT_EQ(cache.Swatch(m, TEST_SWATCH_SIZE), before);
    EXPECT_EQ(cache.Renders(), renders + 2);
    m->DeleteThis();
}

TEST_F(SwatchTest, EditOfAMapBelowTheMaterialRedrawsIt)
{
    Norvane::SwatchCache& cache = Norvane::SwatchCache::Instance();
    Mtl* m = NewPhysical();
    Texmap* checker = NewMap(Norvane::CHECKER_MAP_CLASS_ID);
    Set(m, "base_color_map", Norvane::FromTarget(checker));
    const QImage before = cache.Swatch(m, TEST_SWATCH_SIZE);
    Set(checker, "color2", Rgb(0.9, 0.1, 0.1));
    EXPECT_NE(cache.Swatch(m, TEST_SWATCH_SIZE), before);
    m->DeleteThis();
}
