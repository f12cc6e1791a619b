#include "Command.h"
#include "CommandContext.h"
#include "DocumentBatch.h"

namespace
{

// What `import --batch` and `roundtrip --batch` start, one per job: not for people.
class BatchWorkerCommand : public DescribedCommand
{
  public:
    BatchWorkerCommand()
    {
        info_.name = "batch-worker";
        info_.arguments = "import|roundtrip";
        info_.summary = "run the documents of a batch that its standard input names (started by --batch)";
        info_.description =
            "Reads one JSON request {\"input\": FILE, \"output\": FILE, \"version\": V} a line from the standard input,\n"
            "runs the document and answers with one JSON line of its result, until the input ends.";
        info_.minArguments = 1;
        info_.maxArguments = 1;
        info_.hidden = true;
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
