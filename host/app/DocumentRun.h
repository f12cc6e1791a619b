#pragma once
// One document of a batch: imported, or imported, exported and read back,
// with what the run found. Workers send it to the batch as one JSON line.

#include <QJsonObject>

#include <string>
#include <vector>

class MaterialXCalls;

enum class DocumentWork
{
    Import,
    RoundTrip
};

struct DocumentRun
{
    std::string input, output; // output is empty for an import
    int materials = 0, maps = 0, readBack = 0;
    std::vector<std::string> messages; // "import: ...", "export: ...", "read back: ..." on a round trip
    std::string problem;               // a call that could not be made, a lost material, a lost worker
    std::string fault;                 // "crashed", "timed out": the worker gave no result
    double seconds = 0.0;

    bool failed() const { return !problem.empty() || !messages.empty() || !fault.empty(); }
};

// Runs one document; the host's scene is emptied afterwards, so each document
// starts from an empty host.
DocumentRun importDocument(MaterialXCalls& calls, const std::string& input);
// `version` goes to the export as its MaterialX version ("" for the plug-in's choice).
DocumentRun roundTripDocument(MaterialXCalls& calls, const std::string& input, const std::string& output,
                              const std::string& version = {});

// "1.234 s", as the summaries show a run's time.
std::string secondsText(double seconds);

QJsonObject toJson(const DocumentRun& run);
DocumentRun documentRunFromJson(const QJsonObject& json);
