#include "Generator.h"

#include "MxFuncs.h"
#include "ShaderCheck.h"
#include "ShaderWriter.h"

#include "plugin/contracts/AtomicFileWrite.h"
#include "plugin/contracts/OslNaming.h"

#include <filesystem>
#include <set>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace oslgen
{

namespace
{

// A build stopped halfway leaves every file either old or new, never cut
// short; a crash of the machine is answered by building again.
bool replaceFile(const fs::path& path, const std::string& text, std::string& error)
{
    if (rozo::writeFileAtomically(path.string(), text, {}, rozo::AtomicWriteDurability::Unsynced))
        return true;
    error = path.string() + ": cannot be written";
    return false;
}

// Shaders an earlier run wrote for definitions no longer covered would still be
// loaded; files this generator did not write are left alone.
void removeStaleShaders(const std::string& outputDir,
                        const std::vector<std::pair<std::string, std::string>>& written)
{
    std::set<std::string> kept;
    for (const auto& file : written)
        kept.insert(file.first);
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(outputDir, ec))
    {
        const fs::path& path = entry.path();
        if (path.extension() != ".osl" || kept.count(path.filename().string()))
            continue;
        std::ifstream in(path);
        std::string first, second;
        std::getline(in, first);
        std::getline(in, second);
        in.close();
        if (second.rfind(GENERATED_MARK, 0) == 0)
            fs::remove(path, ec);
    }
}

} // namespace

size_t GenerationReport::fallbackCount() const
{
    size_t n = 0;
    for (const ReportEntry& entry : covered)
        n += entry.fallback ? 1 : 0;
    return n;
}

size_t GenerationReport::skippedCount(CoverageKind kind) const
{
    size_t n = 0;
    for (const ReportEntry& entry : skipped)
        n += entry.kind == kind ? 1 : 0;
    return n;
}

std::string GenerationReport::summaryLine() const
{
    std::ostringstream os;
    os << "summary: " << covered.size() << " covered (" << fallbackCount()
       << " with fallback bodies), " << skipped.size() << " skipped ("
       << skippedCount(CoverageKind::ClosureOutput) << " closure or shader outputs, "
       << skippedCount(CoverageKind::ExpandedByGraph) << " expanded by node graphs, "
       << skippedCount(CoverageKind::OtherLibrary) << " outside stdlib and pbrlib, "
       << skippedCount(CoverageKind::UnsupportedType) << " unsupported types)";
    return os.str();
}

std::string GenerationReport::text() const
{
    std::ostringstream os;
    for (const ReportEntry& entry : covered)
    {
        if (entry.fallback)
            os << "fallback " << entry.definition << " -> " << entry.detail
               << ": no body for its category, outputs keep their defaults\n";
        else
            os << "covered  " << entry.definition << " -> " << entry.detail << "\n";
    }
    for (const ReportEntry& entry : skipped)
        os << "skipped  " << entry.definition << ": " << entry.detail << "\n";
    os << summaryLine() << "\n";
    return os.str();
}

std::optional<GenerationReport> generateShaders(const NodeLibrary& library,
                                                const std::string& outputDir, std::string& error)
{
    // Every text is made and checked before anything is written, so a broken body
    // entry fails the run without touching the output folder's shaders.
    const std::string funcs = mxFuncsHeader();
    const ShaderChecker checker(funcs);
    if (!checker.headerProblems().empty())
    {
        error = "mx_funcs.h: " + checker.headerProblems().front();
        return std::nullopt;
    }
    GenerationReport report;
    std::vector<std::pair<std::string, std::string>> files;
    for (const CoverageDecision& decision : decideCoverage(library))
    {
        const NodeDefinition& def = *decision.definition;
        if (decision.kind != CoverageKind::Covered)
        {
            report.skipped.push_back({ def.name, decision.reason, decision.kind, false });
            continue;
        }
        const ShaderText shader = writeShader(def);
        const std::string file = rozo::oslSourceFileName(def.name);
        const std::vector<std::string> problems = checker.check(shader.text);
        if (!problems.empty())
        {
            error = def.name + " (" + file + "): " + problems.front();
            return std::nullopt;
        }
        files.emplace_back(file, shader.text);
        report.covered.push_back({ def.name, file, CoverageKind::Covered, shader.fallback });
    }
    std::error_code ec;
    fs::create_directories(outputDir, ec);
    if (ec)
    {
        error = outputDir + ": cannot create the output folder (" + ec.message() + ")";
        return std::nullopt;
    }
    for (const auto& [file, text] : files)
    {
        if (!replaceFile(fs::path(outputDir) / file, text, error))
            return std::nullopt;
    }
    if (!replaceFile(fs::path(outputDir) / "mx_funcs.h", funcs, error))
        return std::nullopt;
    removeStaleShaders(outputDir, files);
    return report;
}

} // namespace oslgen
