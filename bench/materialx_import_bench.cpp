// Times the steps every import runs: loading the four standard library
// folders once, and per document read + merge libraries + validate +
// flatten + validate.
#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>
#include <MaterialXFormat/XmlIo.h>

#include "import/StandardLibraries.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <unordered_set>

namespace mx = MaterialX;

namespace
{

const mx::FilePath DATA_DIR(ROZO_MATERIALX_DATA_DIR);

// The library document as the plug-in builds it.
mx::DocumentPtr loadLibraries(const mx::FileSearchPath& searchPath)
{
    mx::DocumentPtr lib = rozo::loadLibraryFolders(rozo::standardLibraryFolders(), searchPath);
    rozo::pruneLibraryDocument(lib);
    return lib;
}

// The folder holding the installed "libraries" (MaterialX 1.39.5's unless configured otherwise).
mx::FileSearchPath librarySearchPath()
{
    mx::FileSearchPath searchPath;
    searchPath.append(mx::FilePath(ROZO_MATERIALX_LIBRARIES_DIR).getParentPath());
    return searchPath;
}

const mx::DocumentPtr& sharedLibrary()
{
    static const mx::DocumentPtr lib = loadLibraries(librarySearchPath());
    return lib;
}

// One import's document steps; false when the reader throws.
bool importDocument(const mx::FilePath& file, const mx::DocumentPtr& lib, const mx::FileSearchPath& searchPath)
{
    mx::DocumentPtr doc = mx::createDocument();
    mx::XmlReadOptions opts;
    try
    {
        mx::readFromXmlFile(doc, file, searchPath, &opts);
    }
    catch (const mx::Exception&)
    {
        return false;
    }
    rozo::removeStandardSurfaceGraphs(doc);
    doc->importLibrary(lib);
    rozo::removeStandardSurfaceGraphs(doc);
    std::string message;
    benchmark::DoNotOptimize(doc->validate(&message));
    doc->flattenSubgraphs();
    message.clear();
    benchmark::DoNotOptimize(doc->validate(&message));
    benchmark::DoNotOptimize(doc->getMaterialNodes().size());
    return true;
}

std::vector<mx::FilePath> exampleDocuments()
{
    const mx::FilePath dir = DATA_DIR / "examples";
    std::vector<mx::FilePath> files;
    for (const mx::FilePath& name : dir.getFilesInDirectory("mtlx"))
        files.push_back(dir / name);
    std::sort(files.begin(), files.end(),
              [](const mx::FilePath& a, const mx::FilePath& b) { return a.getBaseName() < b.getBaseName(); });
    return files;
}

void BM_LoadLibraries(benchmark::State& state)
{
    const mx::FileSearchPath searchPath = librarySearchPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(loadLibraries(searchPath));
}

void BM_ImportDocument(benchmark::State& state, const mx::FilePath& file)
{
    const mx::DocumentPtr& lib = sharedLibrary();
    const mx::FileSearchPath searchPath = librarySearchPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(importDocument(file, lib, searchPath));
}

// Every example in one run; the counter gives the time per document and
// the number of documents the reader rejected (the malformed one).
void BM_ImportAllExamples(benchmark::State& state)
{
    const mx::DocumentPtr& lib = sharedLibrary();
    const mx::FileSearchPath searchPath = librarySearchPath();
    const std::vector<mx::FilePath> files = exampleDocuments();
    int64_t rejected = 0;
    for (auto _ : state)
    {
        rejected = 0;
        for (const mx::FilePath& file : files)
            rejected += importDocument(file, lib, searchPath) ? 0 : 1;
    }
    state.counters["documents"] = double(files.size());
    state.counters["read_errors"] = double(rejected);
    state.counters["per_document"] = benchmark::Counter(double(files.size()),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

// Reading one document written as 1.38, which the reader upgrades, and the
// same document written as 1.39, which it must take as it is.
void BM_ReadVersion(benchmark::State& state, const char* version)
{
    std::ifstream in((DATA_DIR / "examples" / "standard_surface_brass_tiled.mtlx").asString());
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string written = "version=\"1.38\"";
    const size_t at = xml.find(written);
    if (at == std::string::npos)
    {
        state.SkipWithError("the example is not a 1.38 document");
        return;
    }
    xml.replace(at, written.size(), std::string("version=\"") + version + "\"");
    for (auto _ : state)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, xml);
        benchmark::DoNotOptimize(doc);
    }
}

std::string mtlxText(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n" + body + "</materialx>\n";
}

// One element with state.range(0) attributes.
void BM_ReadManyAttributes(benchmark::State& state)
{
    std::string attributes;
    for (int64_t i = 0; i < state.range(0); ++i)
        attributes += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    const std::string xml = mtlxText("  <generic name=\"g\"" + attributes + " />\n");
    for (auto _ : state)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, xml);
        benchmark::DoNotOptimize(doc);
    }
}

// state.range(0) unnamed elements.
void BM_ReadUnnamedElements(benchmark::State& state)
{
    std::string body;
    for (int64_t i = 0; i < state.range(0); ++i)
        body += "  <nodegraph />\n";
    const std::string xml = mtlxText(body);
    for (auto _ : state)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, xml);
        benchmark::DoNotOptimize(doc);
    }
}

// state.range(0) levels of two files, each including both files of the next level.
void BM_ReadIncludeFanOut(benchmark::State& state)
{
    const int levels = int(state.range(0));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "mx_bench_fanout";
    std::filesystem::create_directories(dir);
    for (int level = 0; level < levels; ++level)
        for (int side = 0; side < 2; ++side)
        {
            std::string body;
            if (level + 1 < levels)
                for (int next = 0; next < 2; ++next)
                    body += "  <xi:include href=\"f" + std::to_string(level + 1) + "_" + std::to_string(next) + ".mtlx\" />\n";
            body += "  <nodedef name=\"ND_" + std::to_string(level) + "_" + std::to_string(side) + "\" node=\"n\" />\n";
            std::ofstream(dir / ("f" + std::to_string(level) + "_" + std::to_string(side) + ".mtlx")) << mtlxText(body);
        }
    std::ofstream(dir / "main.mtlx") << mtlxText("  <xi:include href=\"f0_0.mtlx\" />\n  <xi:include href=\"f0_1.mtlx\" />\n");
    for (auto _ : state)
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlFile(doc, (dir / "main.mtlx").string());
        benchmark::DoNotOptimize(doc);
    }
    state.counters["files"] = double(2 * levels);
    std::filesystem::remove_all(dir);
}

} // anonymous namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RegisterBenchmark("LoadLibraries", BM_LoadLibraries)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadManyAttributes", BM_ReadManyAttributes)->Arg(100000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadUnnamedElements", BM_ReadUnnamedElements)->Arg(40000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadIncludeFanOut", BM_ReadIncludeFanOut)->Arg(8)->Arg(13)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ImportAllExamples", BM_ImportAllExamples)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadVersion/1.38", BM_ReadVersion, "1.38")->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("ReadVersion/1.39", BM_ReadVersion, "1.39")->Unit(benchmark::kMicrosecond);
    for (const mx::FilePath& file : exampleDocuments())
        benchmark::RegisterBenchmark(("Import/" + file.getBaseName()).c_str(), BM_ImportDocument, file)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
