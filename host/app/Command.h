#pragma once
// One norvane command (list-plugins, script, import, ...). A command lives in
// a file of its own under commands/ and registers itself with
// NORVANE_REGISTER_COMMAND; the command line finds it by name or alias.

#include <map>
#include <memory>
#include <string>
#include <vector>

class CommandContext;

// Exit statuses of every command.
enum ExitStatus : int
{
    ExitOk = 0,
    ExitFailure = 1,
    ExitUsage = 2
};

struct CommandOption
{
    std::string name;      // "--json"
    std::string valueName; // "FILE" when the option takes a value, else empty
    std::string help;
};

// What a command accepts and how it presents itself in --help.
struct CommandInfo
{
    std::string name;                 // "list-plugins"
    std::vector<std::string> aliases; // "--list-plugins"
    std::string arguments;            // "FILE.mtlx [OUT.mtlx]", shown in the usage line
    std::string summary;              // one line for the command list
    std::string description;          // paragraph(s) for the command's --help
    std::vector<CommandOption> options;
    int minArguments = 0;
    int maxArguments = 0;      // negative: any number
    bool needsWidgets = false; // the application must be a QApplication
    bool isDefault = false;    // runs when norvane is given no command
    bool hidden = false;       // norvane's own machinery: left out of the command list
};

// The command's arguments after option parsing.
struct CommandArguments
{
    std::map<std::string, std::string> options;               // present options, the last value or ""
    std::map<std::string, std::vector<std::string>> repeated; // every value of each option, in order
    std::vector<std::string> positional;

    bool has(const std::string& option) const { return options.count(option) != 0; }
    std::string value(const std::string& option, const std::string& fallback = {}) const;
    std::vector<std::string> values(const std::string& option) const;
};

class Command
{
  public:
    virtual ~Command() = default;
    virtual const CommandInfo& info() const = 0;
    // Returns the process exit status.
    virtual int run(CommandContext& context, const CommandArguments& args) = 0;
};

// A command whose description its constructor fills in once.
class DescribedCommand : public Command
{
  public:
    const CommandInfo& info() const override { return info_; }

  protected:
    CommandInfo info_;
};

class CommandRegistry
{
  public:
    static CommandRegistry& instance();
    void add(std::unique_ptr<Command> command);
    // By name or alias; null when unknown.
    Command* find(const std::string& nameOrAlias) const;
    Command* defaultCommand() const;
    // In name order.
    std::vector<Command*> commands() const;

  private:
    std::vector<std::unique_ptr<Command>> commands_;
};

template <typename T>
struct CommandRegistration
{
    CommandRegistration() { CommandRegistry::instance().add(std::make_unique<T>()); }
};

#define NORVANE_CONCAT_INNER(a, b) a##b
#define NORVANE_CONCAT(a, b) NORVANE_CONCAT_INNER(a, b)
#define NORVANE_REGISTER_COMMAND(Type) \
    static const CommandRegistration<Type> NORVANE_CONCAT(registration_, __LINE__)
