// The plug-in's "MaterialX" interface driven by norvane scripts.
#include "NorvaneRun.h"

namespace
{

class ScriptInterfaceTest : public NorvaneTest
{
  protected:
    // Lines a script printed, for scripts that print one result per line.
    QStringList lines(const NorvaneRun& r) { return r.out.split('\n', Qt::SkipEmptyParts); }

    QString gold() const { return example("standard_surface_gold.mtlx"); }
};

TEST_F(ScriptInterfaceTest, GetErrorIsEmptyBeforeAnyRun)
{
    const NorvaneRun r = script("print(JSON.stringify(MaterialX.GetError()));");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "\"\"\n");
}

TEST_F(ScriptInterfaceTest, MissingFileGivesAnEmptyArrayAndAMessageEndingInQuoteNewline)
{
    const NorvaneRun r = script(
        "var m = MaterialX.ImportMtlX('no_such.mtlx');\n"
        "print(Array.isArray(m), m.length);\n"
        "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "true 0", "\"File does not exist: 'no_such.mtlx'\\n\"" }));
}

TEST_F(ScriptInterfaceTest, TwoMissingFilesInARowGiveBothLines)
{
    const NorvaneRun r = script(
        "MaterialX.ImportMtlX('a.mtlx');\n"
        "MaterialX.ImportMtlX('b.mtlx');\n"
        "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "\"File does not exist: 'a.mtlx'\\nFile does not exist: 'b.mtlx'\\n\"\n");
}

TEST_F(ScriptInterfaceTest, ImportRunClearsTheMessagesOfEarlierCalls)
{
    const NorvaneRun r = script(
        "MaterialX.ImportMtlX('a.mtlx');\n"
        "var m = MaterialX.ImportMtlX('" +
        gold() + "');\n"
                 "print(m.length, JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "1 \"\"\n");
}

// The panel was never opened: the first script call makes the utility object,
// whose libraries must already be there for the shader to validate and map.
TEST_F(ScriptInterfaceTest, FirstCallCreatesTheUtilityObjectWithItsLibraries)
{
    const NorvaneRun r = script(
        "var m = MaterialX.ImportMtlX('" + gold() + "');\n"
                                                    "print(m.length, m[0].name, m[0].className, m[0].kind);\n"
                                                    "print(m[0].get('metalness'), JSON.stringify(m[0].get('base_color').slice(0, 3).map(function (x) { return x.toFixed(3); })));\n"
                                                    "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "1 Gold Physical Material material", "1 [\"0.944\",\"0.776\",\"0.373\"]", "\"\"" }));
}

TEST_F(ScriptInterfaceTest, DuplicatesInTheArrayAreExportedOnce)
{
    const NorvaneRun r = script(
        "var m = MaterialX.ImportMtlX('" + gold() + "');\n"
                                                    "print(MaterialX.ExportMtlX('twice.mtlx', [m[0], m[0], null]));\n"
                                                    "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "true", "\"\"" }));
    const QString written = readText(path("twice.mtlx"));
    EXPECT_EQ(written.count("<surfacematerial "), 1) << written.toStdString();
    EXPECT_EQ(written.count("<standard_surface "), 1) << written.toStdString();
    EXPECT_FALSE(written.contains("<xi:include"));
    EXPECT_FALSE(QFile::exists(path("twice.mtlx.tmp")));
}

// The earlier missing-file message is gone afterwards: the driver ran and cleared the log.
TEST_F(ScriptInterfaceTest, EmptyArrayStillRunsTheExport)
{
    const NorvaneRun r = script(
        "MaterialX.ImportMtlX('missing.mtlx');\n"
        "print(MaterialX.ExportMtlX('empty.mtlx', []));\n"
        "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "true", "\"\"" }));
    const QString written = readText(path("empty.mtlx"));
    EXPECT_TRUE(written.contains("<materialx")) << written.toStdString();
    EXPECT_FALSE(written.contains("<surfacematerial"));
}

TEST_F(ScriptInterfaceTest, ImportEditExportAndImportAgain)
{
    const NorvaneRun r = script(
        "var m = MaterialX.ImportMtlX('" + gold() + "')[0];\n"
                                                    "m.set('base_color', [0.25, 0.5, 0.75, 1]);\n"
                                                    "m.set('roughness', 0.5);\n"
                                                    "m.name = 'Edited Gold';\n"
                                                    "print(MaterialX.ExportMtlX('edited.mtlx', [m]), JSON.stringify(MaterialX.GetError()));\n"
                                                    "var back = MaterialX.ImportMtlX('edited.mtlx');\n"
                                                    "print(back.length, back[0].name, back[0] === m);\n"
                                                    "print(JSON.stringify(back[0].get('base_color')), back[0].get('roughness'), back[0].get('metalness'));\n"
                                                    "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "true \"\"", "1 Edited_Gold false", "[0.25,0.5,0.75,1] 0.5 1", "\"\"" }));
}

