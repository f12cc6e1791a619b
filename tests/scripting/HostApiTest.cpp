// The model's script API (object Norvane) and the script command itself.
#include "NorvaneRun.h"

namespace
{

class HostApiTest : public NorvaneTest
{
};

TEST_F(HostApiTest, MaterialsAndMapsByClassWithParametersByName)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material');\n"
        "var c = Norvane.createMap('Checker');\n"
        "print(m.kind, m.className, c.kind, c.className);\n"
        "m.set('roughness', 0.25); c.set('color1', [1, 0, 0, 1]);\n"
        "m.set('base_color_map', c);\n"
        "print(m.get('roughness'), JSON.stringify(c.get('color1')), m.get('base_color_map') === c);\n"
        "m.set('base_color_map', null);\n"
        "print(m.get('base_color_map'), m.params().indexOf('base_color') >= 0);\n"
        "try { m.set('no_such', 1); } catch (e) { print(e.message); }\n"
        "try { m.set('roughness', 'rough'); } catch (e) { print(e.message); }\n"
        "try { Norvane.createMaterial('Checker'); } catch (e) { print(e.message.split(' (')[0]); }\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out,
              "material Physical Material map Checker\n"
              "0.25 [1,0,0,1] true\n"
              "null true\n"
              "material \"Physical Material\" has no parameter \"no_such\"\n"
              "material \"Physical Material\": parameter \"roughness\" cannot take a string\n"
              "createMaterial: no material class named \"Checker\"\n");
}

TEST_F(HostApiTest, NodesSelectionMaterialAndPosition)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material'); m.name = 'Red';\n"
        "var a = Norvane.createNode('A', m), b = Norvane.createNode('B');\n"
        "b.position = [10, 20, 30]; b.move(1, 1, 1);\n"
        "print(Norvane.nodes().length, a.name, a.getMaterial().name, b.getMaterial(), JSON.stringify(b.position));\n"
        "Norvane.select([a, b]); print(Norvane.selection().length, a.selected);\n"
        "b.select(); print(Norvane.selection().length, a.selected, b.selected);\n"
        "Norvane.clearSelection(); print(Norvane.selection().length, Norvane.findNode('B') === b);\n"
        "b.setMaterial(m); print(b.getMaterial() === m);\n"
        "try { b.setMaterial(Norvane.createMap('Checker')); } catch (e) { print(e.message); }\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out,
              "2 A Red null [11,21,31]\n"
              "2 true\n"
              "1 false true\n"
              "0 true\n"
              "true\n"
              "setMaterial needs a material or null, not a map\n");
}

TEST_F(HostApiTest, UndoAndRedoTakeBackScriptSteps)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material');\n"
        "m.set('roughness', 0.5); m.set('roughness', 0.75);\n"
        "print(Norvane.undo(), m.get('roughness'));\n"
        "print(Norvane.redo(), m.get('roughness'));\n"
        "var n = Norvane.createNode('T', m); print(Norvane.nodes().length);\n"
        "Norvane.undo(); print(Norvane.nodes().length);\n"
        "Norvane.redo(); print(Norvane.nodes().length, Norvane.redo());\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "true 0.5\ntrue 0.75\n1\n0\n1 false\n");
}

TEST_F(HostApiTest, ImportIsOneUndoStep)
{
    const NorvaneRun r = script(
        "var before = Norvane.undoCount;\n"
        "var m = MaterialX.ImportMtlX('" +
        example("standard_surface_gold.mtlx") + "')[0];\n"
                                                "print(Norvane.undoCount - before, m.valid);\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "1 true\n");
}

TEST_F(HostApiTest, SlotsLibraryAndSceneFiles)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material'); m.name = 'Kept';\n"
        "Norvane.setEditorSlot(3, m); print(Norvane.editorSlot(3) === m, Norvane.editorSlot(4), Norvane.editorSlots);\n"
        "try { Norvane.editorSlot(99); } catch (e) { print(e.message); }\n"
        "Norvane.addToLibrary(m); print(Norvane.library().length, Norvane.saveLibrary('lib.json'));\n"
        "Norvane.createNode('Pot', m).move(5, 0, 0);\n"
        "print(Norvane.saveScene('scene.json'));\n"
        "Norvane.newScene(); print(Norvane.nodes().length);\n"
        "print(Norvane.loadScene('scene.json'), Norvane.nodes().length);\n"
        "var pot = Norvane.findNode('Pot');\n"
        "print(pot.getMaterial().name, JSON.stringify(pot.position), Norvane.editorSlot(3).name);\n"
        "print(Norvane.loadScene('missing.json'), Norvane.lastError().length > 0, Norvane.nodes().length);\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out,
              "true null 24\n"
              "editorSlot: slot 99 is not between 0 and 23\n"
              "1 true\n"
              "true\n"
              "0\n"
              "true 1\n"
              "Kept [5,0,0] Kept\n"
              "false true 1\n");
}

