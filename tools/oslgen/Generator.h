#pragma once
// Runs the whole generation: coverage, one shader file per covered definition, the
// shared include, and the report of what was covered and skipped.
#include "Coverage.h"
#include "NodeLibrary.h"

#include <optional>
#include <string>
#include <vector>

namespace oslgen
{

struct ReportEntry
{
    std::string definition;
    std::string detail; // file name when covered, the reason when skipped
    CoverageKind kind = CoverageKind::Covered;
    bool fallback = false;
};

struct GenerationReport
{
    std::vector<ReportEntry> covered;
    std::vector<ReportEntry> skipped;

    size_t fallbackCount() const;
    size_t skippedCount(CoverageKind kind) const;
    // "summary: N covered (F with fallback bodies), M skipped (...)"
    std::string summaryLine() const;
    // One line per definition, then the summary line.
    std::string text() const;
};

// Writes every covered shader and mx_funcs.h into `outputDir` (created when missing).
// Each shader is checked first (names, types; see ShaderCheck.h): a shader that fails
// stops the run before anything is written. Each file is written beside its final
// name and then renamed over it, so a failed run leaves no half-written shader. On
// failure returns nothing and sets `error`.
std::optional<GenerationReport> generateShaders(const NodeLibrary& library,
                                                const std::string& outputDir, std::string& error);

} // namespace oslgen
