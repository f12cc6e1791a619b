#include "CommandContext.h"

#include "PluginLoader.h"

#include <ostream>

CommandContext::CommandContext(std::ostream& out, std::ostream& err, std::string pluginFolder) :
    out_(out),
    err_(err),
    pluginFolder_(std::move(pluginFolder)) {}

CommandContext::~CommandContext() = default;

void CommandContext::error(const std::string& message)
{
    err_ << "norvane: " << message << '\n';
}

PluginLoader& CommandContext::plugins()
{
    if (!loader_)
    {
        loader_ = std::make_unique<PluginLoader>();
        loader_->loadFolder(pluginFolder_);
        if (reportPluginProblems_)
            for (const std::string& problem : loader_->problems())
                error(problem);
    }
    return *loader_;
}

bool CommandContext::pluginProblems() const
{
    return loader_ && !loader_->problems().empty();
}
