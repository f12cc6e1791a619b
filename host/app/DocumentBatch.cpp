#include "DocumentBatch.h"

#include "BatchReport.h"
#include "CommandContext.h"
#include "DebugChannel.h"
#include "MaterialXCalls.h"
#include "WorkerPool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <sched.h>
#include <unistd.h>

#include <cmath>
#include <iostream>
#include <ostream>
#include <thread>

namespace
{

int coreCount()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

// The documents named by the arguments: files as given, folders by their *.mtlx in name order.
bool gatherDocuments(const std::vector<std::string>& inputs, std::vector<std::string>& files, CommandContext& context)
{
    for (const std::string& input : inputs)
    {
        const QFileInfo info(QString::fromStdString(input));
        if (info.isDir())
        {
            const QDir dir(info.filePath());
            for (const QString& name : dir.entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
                files.push_back(dir.filePath(name).toStdString());
        }
        else if (info.isFile())
        {
            files.push_back(input);
        }
        else
        {
            context.error(input + ": no such file or folder");
            return false;
        }
    }
    if (files.empty())
        context.error("no .mtlx documents found");
    return !files.empty();
}

bool parseJobs(const CommandArguments& args, int& jobs, CommandContext& context)
{
    jobs = coreCount();
    if (!args.has("--jobs"))
        return true;
    const QString text = QString::fromStdString(args.value("--jobs"));
    bool ok = false;
    jobs = text.toInt(&ok);
    if (ok && jobs >= 1)
        return true;
    context.error("--jobs takes a whole number of workers, at least 1, not '" + text.toStdString() + "'");
    return false;
}

bool parseTimeout(const CommandArguments& args, double& timeout, CommandContext& context)
{
    timeout = 0.0;
    if (!args.has("--timeout"))
        return true;
    const QString text = QString::fromStdString(args.value("--timeout"));
    bool ok = false;
    timeout = text.toDouble(&ok);
    if (ok && std::isfinite(timeout) && timeout > 0.0)
        return true;
    context.error("--timeout takes a number of seconds above 0, not '" + text.toStdString() + "'");
    return false;
}

std::vector<std::string> workerCommand(const CommandContext& context, DocumentWork work)
{
    std::vector<std::string> command = { QCoreApplication::applicationFilePath().toStdString(), "--plugins",
                                         context.pluginFolder() };
    if (Norvane::DebugChannel::Instance().Echo())
        command.push_back("--debug");
    command.push_back("batch-worker");
    command.push_back(work == DocumentWork::Import ? "import" : "roundtrip");
    return command;
}

DocumentRun lostRun(const WorkerReply& reply)
{
    DocumentRun r;
    r.fault = reply.fault;
    r.problem = reply.problem;
    r.seconds = reply.seconds;
    return r;
}

DocumentRun runFromReply(const WorkerReply& reply)
{
    if (!reply.answered)
        return lostRun(reply);
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(reply.line), &error);
    if (error.error == QJsonParseError::NoError && json.isObject())
        return documentRunFromJson(json.object());
    WorkerReply garbled = reply;
    garbled.fault = "bad answer";
    garbled.problem = "the worker answered something that is not a result: " + reply.line.substr(0, 200);
    return lostRun(garbled);
}

bool writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();)
    {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::vector<CommandOption> batchOptions()
{
    return { { "--jobs", "N", "with --batch: documents run at once, each by a worker process (default: the cores)" },
             { "--timeout", "S", "with --batch: a document that takes more than S seconds fails (default: no limit)" },
             { "--expect-failure", "NAME", "with --batch: the document NAME[.mtlx] is meant to fail (repeatable)" } };
}

CommandOption mtlxVersionOption()
{
    return { "--mtlx-version", "V",
             "the MaterialX version the export writes: 1.38, 1.39 or auto (the oldest that holds the document; "
             "the default)" };
}

bool parseMtlxVersion(const CommandArguments& args, std::string& version, CommandContext& context)
{
    version = args.value("--mtlx-version");
    if (!args.has("--mtlx-version") || version == "1.38" || version == "1.39" || version == "auto")
        return true;
    context.error("--mtlx-version takes 1.38, 1.39 or auto, not '" + version + "'");
    return false;
}

bool onlyWithBatch(CommandContext& context, const CommandArguments& args)
{
    for (const CommandOption& o : batchOptions())
    {
        if (!args.has(o.name))
            continue;
        context.error("option " + o.name + " goes only with --batch");
        return false;
    }
    return true;
}

int runDocumentBatch(CommandContext& context, const CommandArguments& args, DocumentWork work,
                     const std::vector<std::string>& inputs, const std::string& outDir)
{
    int jobs = 1;
    double timeout = 0.0;
    std::string version;
    if (!parseJobs(args, jobs, context) || !parseTimeout(args, timeout, context) ||
        !parseMtlxVersion(args, version, context))
        return ExitUsage;
    if (!MaterialXCalls::require(context))
        return ExitFailure;
    if (work == DocumentWork::RoundTrip && !QDir().mkpath(QString::fromStdString(outDir)))
    {
        context.error(outDir + ": cannot make the output folder");
        return ExitFailure;
    }
    std::vector<std::string> files;
    if (!gatherDocuments(inputs, files, context))
        return ExitFailure;
    const FailureExpectations expectations(args.values("--expect-failure"));
    const std::vector<std::string> unmatched = expectations.unmatched(files);
    for (const std::string& name : unmatched)
        context.error("--expect-failure " + name + ": no such document in the batch");
    if (!unmatched.empty())
        return ExitUsage;

    std::vector<std::string> requests;
    std::vector<DocumentRun> runs(files.size());
    for (std::size_t k = 0; k < files.size(); ++k)
    {
        runs[k].input = files[k];
        // Stays only if the pool itself broke down: never a silent "ok".
        runs[k].fault = "no answer";
        runs[k].problem = "the batch lost track of this document";
        if (work == DocumentWork::RoundTrip)
            runs[k].output = QDir(QString::fromStdString(outDir))
                                 .filePath(QFileInfo(QString::fromStdString(files[k])).fileName())
                                 .toStdString();
        requests.push_back(QJsonDocument(QJsonObject{ { "input", QString::fromStdString(runs[k].input) },
                                                      { "output", QString::fromStdString(runs[k].output) },
                                                      { "version", QString::fromStdString(version) } })
                               .toJson(QJsonDocument::Compact)
                               .toStdString());
    }
    WorkerPool pool(workerCommand(context, work), std::min<int>(jobs, static_cast<int>(files.size())), timeout);
    // Two documents of one name write one output: they take turns.
    std::vector<std::string> outputs;
    for (const DocumentRun& r : runs)
        outputs.push_back(r.output);
    pool.run(
        requests, outputs,
        [&](std::size_t k) {
            const QString name = QFileInfo(QString::fromStdString(files[k])).fileName();
            // Workers share this error output: the line goes out in one write so
            // that nothing a worker prints can land inside it.
            const std::string line = "[" + std::to_string(k + 1) + "/" + std::to_string(files.size()) + "] " + name.toStdString() + '\n';
            context.err().write(line.data(), static_cast<std::streamsize>(line.size()));
            context.err().flush();
        },
        [&](std::size_t k, const WorkerReply& reply) {
            DocumentRun r = runFromReply(reply);
            r.input = runs[k].input;
            r.output = runs[k].output;
            runs[k] = std::move(r);
        });
    printBatchTable(runs, expectations, context.out());
    return batchStatus(runs, expectations);
}

int serveDocumentBatch(CommandContext& context, DocumentWork work)
{
    // Replies go out on the channel that came in as the standard output; anything
    // else printed there (by a plug-in, say) goes to the error output instead.
    std::cout.flush();
    const int replies = dup(STDOUT_FILENO);
    if (replies < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
    {
        context.error("batch-worker: cannot set up its output");
        return ExitFailure;
    }
    context.setReportPluginProblems(false); // the batch has reported them already
    FPStaticInterface* fpi = MaterialXCalls::require(context);
    if (!fpi)
        return ExitFailure;
    MaterialXCalls calls(*fpi);
    std::string line;
    while (std::getline(std::cin, line))
    {
        const QJsonObject request = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string input = request["input"].toString().toStdString();
        const std::string output = request["output"].toString().toStdString();
        const std::string version = request["version"].toString().toStdString();
        const DocumentRun r = work == DocumentWork::Import ? importDocument(calls, input)
                                                           : roundTripDocument(calls, input, output, version);
        if (!writeAll(replies, QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact).toStdString() + '\n'))
            return ExitFailure;
    }
    close(replies);
    return ExitOk;
}
