#include "Command.h"
#include "CommandContext.h"
#include "DocumentBatch.h"
#include "HostCore.h"
#include "INode.h"
#include "MaterialReport.h"
#include "MaterialXCalls.h"
#include "MtlBase.h"
#include "Object.h"
#include "SwatchCache.h"
#include "Teapot.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <ostream>

namespace
{

// Saving keeps what the scene reaches: each material goes onto a teapot of its
// own, named after it, the teapots side by side.
bool saveWithNodes(const std::vector<Mtl*>& materials, const std::string& scene, CommandContext& context)
{
    Norvane::HostCore& host = Norvane::Host();
    float x = 0.0f;
    for (Mtl* m : materials)
    {
        auto* teapot = static_cast<Object*>(host.CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
        if (!teapot)
            continue;
        INode* node = host.CreateObjectNode(teapot, m->GetName().data());
        node->SetMtl(m);
        node->Move(0, Matrix3(), Point3(x, 0.0f, 0.0f));
        x += 50.0f;
    }
    QString error;
    if (!host.SaveScene(QString::fromStdString(scene), &error))
    {
        context.error(error.toStdString());
        return false;
    }
    return true;
}

// One PNG per material, named after it; names that clash or are not usable as
// file names get the material's position as well.
bool writeSwatches(const std::vector<Mtl*>& materials, const std::string& folder, CommandContext& context)
{
    QDir dir(QString::fromStdString(folder));
    if (!dir.mkpath(QStringLiteral(".")))
    {
        context.error("cannot make the folder " + folder);
        return false;
    }
    QStringList used;
    for (size_t i = 0; i < materials.size(); ++i)
    {
        QString name = materials[i]->GetName().ToQString();
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
        if (name.isEmpty() || name.startsWith('.') || used.contains(name))
            name += QStringLiteral("_%1").arg(i + 1);
        used << name;
        const QString file = dir.filePath(name + QStringLiteral(".png"));
        if (!Norvane::SwatchCache::Instance().Swatch(materials[i]).save(file, "PNG"))
        {
            context.error("cannot write the swatch " + file.toStdString());
            return false;
        }
    }
    return true;
}

class ImportCommand : public DescribedCommand
{
  public:
    ImportCommand()
    {
        info_.name = "import";
        info_.aliases = { "--import" };
        info_.arguments = "FILE.mtlx | --batch INPUT...";
        info_.summary = "import a MaterialX document and print the materials it makes";
        info_.description =
            "Imports FILE.mtlx through the plug-in's MaterialX.ImportMtlX and prints every new\n"
            "material with its parameters; a texture map appears below the parameter that holds\n"
            "it, with its own parameters. The messages of the import go to the error output,\n"
            "and the exit status is then 1. With --batch, every INPUT (a document or a folder\n"
            "of *.mtlx documents) is imported by worker processes, --jobs at once, with a\n"
            "progress line per document on the error output, then a table of materials, maps,\n"
            "messages and time per document and a list of what failed (see roundtrip --help).";
        info_.options = { { "--json", "", "print the materials and messages as JSON" },
                          { "--save", "SCENE", "put each material on a teapot of its own and save the scene to SCENE" },
                          { "--swatches", "DIR", "write a 128 x 128 swatch of each material to DIR/NAME.png" },
                          { "--batch", "", "import many documents or folders and print the summary table" } };
        for (const CommandOption& o : batchOptions())
            info_.options.push_back(o);
        info_.minArguments = 1;
        info_.maxArguments = -1;
    }

    int run(CommandContext& context, const CommandArguments& args) override
    {
        if (args.has("--batch"))
        {
            for (const char* single : { "--json", "--save", "--swatches" })
            {
                if (!args.has(single))
                    continue;
                context.error(std::string("option ") + single + " does not go with --batch");
                return ExitUsage;
            }
            return runDocumentBatch(context, args, DocumentWork::Import, args.positional);
        }
        if (args.positional.size() != 1)
        {
            context.error("import takes FILE.mtlx, or --batch INPUT...");
            return ExitUsage;
        }
        if (!onlyWithBatch(context, args))
            return ExitUsage;
        FPStaticInterface* fpi = MaterialXCalls::require(context);
        if (!fpi)
            return ExitFailure;
        MaterialXCalls calls(*fpi);
        const std::string& file = args.positional[0];
        std::vector<Mtl*> materials;
        std::string problem;
        if (!calls.importMtlX(file, materials, problem))
        {
            context.error(problem);
            return ExitFailure;
        }
        const std::vector<std::string> messages = messageLines(calls.getError());
        if (args.has("--json"))
        {
            QJsonObject report;
            report["file"] = QString::fromStdString(file);
            report["materials"] = materialsToJson(materials);
            QJsonArray lines;
            for (const std::string& m : messages)
                lines.append(QString::fromStdString(m));
            report["messages"] = lines;
            context.out() << QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString();
        }
        else
        {
            printMaterialTree(materials, context.out());
        }
        for (const std::string& m : messages)
            context.err() << file << ": " << m << '\n';
        if (args.has("--save") && !saveWithNodes(materials, args.value("--save"), context))
            return ExitFailure;
        if (args.has("--swatches") && !writeSwatches(materials, args.value("--swatches"), context))
            return ExitFailure;
        return messages.empty() ? ExitOk : ExitFailure;
    }
};

} // namespace

NORVANE_REGISTER_COMMAND(ImportCommand);
