#include "Command.h"
#include "CommandContext.h"
#include "HostCore.h"
#include "MaterialReport.h"
#include "MaterialXCalls.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <ostream>

namespace {

constexpr std::size_t kMessagesShown = 6;

// One document imported, exported and read back.
struct RoundTrip {
  std::string input, output;
  int materials = 0, maps = 0, readBack = 0;
  std::vector<std::string> messages;  // "import: ...", "export: ...", "read back: ..."
  std::string problem;                // a call that could not be made, or a lost material
  double seconds = 0.0;

  bool failed() const { return !problem.empty() || !messages.empty(); }
};

void collect(MaterialXCalls& calls, const char* step, RoundTrip& r) {
  for (const std::string& m : messageLines(calls.getError())) r.messages.push_back(std::string(step) + ": " + m);
}

RoundTrip roundTrip(MaterialXCalls& calls, const std::string& input, const std::string& output) {
  RoundTrip r;
  r.input = input;
  r.output = output;
  QElapsedTimer timer;
  timer.start();
  std::vector<Mtl*> materials;
  if (calls.importMtlX(input, materials, r.problem)) {
    collect(calls, "import", r);
    r.materials = static_cast<int>(materials.size());
    r.maps = countMaps(materials);
    bool clean = false;
    if (calls.exportMtlX(output, materials, clean, r.problem)) {
      collect(calls, "export", r);
      std::vector<Mtl*> again;
      if (calls.importMtlX(output, again, r.problem)) {
        collect(calls, "read back", r);
        r.readBack = static_cast<int>(again.size());
        if (r.readBack != r.materials)
          r.problem = "read back " + std::to_string(r.readBack) + " of " + std::to_string(r.materials) + " materials";
      }
    }
  }
  r.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  // Each document starts from an empty host, so earlier ones cost nothing later.
  Norvane::Host().NewScene();
  return r;
}

std::string cell(const std::string& text, int width, bool right) {
  char buf[512];
  std::snprintf(buf, sizeof buf, right ? "%*s" : "%-*s", width, text.c_str());
  return buf;
}

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f s", s);
  return buf;
}

void printTable(const std::vector<RoundTrip>& runs, std::ostream& out) {
  int width = 8;
  for (const RoundTrip& r : runs)
    width = std::max(width, static_cast<int>(QFileInfo(QString::fromStdString(r.input)).fileName().toUtf8().size()));
  auto row = [&](const std::string& name, const std::string& m, const std::string& maps, const std::string& msg,
                 const std::string& time, const std::string& result) {
    out << cell(name, width, false) << "  " << cell(m, 9, true) << "  " << cell(maps, 5, true) << "  "
        << cell(msg, 8, true) << "  " << cell(time, 9, true) << "  " << result << '\n';
  };
  row("document", "materials", "maps", "messages", "time", "result");
  int materials = 0, maps = 0, messages = 0, failed = 0;
  double total = 0.0;
  for (const RoundTrip& r : runs) {
    row(QFileInfo(QString::fromStdString(r.input)).fileName().toStdString(), std::to_string(r.materials),
        std::to_string(r.maps), std::to_string(r.messages.size()), seconds(r.seconds), r.failed() ? "FAILED" : "ok");
    materials += r.materials;
    maps += r.maps;
    messages += static_cast<int>(r.messages.size());
    failed += r.failed() ? 1 : 0;
    total += r.seconds;
  }
  row("total", std::to_string(materials), std::to_string(maps), std::to_string(messages), seconds(total),
      std::to_string(runs.size() - static_cast<std::size_t>(failed)) + " of " + std::to_string(runs.size()) + " ok");
  if (failed == 0) return;
  out << "\nFailed (" << failed << " of " << runs.size() << "):\n";
  for (const RoundTrip& r : runs) {
    if (!r.failed()) continue;
    out << "  " << r.input << '\n';
    if (!r.problem.empty()) out << "    " << r.problem << '\n';
    // The first messages say what went wrong; the rest are usually more of the same.
    for (std::size_t k = 0; k < r.messages.size() && k < kMessagesShown; ++k) out << "    " << r.messages[k] << '\n';
    if (r.messages.size() > kMessagesShown) out << "    ... " << r.messages.size() - kMessagesShown << " more\n";
  }
}