// The version argument chooses what the export writes; an unknown one is the
// run's message and nothing is written.
TEST_F(ScriptInterfaceTest, ExportTakesAVersion)
{
    const NorvaneRun r = script(
        "var m = MaterialX.ImportMtlX('" + gold() + "');\n"
                                                    "print(MaterialX.ExportMtlX('new.mtlx', m, '1.39'), JSON.stringify(MaterialX.GetError()));\n"
                                                    "print(MaterialX.ExportMtlX('old.mtlx', m, 'auto'), JSON.stringify(MaterialX.GetError()));\n"
                                                    "print(MaterialX.ExportMtlX('bad.mtlx', m, '2.0'), JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({ "true \"\"", "true \"\"",
                                      "false \"Unknown MaterialX version '2.0': use 1.38, 1.39 or auto\\n\"" }))
        << show(r);
    QFile written(path("new.mtlx"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("<materialx version=\"1.39\""));
    QFile old(path("old.mtlx"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_TRUE(old.readAll().contains("<materialx version=\"1.38\""));
    EXPECT_FALSE(QFile::exists(path("bad.mtlx")));
}

// Each bad call is a script error naming the function and the parameter; the
// script catches it and goes on, and nothing reaches the plug-in.
TEST_F(ScriptInterfaceTest, BadArgumentsAreScriptErrors)
{
    const NorvaneRun r = script(
        "function attempt(f) { try { f(); print('no error'); } catch (e) { print(e.message); } }\n"
        "attempt(function () { MaterialX.ImportMtlX(); });\n"
        "attempt(function () { MaterialX.ImportMtlX('a.mtlx', 'b.mtlx'); });\n"
        "attempt(function () { MaterialX.ImportMtlX(42); });\n"
        "attempt(function () { MaterialX.ExportMtlX('out.mtlx'); });\n"
        "attempt(function () { MaterialX.ExportMtlX('out.mtlx', 'materials'); });\n"
        "attempt(function () { MaterialX.ExportMtlX('out.mtlx', [1]); });\n"
        "attempt(function () { MaterialX.ExportMtlX(null, []); });\n"
        "attempt(function () { MaterialX.ExportMtlX('out.mtlx', [Norvane.createMap('Bitmap')]); });\n"
        "attempt(function () { MaterialX.GetError(1); });\n"
        "print(JSON.stringify(MaterialX.GetError()));\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(lines(r), QStringList({
                            "MaterialX.ImportMtlX takes 1 argument, 0 given",
                            "MaterialX.ImportMtlX takes 1 argument, 2 given",
                            "MaterialX.ImportMtlX: argument 1 \"filename\" must be a string, not a number",
                            "MaterialX.ExportMtlX takes 2 to 3 arguments, 1 given",
                            "MaterialX.ExportMtlX: argument 2 \"materials\" must be a material table (by reference), "
                            "not a string",
                            "MaterialX.ExportMtlX: argument 2 \"materials\" must be a material table (by reference): "
                            "element 0 is a number",
                            "MaterialX.ExportMtlX: argument 1 \"filename\" must be a string, not null",
                            "MaterialX.ExportMtlX: argument 2 \"materials\" must be a material table (by reference): "
                            "element 0 is a map",
                            "MaterialX.GetError takes 0 arguments, 1 given",
                            "\"\"",
                        }))
        << show(r);
    EXPECT_FALSE(QFile::exists(path("out.mtlx")));
}

TEST_F(ScriptInterfaceTest, UncaughtErrorEndsTheScriptWithItsPlace)
{
    const NorvaneRun r = script("print('before');\nMaterialX.ImportMtlX(1, 2);\nprint('after');\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_TRUE(r.err.contains("test.js:2: TypeError: MaterialX.ImportMtlX takes 1 argument, 2 given")) << show(r);
}

TEST_F(ScriptInterfaceTest, InterfaceFunctionsComeFromTheDescriptor)
{
    const NorvaneRun r = runNorvane({ "script", "-e", "Object.keys(MaterialX).join(',')" });
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "ImportMtlX,ExportMtlX,GetError\n");
    const NorvaneRun list = runNorvane({ "list-plugins" });
    EXPECT_TRUE(list.out.contains("  interface MaterialX  ID (0x5BEEFB9F, 0xF001F3F1)\n"
                                  "    1 ImportMtlX(filename: string) -> material table (by value)\n"
                                  "    2 ExportMtlX(filename: string, materials: material table (by reference)) -> boolean\n"
                                  "    3 GetError() -> string\n"))
        << show(list);
}

} // namespace
