#pragma once
// The plug-ins' "MaterialX" script interface called from the command line,
// through the same function publishing a script goes through.

#include <string>
#include <vector>

class CommandContext;
class FPStaticInterface;
class Mtl;

class MaterialXCalls
{
  public:
    // The interface when a loaded plug-in publishes it, none otherwise.
    static FPStaticInterface* find();
    // Loads the plug-ins and finds the interface; reports on the error stream when absent.
    static FPStaticInterface* require(CommandContext& context);

    explicit MaterialXCalls(FPStaticInterface& fpi) :
        fpi_(fpi) {}

    // Each answers false with `problem` set when the call itself could not be made.
    bool importMtlX(const std::string& file, std::vector<Mtl*>& materials, std::string& problem);
    // `version` is ExportMtlX's version argument: "1.38", "1.39", "auto"; empty leaves the plug-in's option.
    bool exportMtlX(const std::string& file, const std::vector<Mtl*>& materials, bool& clean, std::string& problem,
                    const std::string& version = {});
    // The message log of the last run, UTF-8.
    std::string getError();

  private:
    FPStaticInterface& fpi_;
};

// The lines of a message log (each without its line end).
std::vector<std::string> messageLines(const std::string& log);
