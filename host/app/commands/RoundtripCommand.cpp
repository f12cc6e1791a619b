#include "Command.h"
#include "CommandContext.h"
#include "DocumentBatch.h"
#include "DocumentRun.h"
#include "MaterialXCalls.h"

#include <ostream>

namespace
{

class RoundtripCommand : public DescribedCommand
{
  public:
    RoundtripCommand()
    {
        info_.name = "roundtrip";
        info_.aliases = { "--roundtrip" };
        info_.arguments = "IN.mtlx OUT.mtlx | --batch INPUT... OUTDIR";
        info_.summary = "import a MaterialX document, export its materials and read the result back";
        info_.description =
            "Imports IN.mtlx, exports the new materials to OUT.mtlx and imports OUT.mtlx again,\n"
            "checking that every material comes back. With --batch, every INPUT (a document or\n"
            "a folder of *.mtlx documents) goes the same way into OUTDIR under its own file name,\n"
            "with a progress line per document on the error output, then a table of materials,\n"
            "maps, messages and time per document and a list of what failed. The exit status is\n"
            "1 when any run logged a message or lost a material. The documents run in worker\n"
            "processes, --jobs at once; a worker that crashes or overruns --timeout fails its\n"
            "document and the batch goes on. With --expect-failure, the exit status is 0 exactly\n"
            "when the named documents fail and all others pass.";
        info_.options = { { "--batch", "", "run over many documents or folders into OUTDIR" }, mtlxVersionOption() };
        for (const CommandOption& o : batchOptions())
            info_.options.push_back(o);
        info_.minArguments = 2;
        info_.maxArguments = -1;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        const bool batch = args.has("--batch");
        if (!batch && args.positional.size() != 2)
        {
            context.error("roundtrip takes IN.mtlx OUT.mtlx, or --batch INPUT... OUTDIR");
            return ExitUsage;
        }
        if (!batch && !onlyWithBatch(context, args))
            return ExitUsage;
        if (batch)
            return runDocumentBatch(context, args, DocumentWork::RoundTrip,
                                    { args.positional.begin(), args.positional.end() - 1 }, args.positional.back());
        std::string version;
        if (!parseMtlxVersion(args, version, context))
            return ExitUsage;
        FPStaticInterface* fpi = MaterialXCalls::require(context);
        if (!fpi)
            return ExitFailure;
        MaterialXCalls calls(*fpi);
        const DocumentRun r = roundTripDocument(calls, args.positional[0], args.positional[1], version);
        context.out() << r.input << ": " << r.materials << " materials, " << r.maps << " maps -> " << r.output
                      << " (read back " << r.readBack << " materials), " << r.messages.size() << " messages, "
                      << secondsText(r.seconds) << '\n';
        if (!r.problem.empty())
            context.error(r.problem);
        for (const std::string& m : r.messages)
            context.err() << m << '\n';
        return r.failed() ? ExitFailure : ExitOk;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(RoundtripCommand);