// The documents named by the arguments: files as given, folders by their *.mtlx in name order.
bool gatherDocuments(const std::vector<std::string>& inputs, std::vector<std::string>& files, CommandContext& context) {
  for (const std::string& input : inputs) {
    const QFileInfo info(QString::fromStdString(input));
    if (info.isDir()) {
      const QDir dir(info.filePath());
      for (const QString& name : dir.entryList({"*.mtlx"}, QDir::Files, QDir::Name))
        files.push_back(dir.filePath(name).toStdString());
    } else if (info.isFile()) {
      files.push_back(input);
    } else {
      context.error(input + ": no such file or folder");
      return false;
    }
  }
  if (files.empty()) context.error("no .mtlx documents found");
  return !files.empty();
}

class RoundtripCommand : public Command {
public:
  const CommandInfo& info() const override {
    static const CommandInfo info = [] {
      CommandInfo i;
      i.name = "roundtrip";
      i.aliases = {"--roundtrip"};
      i.arguments = "IN.mtlx OUT.mtlx | --batch INPUT... OUTDIR";
      i.summary = "import a MaterialX document, export its materials and read the result back";
      i.description =
          "Imports IN.mtlx, exports the new materials to OUT.mtlx and imports OUT.mtlx again,\n"
          "checking that every material comes back. With --batch, every INPUT (a document or\n"
          "a folder of *.mtlx documents) goes the same way into OUTDIR under its own file name,\n"
          "with a progress line per document on the error output, then a table of materials,\n"
          "maps, messages and time per document and a list of what failed. The exit status is\n"
          "1 when any run logged a message or lost a material.";
      i.options = {{"--batch", "", "run over many documents or folders into OUTDIR"}};
      i.minArguments = 2;
      i.maxArguments = -1;
      return i;
    }();
    return info;
  }

  int run(CommandContext& context, const CommandArguments& args) override {
    const bool batch = args.has("--batch");
    if (!batch && args.positional.size() != 2) {
      context.error("roundtrip takes IN.mtlx OUT.mtlx, or --batch INPUT... OUTDIR");
      return ExitUsage;
    }
    FPStaticInterface* fpi = MaterialXCalls::require(context);
    if (!fpi) return ExitFailure;
    MaterialXCalls calls(*fpi);
    if (!batch) {
      const RoundTrip r = roundTrip(calls, args.positional[0], args.positional[1]);
      context.out() << r.input << ": " << r.materials << " materials, " << r.maps << " maps -> " << r.output
                    << " (read back " << r.readBack << " materials), " << r.messages.size() << " messages, "
                    << seconds(r.seconds) << '\n';
      if (!r.problem.empty()) context.error(r.problem);
      for (const std::string& m : r.messages) context.err() << m << '\n';
      return r.failed() ? ExitFailure : ExitOk;
    }
    const std::string outDir = args.positional.back();
    if (!QDir().mkpath(QString::fromStdString(outDir))) {
      context.error(outDir + ": cannot make the output folder");
      return ExitFailure;
    }
    std::vector<std::string> files;
    if (!gatherDocuments({args.positional.begin(), args.positional.end() - 1}, files, context)) return ExitFailure;
    std::vector<RoundTrip> runs;
    for (std::size_t k = 0; k < files.size(); ++k) {
      const QString name = QFileInfo(QString::fromStdString(files[k])).fileName();
      context.err() << "[" << (k + 1) << "/" << files.size() << "] " << name.toStdString() << '\n' << std::flush;
      runs.push_back(roundTrip(calls, files[k], QDir(QString::fromStdString(outDir)).filePath(name).toStdString()));
    }
    printTable(runs, context.out());
    for (const RoundTrip& r : runs)
      if (r.failed()) return ExitFailure;
    return ExitOk;
  }
};

}  // namespace

NORVANE_REGISTER_COMMAND(RoundtripCommand);
