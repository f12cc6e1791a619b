#include "Command.h"
#include "CommandContext.h"
#include "HostCore.h"
#include "HostWindow.h"
#include "PluginLoader.h"

#include <QApplication>
#include <QString>

#include <memory>
#include <ostream>

namespace
{

// The utility shown when a screenshot is asked for.
const QString SCREENSHOT_UTILITY = QStringLiteral("MtlXIOUtil");

class GuiCommand : public DescribedCommand
{
  public:
    GuiCommand()
    {
        info_.name = "gui";
        info_.aliases = { "--gui" };
        info_.arguments = "[SCENE]";
        info_.summary = "open the host's window (scene, material editor, command panel)";
        info_.description =
            "Opens the host's window with the plug-ins loaded: the scene list with each node's\n"
            "material and position, the material editor's 24 slots and the command panel, where\n"
            "choosing a utility opens its rollup pages. File dialogs and warnings are Qt dialogs.\n"
            "With SCENE the scene file is loaded first. With --screenshot the window is rendered\n"
            "with the MaterialX utility open into FILE (PNG) and norvane quits.";
        info_.options = { { "--screenshot", "FILE", "render the window with the utility panel open into FILE and quit" } };
        info_.maxArguments = 1;
        info_.needsWidgets = true;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        PluginLoader& plugins = context.plugins();
        Norvane::HostCore& host = Norvane::Host();
        const bool screenshot = args.has("--screenshot");
        // A screenshot must never wait for an answer.
        if (!screenshot)
            host.SetDialogProvider(std::make_unique<Norvane::QtDialogProvider>());
        if (!args.positional.empty())
        {
            QString error;
            if (!host.LoadScene(QString::fromStdString(args.positional[0]), &error))
            {
                context.error(error.toStdString());
                return ExitFailure;
            }
        }

        auto window = std::make_unique<Norvane::HostWindow>(plugins);
        host.SetMainWindow(window.get());
        int status = ExitOk;
        if (screenshot)
        {
            const std::string file = args.value("--screenshot");
            if (!window->openUtility(SCREENSHOT_UTILITY))
            {
                context.error("no utility to show in the screenshot");
                status = ExitFailure;
            }
            else if (!window->saveScreenshot(QString::fromStdString(file)))
            {
                context.error("cannot write the screenshot " + file);
                status = ExitFailure;
            }
            else
            {
                context.out() << "Wrote " << file << " with " << window->openUtilityName().toStdString() << " open.\n";
            }
        }
        else
        {
            window->show();
            status = QApplication::exec();
        }
        window.reset();
        host.SetMainWindow(nullptr);
        return status;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(GuiCommand);
