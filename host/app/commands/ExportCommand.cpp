#include "Command.h"
#include "CommandContext.h"
#include "DocumentBatch.h"
#include "HostCore.h"
#include "INode.h"
#include "MaterialXCalls.h"

#include <QString>

#include <algorithm>
#include <ostream>

namespace
{

class ExportCommand : public DescribedCommand
{
  public:
    ExportCommand()
    {
        info_.name = "export";
        info_.aliases = { "--export" };
        info_.arguments = "SCENE OUT.mtlx";
        info_.summary = "export the materials of a saved scene to a MaterialX document";
        info_.description =
            "Loads SCENE and exports the materials of its nodes (each once) through the plug-in's\n"
            "MaterialX.ExportMtlX to OUT.mtlx. The messages of the export go to the error output,\n"
            "and the exit status is then 1.";
        info_.options = { { "--selected", "", "only the materials of the nodes selected in the scene" },
                          mtlxVersionOption() };
        info_.minArguments = 2;
        info_.maxArguments = 2;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        std::string version;
        if (!parseMtlxVersion(args, version, context))
            return ExitUsage;
        FPStaticInterface* fpi = MaterialXCalls::require(context);
        if (!fpi)
            return ExitFailure;
        Norvane::HostCore& host = Norvane::Host();
        QString error;
        if (!host.LoadScene(QString::fromStdString(args.positional[0]), &error))
        {
            context.error(error.toStdString());
            return ExitFailure;
        }
        const auto& nodes = args.has("--selected") ? host.GetScene().Selection() : host.GetScene().Nodes();
        std::vector<Mtl*> materials;
        for (INode* node : nodes)
            if (Mtl* m = node->GetMtl(); m && std::find(materials.begin(), materials.end(), m) == materials.end())
                materials.push_back(m);
        MaterialXCalls calls(*fpi);
        bool clean = false;
        std::string problem;
        const std::string& out = args.positional[1];
        if (!calls.exportMtlX(out, materials, clean, problem, version))
        {
            context.error(problem);
            return ExitFailure;
        }
        context.out() << "Exported " << materials.size() << (materials.size() == 1 ? " material" : " materials")
                      << " to " << out << '\n';
        for (const std::string& m : messageLines(calls.getError()))
            context.err() << out << ": " << m << '\n';
        return clean ? ExitOk : ExitFailure;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(ExportCommand);
