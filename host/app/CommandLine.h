#pragma once
// The norvane command line: global options, the command and its arguments.
//
//   norvane [--plugins DIR] COMMAND [OPTIONS] [ARGUMENTS]
//
// Global options may stand anywhere before a "--"; "--help" after a command
// shows that command's help.

#include "Command.h"

#include <iosfwd>
#include <string>
#include <vector>

struct ParsedCommandLine
{
    enum class Action
    {
        Run,
        Help,
        Version,
        UsageError
    };
    Action action = Action::Run;
    Command* command = nullptr; // for Help: null means the general help
    CommandArguments arguments;
    std::string pluginFolder; // empty: the default beside the executable
    bool debug = false;       // echo the host's debug output on stderr
    std::string error;        // for UsageError
};

// `args` excludes the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

void printGeneralHelp(std::ostream& out);
void printCommandHelp(const Command& command, std::ostream& out);

// Parses, creates the Qt application the command needs and runs it.
int runCommandLine(int argc, char** argv);
