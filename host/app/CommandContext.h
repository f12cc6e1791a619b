#pragma once
// What a running command reaches: its output streams and the host's plug-ins.

#include <iosfwd>
#include <memory>
#include <string>

class PluginLoader;

class CommandContext
{
  public:
    CommandContext(std::ostream& out, std::ostream& err, std::string pluginFolder);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    // Prints "norvane: MESSAGE" on the error stream.
    void error(const std::string& message);

    const std::string& pluginFolder() const { return pluginFolder_; }
    // Loads the plug-ins on first use, reporting each problem on the error
    // stream; later calls give the same loader. Its modules are shut down when
    // the context ends.
    PluginLoader& plugins();
    bool pluginsLoaded() const { return loader_ != nullptr; }
    bool pluginProblems() const;
    // A worker of a batch leaves the reporting of plug-in problems to the batch.
    void setReportPluginProblems(bool report) { reportPluginProblems_ = report; }

  private:
    std::ostream& out_;
    std::ostream& err_;
    std::string pluginFolder_;
    std::unique_ptr<PluginLoader> loader_;
    bool reportPluginProblems_ = true;
};
