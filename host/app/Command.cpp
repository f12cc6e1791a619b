#include "Command.h"

#include <algorithm>

std::string CommandArguments::value(const std::string& option, const std::string& fallback) const
{
    auto it = options.find(option);
    return it == options.end() ? fallback : it->second;
}

std::vector<std::string> CommandArguments::values(const std::string& option) const
{
    auto it = repeated.find(option);
    return it == repeated.end() ? std::vector<std::string>() : it->second;
}

CommandRegistry& CommandRegistry::instance()
{
    static CommandRegistry registry;
    return registry;
}

void CommandRegistry::add(std::unique_ptr<Command> command)
{
    commands_.push_back(std::move(command));
}

Command* CommandRegistry::find(const std::string& nameOrAlias) const
{
    for (const auto& c : commands_)
    {
        const CommandInfo& info = c->info();
        if (info.name == nameOrAlias ||
            std::find(info.aliases.begin(), info.aliases.end(), nameOrAlias) != info.aliases.end())
            return c.get();
    }
    return nullptr;
}

Command* CommandRegistry::defaultCommand() const
{
    for (const auto& c : commands_)
        if (c->info().isDefault)
            return c.get();
    return nullptr;
}

std::vector<Command*> CommandRegistry::commands() const
{
    std::vector<Command*> all;
    for (const auto& c : commands_)
        all.push_back(c.get());
    std::sort(all.begin(), all.end(), [](Command* a, Command* b) { return a->info().name < b->info().name; });
    return all;
}
