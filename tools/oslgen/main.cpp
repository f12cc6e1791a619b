// oslgen: writes the prepared OSL shaders for the MaterialX data libraries.
//   oslgen LIBRARIES_FOLDER OUTPUT_FOLDER [--report FILE] [--quiet]
// Prints one line per definition and a summary line; --quiet prints only the summary.
#include "Generator.h"
#include "NodeLibrary.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    std::string reportFile;
    bool quiet = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--report" && i + 1 < argc)
            reportFile = argv[++i];
        else if (arg == "--quiet")
            quiet = true;
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
    {
        std::cerr << "usage: oslgen LIBRARIES_FOLDER OUTPUT_FOLDER [--report FILE] [--quiet]\n";
        return 2;
    }
    std::string error;
    const std::optional<oslgen::NodeLibrary> library = oslgen::loadNodeLibrary(positional[0], error);
    if (!library)
    {
        std::cerr << "oslgen: " << error << "\n";
        return 1;
    }
    if (library->definitions.empty())
    {
        std::cerr << "oslgen: no node definitions found under " << positional[0] << "\n";
        return 1;
    }
    const std::optional<oslgen::GenerationReport> report =
        oslgen::generateShaders(*library, positional[1], error);
    if (!report)
    {
        std::cerr << "oslgen: " << error << "\n";
        return 1;
    }
    const std::string text = report->text();
    std::cout << (quiet ? report->summaryLine() + "\n" : text);
    if (!reportFile.empty())
    {
        std::ofstream out(reportFile, std::ios::trunc);
        out << text;
        if (!out)
        {
            std::cerr << "oslgen: " << reportFile << ": cannot be written\n";
            return 1;
        }
    }
    return 0;
}
