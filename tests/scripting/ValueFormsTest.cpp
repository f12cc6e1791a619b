// Values in the forms people write them: colours of three components, and
// JSON numbers as short as the single-precision value allows.
#include "NorvaneRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class ValueFormsTest : public NorvaneTest
{
};

TEST_F(ValueFormsTest, ColourWithAlphaTakesThreeOrFourComponents)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material');\n"
        "m.set('base_color', [0.2, 0.4, 0.8]);\n"
        "print(JSON.stringify(m.get('base_color').map(function (x) { return Math.round(x * 100) / 100; })));\n"
        "m.set('base_color', [0.1, 0.2, 0.3, 0.5]);\n"
        "print(m.get('base_color')[3]);\n"
        "try { m.set('base_color', [0.1, 0.2]); } catch (e) { print('refused'); }\n");
    EXPECT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "[0.2,0.4,0.8,1]\n0.5\nrefused\n") << show(r);
}

TEST_F(ValueFormsTest, JsonPrintsEachFloatAsItsShortestText)
{
    const NorvaneRun r = runNorvane({ "import", "--json", example("standard_surface_gold.mtlx") });
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_FALSE(r.out.contains(QRegularExpression("\\d\\.\\d{9,}"))) << "float noise in\n"
                                                                      << r.out.toStdString();
    const QJsonObject gold = QJsonDocument::fromJson(r.out.toUtf8()).object()["materials"].toArray()[0].toObject();
    const QJsonArray colour = gold["parameters"].toObject()["base_color"].toArray();
    ASSERT_EQ(colour.size(), 4);
    EXPECT_EQ(static_cast<float>(colour[0].toDouble()), 0.944f);
}
