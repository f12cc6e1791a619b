#include "CommandLine.h"

#include "CommandContext.h"
#include "DebugChannel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include <iomanip>
#include <iostream>
#include <memory>

#ifndef NORVANE_VERSION
#define NORVANE_VERSION "0.0"
#endif

namespace
{

const std::vector<CommandOption>& globalOptions()
{
    static const std::vector<CommandOption> options = {
        { "--plugins", "DIR", "load plug-ins from DIR instead of <folder of norvane>/../plugins" },
        { "-h, --help", "", "show this help, or a command's help when given after the command" },
        { "--debug", "", "echo the host's debug output on the error output" },
        { "--version", "", "show the version" },
    };
    return options;
}

bool looksLikeOption(const std::string& a)
{
    return a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9') && a[1] != '.';
}

const CommandOption* findOption(const CommandInfo& info, const std::string& name)
{
    for (const CommandOption& o : info.options)
        if (o.name == name)
            return &o;
    return nullptr;
}

std::string usageLine(const CommandInfo& info)
{
    std::string line = "norvane " + info.name;
    if (!info.options.empty())
        line += " [OPTIONS]";
    if (!info.arguments.empty())
        line += " " + info.arguments;
    return line;
}

void printOptions(const std::vector<CommandOption>& options, std::ostream& out)
{
    for (const CommandOption& o : options)
    {
        std::string left = o.name + (o.valueName.empty() ? "" : " " + o.valueName);
        out << "  " << std::left << std::setw(20) << left << " " << o.help << '\n';
    }
}

ParsedCommandLine makeUsageError(std::string message, Command* command)
{
    ParsedCommandLine p;
    p.action = ParsedCommandLine::Action::UsageError;
    p.command = command;
    p.error = std::move(message);
    return p;
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine result;
    bool help = false, version = false, rest = false;
    Command* command = nullptr;
    CommandArguments& parsed = result.arguments;
    auto usageError = [&command](std::string message) { return makeUsageError(std::move(message), command); };

    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        if (rest)
        {
            if (!command)
                return usageError("no command given before '--'");
            parsed.positional.push_back(a);
            continue;
        }
        if (a == "--")
        {
            rest = true;
            continue;
        }
        if (a == "--plugins")
        {
            if (i + 1 >= args.size())
                return usageError("option --plugins needs a folder");
            result.pluginFolder = args[++i];
            continue;
        }
        if (a.rfind("--plugins=", 0) == 0)
        {
            result.pluginFolder = a.substr(10);
            if (result.pluginFolder.empty())
                return usageError("option --plugins needs a folder");
            continue;
        }
        if (a == "-h" || a == "--help")
        {
            help = true;
            continue;
        }
        if (a == "--debug")
        {
            result.debug = true;
            continue;
        }
        if (a == "--version")
        {
            version = true;
            continue;
        }
        if (!command)
        {
            command = CommandRegistry::instance().find(a);
            if (!command)
                return usageError(looksLikeOption(a) ? "unknown option '" + a + "'" : "unknown command '" + a + "'");
            continue;
        }
        if (!looksLikeOption(a))
        {
            parsed.positional.push_back(a);
            continue;
        }
        const CommandInfo& info = command->info();
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const CommandOption* option = findOption(info, name);
        if (!option)
            return usageError("unknown option '" + name + "' for " + info.name);
        if (option->valueName.empty())
        {
            if (eq != std::string::npos)
                return usageError("option " + name + " of " + info.name + " takes no value");
            parsed.options[name] = "";
        }
        else if (eq != std::string::npos)
        {
            parsed.options[name] = a.substr(eq + 1);
        }
        else
        {
            if (i + 1 >= args.size())
                return usageError("option " + name + " of " + info.name + " needs a value " + option->valueName);
            parsed.options[name] = args[++i];
        }
        parsed.repeated[name].push_back(parsed.options[name]);
    }

    result.command = command;
    if (help)
    {
        result.action = ParsedCommandLine::Action::Help;
        return result;
    }
    if (version)
    {
        result.action = ParsedCommandLine::Action::Version;
        return result;
    }
    if (!command)
    {
        command = result.command = CommandRegistry::instance().defaultCommand();
        if (!command)
            return usageError("no command given");
    }
    const CommandInfo& info = result.command->info();
    const int count = static_cast<int>(parsed.positional.size());
    if (count < info.minArguments)
        return usageError(info.name + " needs " + (info.arguments.empty() ? "more arguments" : info.arguments));
    if (info.maxArguments >= 0 && count > info.maxArguments)
        return usageError("too many arguments for " + info.name + ": '" + parsed.positional[info.maxArguments] + "'");
    return result;
}

void printGeneralHelp(std::ostream& out)
{
    out << "Usage: norvane [--plugins DIR] [--debug] COMMAND [OPTIONS] [ARGUMENTS]\n"
           "The Norvane stand-alone host: loads the plug-in modules and runs a command.\n\n"
           "Commands:\n";
    for (Command* c : CommandRegistry::instance().commands())
    {
        const CommandInfo& info = c->info();
        if (info.hidden)
            continue;
        std::string summary = info.summary;
        if (!info.aliases.empty())
        {
            summary += " (also";
            for (const std::string& a : info.aliases)
                summary += " " + a;
            summary += ")";
        }
        out << "  " << std::left << std::setw(20) << info.name << " " << summary << '\n';
    }
    out << "\nGlobal options:\n";
    printOptions(globalOptions(), out);
    out << "\nRun 'norvane COMMAND --help' for a command's options and arguments.\n"
           "Exit status: 0 on success, 1 when the command failed, 2 for bad usage.\n";
}

void printCommandHelp(const Command& command, std::ostream& out)
{
    const CommandInfo& info = command.info();
    out << "Usage: " << usageLine(info) << '\n';
    for (const std::string& alias : info.aliases)
        out << "   or: norvane " << alias << '\n';
    out << info.summary << '\n';
    if (!info.description.empty())
        out << '\n'
            << info.description << '\n';
    if (!info.options.empty())
    {
        out << "\nOptions:\n";
        printOptions(info.options, out);
    }
    out << "\nGlobal options:\n";
    printOptions(globalOptions(), out);
}

int runCommandLine(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args);
    switch (parsed.action)
    {
        case ParsedCommandLine::Action::UsageError:
            std::cerr << "norvane: " << parsed.error << '\n';
            std::cerr << "Try 'norvane " << (parsed.command ? parsed.command->info().name + " " : std::string())
                      << "--help'.\n";
            return ExitUsage;
        case ParsedCommandLine::Action::Help:
            if (parsed.command)
                printCommandHelp(*parsed.command, std::cout);
            else
                printGeneralHelp(std::cout);
            return ExitOk;
        case ParsedCommandLine::Action::Version:
            std::cout << "norvane " << NORVANE_VERSION << '\n';
            return ExitOk;
        case ParsedCommandLine::Action::Run:
            break;
    }

    std::unique_ptr<QCoreApplication> app;
    if (parsed.command->info().needsWidgets)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName("norvane");
    QCoreApplication::setApplicationVersion(NORVANE_VERSION);

    if (parsed.debug)
        Norvane::DebugChannel::Instance().SetEcho(true);
    std::string folder = parsed.pluginFolder;
    if (folder.empty())
        folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../plugins").toStdString();
    int status = ExitFailure;
    {
        CommandContext context(std::cout, std::cerr, folder);
        status = parsed.command->run(context, parsed.arguments);
    }
    std::cout.flush();
    return status;
}
