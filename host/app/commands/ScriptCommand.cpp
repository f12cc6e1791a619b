#include "Command.h"
#include "CommandContext.h"
#include "ScriptEngine.h"

#include <QJsonDocument>
#include <QString>

#include <ostream>

namespace
{

class ScriptCommand : public DescribedCommand
{
  public:
    ScriptCommand()
    {
        info_.name = "script";
        info_.aliases = { "--script" };
        info_.arguments = "FILE [ARGUMENTS...] | -e EXPRESSION";
        info_.summary = "run a JavaScript file or expression with the plug-ins loaded";
        info_.description =
            "Runs a script in the host's JavaScript engine. Every script interface the plug-ins\n"
            "publish is an object named after it:\n"
            "  MaterialX.ImportMtlX(file)            an array of the new materials\n"
            "  MaterialX.ExportMtlX(file, materials) true when nothing was logged\n"
            "  MaterialX.GetError()                  the messages of the last run\n"
            "The model is the object Norvane: createNode(name[, material]), nodes(), findNode(name),\n"
            "select(nodes[, add]), selection(), clearSelection(), deleteNode(node),\n"
            "createMaterial(class), createMap(class), classes([kind]), editorSlot(i),\n"
            "setEditorSlot(i, m), library(), addToLibrary(m), loadLibrary(file), saveLibrary(file),\n"
            "undo(), redo(), undoCount, redoCount, saveScene(file), loadScene(file), newScene(),\n"
            "lastError(), time. Materials, maps and nodes have name, kind, className, valid,\n"
            "get(parameter), set(parameter, value), params(); nodes also position,\n"
            "move(x, y, z), select([clear]), selected, getMaterial(), setMaterial(m).\n"
            "print(...) writes a line. The script's further arguments are in the array arguments.\n"
            "With -e the expression's value is printed unless it is undefined.\n"
            "The exit status is 1 when the script fails (the error goes to the error output).";
        info_.options = { { "-e", "EXPRESSION", "run EXPRESSION instead of a file" } };
        info_.maxArguments = -1;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        const bool expression = args.has("-e");
        if (!expression && args.positional.empty())
        {
            context.error("script needs a FILE or -e EXPRESSION");
            return ExitUsage;
        }
        context.plugins();
        ScriptEngine engine(context.out());
        engine.publishInterfaces();
        QJSValue arguments = engine.js().newArray();
        const std::size_t first = expression ? 0 : 1;
        for (std::size_t k = first; k < args.positional.size(); ++k)
            arguments.setProperty(static_cast<quint32>(k - first), QString::fromStdString(args.positional[k]));
        engine.js().globalObject().setProperty(QStringLiteral("arguments"), arguments);

        const ScriptEngine::Result r = expression ? engine.evaluate(QString::fromStdString(args.value("-e")))
                                                  : engine.evaluateFile(QString::fromStdString(args.positional[0]));
        if (!r.ok)
        {
            context.error(r.error.toStdString());
            return ExitFailure;
        }
        if (expression && !r.value.isUndefined())
            context.out() << display(engine, r.value) << '\n';
        return ExitOk;
    }

  private:
    static std::string display(ScriptEngine& engine, const QJSValue& v)
    {
        if (v.isArray() || (v.isObject() && !ScriptEngine::isHostObject(v) && !v.isCallable()))
        {
            const QJSValue text = engine.js().evaluate(QStringLiteral("(function (v) { return JSON.stringify(v); })")).call({ v });
            if (text.isString())
                return text.toString().toStdString();
        }
        return v.toString().toStdString();
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(ScriptCommand);
