// Parsing the norvane command line, in process.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using Action = ParsedCommandLine::Action;

class CommandLineTest : public ::testing::Test
{
  protected:
    ParsedCommandLine parse(std::vector<std::string> args) { return parseCommandLine(args); }
};

TEST_F(CommandLineTest, OptionStyleCommandWithPluginFolderInAnyOrder)
{
    for (const auto& args : { std::vector<std::string>{ "--list-plugins", "--plugins", "/p" },
                              std::vector<std::string>{ "--plugins", "/p", "list-plugins" },
                              std::vector<std::string>{ "--plugins=/p", "--list-plugins" } })
    {
        const ParsedCommandLine p = parse(args);
        ASSERT_EQ(p.action, Action::Run) << p.error;
        ASSERT_NE(p.command, nullptr);
        EXPECT_EQ(p.command->info().name, "list-plugins");
        EXPECT_EQ(p.pluginFolder, "/p");
    }
}

TEST_F(CommandLineTest, HelpAfterACommandIsThatCommandsHelp)
{
    const ParsedCommandLine p = parse({ "list-plugins", "--help" });
    EXPECT_EQ(p.action, Action::Help);
    ASSERT_NE(p.command, nullptr);
    EXPECT_EQ(p.command->info().name, "list-plugins");
    const ParsedCommandLine general = parse({ "-h" });
    EXPECT_EQ(general.action, Action::Help);
    EXPECT_EQ(general.command, nullptr);
}

TEST_F(CommandLineTest, EveryCommandHasHelp)
{
    for (Command* c : CommandRegistry::instance().commands())
    {
        const ParsedCommandLine p = parse({ c->info().name, "--help" });
        ASSERT_EQ(p.action, Action::Help) << c->info().name;
        std::ostringstream out;
        printCommandHelp(*c, out);
        EXPECT_EQ(out.str().rfind("Usage: norvane " + c->info().name, 0), 0u) << out.str();
        EXPECT_FALSE(c->info().summary.empty()) << c->info().name;
    }
    std::ostringstream general;
    printGeneralHelp(general);
    EXPECT_NE(general.str().find("list-plugins"), std::string::npos);
    EXPECT_NE(general.str().find("--plugins DIR"), std::string::npos);
}

TEST_F(CommandLineTest, BadUsageSaysWhatIsWrong)
{
    EXPECT_EQ(parse({}).error, "no command given");
    EXPECT_EQ(parse({ "frobnicate" }).error, "unknown command 'frobnicate'");
    EXPECT_EQ(parse({ "--frobnicate" }).error, "unknown option '--frobnicate'");
    EXPECT_EQ(parse({ "list-plugins", "--json" }).error, "unknown option '--json' for list-plugins");
    EXPECT_EQ(parse({ "list-plugins", "extra" }).error, "too many arguments for list-plugins: 'extra'");
    EXPECT_EQ(parse({ "--list-plugins", "--plugins" }).error, "option --plugins needs a folder");
    EXPECT_EQ(parse({ "--", "list-plugins" }).error, "no command given before '--'");
    EXPECT_EQ(parse({ "frobnicate" }).action, Action::UsageError);
}

TEST_F(CommandLineTest, RepeatedOptionsKeepEveryValueInOrder)
{
    const ParsedCommandLine p =
        parse({ "roundtrip", "--batch", "--expect-failure", "a", "in", "--expect-failure=b", "out", "--jobs", "2" });
    ASSERT_EQ(p.action, Action::Run) << p.error;
    EXPECT_EQ(p.arguments.values("--expect-failure"), (std::vector<std::string>{ "a", "b" }));
    EXPECT_EQ(p.arguments.value("--expect-failure"), "b");
    EXPECT_EQ(p.arguments.values("--jobs"), std::vector<std::string>{ "2" });
    EXPECT_TRUE(p.arguments.values("--timeout").empty());
    EXPECT_EQ(p.arguments.positional, (std::vector<std::string>{ "in", "out" }));
}

TEST_F(CommandLineTest, TheBatchWorkerIsLeftOutOfTheCommandList)
{
    ASSERT_NE(CommandRegistry::instance().find("batch-worker"), nullptr);
    std::ostringstream general;
    printGeneralHelp(general);
    EXPECT_EQ(general.str().find("batch-worker"), std::string::npos) << general.str();
}

TEST_F(CommandLineTest, HelpCommandTakesACommandName)
{
    const ParsedCommandLine p = parse({ "help", "list-plugins" });
    ASSERT_EQ(p.action, Action::Run);
    EXPECT_EQ(p.command->info().name, "help");
    ASSERT_EQ(p.arguments.positional.size(), 1u);
    EXPECT_EQ(p.arguments.positional[0], "list-plugins");
}

} // namespace
