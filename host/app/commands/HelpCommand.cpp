#include "Command.h"
#include "CommandContext.h"
#include "CommandLine.h"

#include <ostream>

namespace
{

class HelpCommand : public DescribedCommand
{
  public:
    HelpCommand()
    {
        info_.name = "help";
        info_.arguments = "[COMMAND]";
        info_.summary = "show the help of norvane or of one command";
        info_.maxArguments = 1;
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
