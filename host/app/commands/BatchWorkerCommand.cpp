#include "Command.h"
#include "CommandContext.h"
#include "DocumentBatch.h"

namespace
{

// What `import --batch` and `roundtrip --batch` start, one per job: not for people.
class BatchWorkerCommand : public Command
{
  public:
    const CommandInfo& info() const override
    {
        static const CommandInfo info = [] {
            CommandInfo i;
            i.name = "batch-worker";
            i.arguments = "import|roundtrip";
            i.summary = "run the documents of a batch that its standard input names (started by --batch)";
            i.description =
                "Reads one JSON request {\"input\": FILE, \"output\": FILE, \"version\": V} a line from the standard input,\n"
                "runs the document and answers with one JSON line of its result, until the input ends.";
            i.minArguments = 1;
            i.maxArguments = 1;
            i.hidden = true;
            return i;
        }();
        return info;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        const std::string& work = args.positional[0];
        if (work != "import" && work != "roundtrip")
        {
            context.error("batch-worker runs import or roundtrip, not '" + work + "'");
            return ExitUsage;
        }
        return serveDocumentBatch(context, work == "import" ? DocumentWork::Import : DocumentWork::RoundTrip);
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(BatchWorkerCommand);
