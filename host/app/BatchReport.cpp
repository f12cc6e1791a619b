#include "BatchReport.h"

#include "Command.h"

#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace
{

constexpr std::size_t MESSAGES_SHOWN = 6;

std::string fileName(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

std::string cell(const std::string& text, int width, bool right)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, right ? "%*s" : "%-*s", width, text.c_str());
    return buf;
}

std::string result(const DocumentRun& r, Verdict v)
{
    switch (v)
    {
        case Verdict::Ok:
            return "ok";
        case Verdict::ExpectedFailure:
            return "expected failure";
        case Verdict::UnexpectedlyOk:
            return "UNEXPECTEDLY ok";
        case Verdict::Failed:
            break;
    }
    return r.fault.empty() ? "FAILED" : "FAILED (" + r.fault + ")";
}

} // namespace

bool FailureExpectations::expects(const std::string& document) const
{
    const QFileInfo info(QString::fromStdString(document));
    const std::string name = info.fileName().toStdString();
    const std::string stem = info.suffix() == QLatin1String("mtlx") ? info.completeBaseName().toStdString() : name;
    return std::any_of(names_.begin(), names_.end(), [&](const std::string& n) { return n == name || n == stem; });
}

std::vector<std::string> FailureExpectations::unmatched(const std::vector<std::string>& documents) const
{
    std::vector<std::string> missing;
    for (const std::string& n : names_)
    {
        const FailureExpectations one({ n });
        if (std::none_of(documents.begin(), documents.end(), [&](const std::string& d) { return one.expects(d); }))
            missing.push_back(n);
    }
    return missing;
}

Verdict verdict(const DocumentRun& run, const FailureExpectations& expectations)
{
    const bool expected = expectations.expects(run.input);
    if (!run.failed())
        return expected ? Verdict::UnexpectedlyOk : Verdict::Ok;
    return expected && run.fault.empty() ? Verdict::ExpectedFailure : Verdict::Failed;
}

void printBatchTable(const std::vector<DocumentRun>& runs, const FailureExpectations& expectations, std::ostream& out)
{
    int width = 8;
    for (const DocumentRun& r : runs)
        width = std::max(width, static_cast<int>(fileName(r.input).size()));
    auto row = [&](const std::string& name, const std::string& m, const std::string& maps, const std::string& msg,
                   const std::string& time, const std::string& result) {
        out << cell(name, width, false) << "  " << cell(m, 9, true) << "  " << cell(maps, 5, true) << "  "
            << cell(msg, 8, true) << "  " << cell(time, 9, true) << "  " << result << '\n';
    };
    row("document", "materials", "maps", "messages", "time", "result");
    int materials = 0, maps = 0, messages = 0, failed = 0, expectedFailures = 0;
    std::vector<const DocumentRun*> unexpectedlyOk;
    double total = 0.0;
    for (const DocumentRun& r : runs)
    {
        const Verdict v = verdict(r, expectations);
        row(fileName(r.input), std::to_string(r.materials), std::to_string(r.maps), std::to_string(r.messages.size()),
            secondsText(r.seconds), result(r, v));
        materials += r.materials;
        maps += r.maps;
        messages += static_cast<int>(r.messages.size());
        failed += r.failed() ? 1 : 0;
        expectedFailures += v == Verdict::ExpectedFailure ? 1 : 0;
        if (v == Verdict::UnexpectedlyOk)
            unexpectedlyOk.push_back(&r);
        total += r.seconds;
    }
    std::string summary =
        std::to_string(runs.size() - static_cast<std::size_t>(failed)) + " of " + std::to_string(runs.size()) + " ok";
    if (expectations.any())
        summary += ", " + std::to_string(expectedFailures) + (expectedFailures == 1 ? " expected failure" : " expected failures");
    if (!unexpectedlyOk.empty())
        summary += ", " + std::to_string(unexpectedlyOk.size()) + " UNEXPECTEDLY ok";
    row("total", std::to_string(materials), std::to_string(maps), std::to_string(messages), secondsText(total), summary);
    if (failed > 0)
    {
        out << "\nFailed (" << failed << " of " << runs.size() << "):\n";
        for (const DocumentRun& r : runs)
        {
            if (!r.failed())
                continue;
            out << "  " << r.input << (verdict(r, expectations) == Verdict::ExpectedFailure ? "  (expected)" : "") << '\n';
            if (!r.problem.empty())
                out << "    " << r.problem << '\n';
            // The first messages say what went wrong; the rest are usually more of the same.
            for (std::size_t k = 0; k < r.messages.size() && k < MESSAGES_SHOWN; ++k)
                out << "    " << r.messages[k] << '\n';
            if (r.messages.size() > MESSAGES_SHOWN)
                out << "    ... " << r.messages.size() - MESSAGES_SHOWN << " more\n";
        }
    }
    if (!unexpectedlyOk.empty())
    {
        out << "\nExpected to fail, but ok (" << unexpectedlyOk.size() << "):\n";
        for (const DocumentRun* r : unexpectedlyOk)
            out << "  " << r->input << '\n';
    }
}

int batchStatus(const std::vector<DocumentRun>& runs, const FailureExpectations& expectations)
{
    for (const DocumentRun& r : runs)
    {
        const Verdict v = verdict(r, expectations);
        if (v == Verdict::Failed || v == Verdict::UnexpectedlyOk)
            return ExitFailure;
    }
    return ExitOk;
}
