// `norvane import --swatches DIR`: one picture per imported material, named
// after it, and a folder that cannot be made reported as a failure.
#include "NorvaneRun.h"

#include <QDir>
#include <QImage>

class ImportSwatchesTest : public NorvaneTest
{
};

TEST_F(ImportSwatchesTest, WritesOnePictureOfEachMaterial)
{
    const NorvaneRun r =
        runNorvane({ "import", "--swatches", path("swatches"), example("standard_surface_look_brass_tiled.mtlx") });
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(QDir(path("swatches")).entryList(QDir::Files, QDir::Name),
              QStringList({ "Greysphere_Calibration.png", "Tiled_Brass.png" }));
    const QImage swatch(path("swatches/Greysphere_Calibration.png"));
    EXPECT_EQ(swatch.size(), QSize(128, 128));
}

TEST_F(ImportSwatchesTest, GoldIsDrawnGold)
{
    const NorvaneRun r = runNorvane({ "import", "--swatches", path("out"), example("standard_surface_gold.mtlx") });
    ASSERT_EQ(r.exitCode, 0) << show(r);
    const QImage swatch(path("out/Gold.png"));
    ASSERT_FALSE(swatch.isNull());
    const QRgb centre = swatch.pixel(64, 64);
    EXPECT_GT(qRed(centre), qBlue(centre) + 40);
}

TEST_F(ImportSwatchesTest, AFolderThatCannotBeMadeFails)
{
    QFile blocker(path("taken"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const NorvaneRun r = runNorvane({ "import", "--swatches", path("taken"), example("standard_surface_gold.mtlx") });
    EXPECT_NE(r.exitCode, 0) << show(r);
    EXPECT_TRUE(r.err.contains("cannot make the folder")) << show(r);
}