TEST_F(HostApiTest, ObjectsOfANewSceneAreGone)
{
    const NorvaneRun r = script(
        "var m = Norvane.createMaterial('Physical Material');\n"
        "Norvane.newScene(); print(m.valid);\n"
        "try { m.get('roughness'); } catch (e) { print(e.message); }\n");
    ASSERT_EQ(r.exitCode, 0) << show(r);
    EXPECT_EQ(r.out, "false\nthe host object was deleted\n");
}

class ScriptCommandTest : public NorvaneTest
{
};

TEST_F(ScriptCommandTest, ExpressionValueIsPrinted)
{
    EXPECT_EQ(runNorvane({ "script", "-e", "1 + 2" }).out, "3\n");
    EXPECT_EQ(runNorvane({ "script", "-e", "[1, 'a']" }).out, "[1,\"a\"]\n");
    EXPECT_EQ(runNorvane({ "script", "-e", "print('x')" }).out, "x\n");
}

TEST_F(ScriptCommandTest, ArgumentsReachTheScript)
{
    const NorvaneRun r = script("print(arguments.length);");
    EXPECT_EQ(r.out, "0\n");
    QFile f(path("args.js"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("print(arguments.join('|'));");
    f.close();
    EXPECT_EQ(runNorvane({ "script", path("args.js"), "one", "two" }).out, "one|two\n");
}

TEST_F(ScriptCommandTest, SyntaxErrorsAndMissingFilesFail)
{
    const NorvaneRun bad = runNorvane({ "script", "-e", "var = ;" });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("<expression>:1: SyntaxError")) << show(bad);
    const NorvaneRun missing = runNorvane({ "script", path("none.js") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("none.js: cannot read the script")) << show(missing);
    EXPECT_EQ(runNorvane({ "script" }).exitCode, 2);
}

TEST_F(ScriptCommandTest, EveryCommandHasHelp)
{
    for (const char* command : { "script", "import", "export", "roundtrip", "list-plugins", "help" })
    {
        const NorvaneRun r = runNorvane({ command, "--help" });
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_TRUE(r.out.contains(QString("norvane ") + command)) << command << "\n"
                                                                   << show(r);
    }
}

class ImportExportCommandTest : public NorvaneTest
{
};

TEST_F(ImportExportCommandTest, ImportSavesASceneThatExportReads)
{
    const NorvaneRun imported = runNorvane({ "import", "--save", path("scene.json"), example("standard_surface_gold.mtlx") });
    ASSERT_EQ(imported.exitCode, 0) << show(imported);
    EXPECT_TRUE(imported.out.startsWith("material \"Gold\" (Physical Material)\n")) << show(imported);
    EXPECT_TRUE(imported.out.contains("\n  metalness = 1\n")) << show(imported);

    const NorvaneRun exported = runNorvane({ "export", path("scene.json"), path("gold.mtlx") });
    ASSERT_EQ(exported.exitCode, 0) << show(exported);
    EXPECT_EQ(exported.out, "Exported 1 material to " + path("gold.mtlx") + "\n");
    const QString written = readText(path("gold.mtlx"));
    EXPECT_TRUE(written.contains("<surfacematerial name=\"Gold\"")) << written.toStdString();

    const NorvaneRun none = runNorvane({ "export", "--selected", path("scene.json"), path("none.mtlx") });
    EXPECT_EQ(none.out, "Exported 0 materials to " + path("none.mtlx") + "\n") << show(none);
}

TEST_F(ImportExportCommandTest, MessagesMakeTheExitStatusOne)
{
    const NorvaneRun missing = runNorvane({ "import", path("missing.mtlx") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, path("missing.mtlx") + ": File does not exist: '" + path("missing.mtlx") + "'\n");
    const NorvaneRun scene = runNorvane({ "export", path("no_scene.json"), path("out.mtlx") });
    EXPECT_EQ(scene.exitCode, 1);
    EXPECT_TRUE(scene.err.startsWith("norvane: ")) << show(scene);
    const NorvaneRun json = runNorvane({ "import", "--json", example("bad_unknown_node.mtlx") });
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_TRUE(json.out.contains("\"Unknown node mystery\"")) << show(json);
}

TEST_F(ImportExportCommandTest, RoundtripUsage)
{
    EXPECT_EQ(runNorvane({ "roundtrip", "a.mtlx" }).exitCode, 2);
    EXPECT_EQ(runNorvane({ "roundtrip", "a.mtlx", "b.mtlx", "c.mtlx" }).exitCode, 2);
    const NorvaneRun r = runNorvane({ "roundtrip", "--batch", path("nowhere"), path("out") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("nowhere: no such file or folder")) << show(r);
}

} // namespace
