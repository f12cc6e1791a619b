#include "Command.h"
#include "CommandContext.h"
#include "CommandLine.h"

#include <ostream>

namespace
{

class HelpCommand : public Command
{
  public:
    const CommandInfo& info() const override
    {
        static const CommandInfo info = [] {
            CommandInfo i;
            i.name = "help";
            i.arguments = "[COMMAND]";
            i.summary = "show the help of norvane or of one command";
            i.maxArguments = 1;
            return i;
        }();
        return info;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        if (args.positional.empty())
        {
            printGeneralHelp(context.out());
            return ExitOk;
        }
        const Command* command = CommandRegistry::instance().find(args.positional[0]);
        if (!command)
        {
            context.error("unknown command '" + args.positional[0] + "'");
            return ExitUsage;
        }
        printCommandHelp(*command, context.out());
        return ExitOk;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(HelpCommand);
