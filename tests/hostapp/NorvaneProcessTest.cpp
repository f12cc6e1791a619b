// The norvane executable run as a process on folders of test modules.
#include "TestModules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace
{

struct ProcessRun
{
    int exitCode = -1;
    QString out, err;
};

class NorvaneProcessTest : public ::testing::Test
{
  protected:
    ProcessRun norvane(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(NORVANE_EXECUTABLE), args);
        EXPECT_TRUE(p.waitForFinished(30000)) << "norvane did not finish";
        ProcessRun r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QString folderWith(std::initializer_list<const char*> modules)
    {
        for (const char* m : modules)
            EXPECT_TRUE(QFile::copy(QString::fromStdString(testModulePath(m)), dir.filePath(QString(m) + ".dlu")));
        return dir.path();
    }

    QTemporaryDir dir;
};

TEST_F(NorvaneProcessTest, ListPluginsPrintsModulesClassesAndInterfaces)
{
    const ProcessRun r = norvane({ "--list-plugins", "--plugins", folderWith({ "good_module" }) });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(),
              "good_module.dlu: Module for the host's tests\n"
              "  class GoodUtility  super class 0x00001020 (utility)  class ID (0x600D0001, 0x600D0002)  "
              "category \"Testing\"\n"
              "  interface Doubler  ID (0x600DF00D, 0x0000CAFE)\n"
              "    1 Twice(value: integer) -> integer\n");
}

TEST_F(NorvaneProcessTest, RejectedModulesAreReportedAndTheRestListed)
{
    const ProcessRun r = norvane({ "--list-plugins", "--plugins",
                                   folderWith({ "good_module", "wrong_version_module", "missing_entry_module" }) });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("good_module.dlu: Module for the host's tests")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("wrong_version_module"));
    EXPECT_TRUE(r.err.contains(QString::fromStdString("wrong_version_module.dlu: version stamp 0x5DC03B00 does not "
                                                      "match the host's " +
                                                      sdkVersionText() + "; module not loaded")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("missing_entry_module.dlu: missing entry points LibClassDesc, LibInitialize, "
                               "LibShutdown; module not loaded"))
        << r.err.toStdString();
}

TEST_F(NorvaneProcessTest, DebugOptionEchoesTheDebugChannel)
{
    const ProcessRun quiet = norvane({ "--list-plugins", "--plugins", folderWith({ "wrong_version_module" }) });
    EXPECT_FALSE(quiet.err.contains("Plug-in loader:")) << quiet.err.toStdString();
    const ProcessRun r = norvane({ "--debug", "--list-plugins", "--plugins", dir.path() });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Plug-in loader: " + dir.filePath("wrong_version_module.dlu") + ": version stamp"))
        << r.err.toStdString();
}

TEST_F(NorvaneProcessTest, DefaultFolderIsBesideTheExecutable)
{
    const QFileInfo exe(QStringLiteral(NORVANE_EXECUTABLE));
    const QDir folder(QDir::cleanPath(exe.absolutePath() + "/../plugins"));
    const QStringList modules = folder.entryList({ "*.dlu" }, QDir::Files, QDir::Name);
    const ProcessRun r = norvane({ "--list-plugins" });
    if (modules.isEmpty())
    {
        EXPECT_EQ(r.out, "No plug-ins loaded from " + folder.path() + ".\n");
    }
    else
    {
        for (const QString& m : modules)
            EXPECT_TRUE(r.out.contains(m + ": ") || r.err.contains(folder.filePath(m) + ": ")) << m.toStdString();
    }
}

TEST_F(NorvaneProcessTest, EmptyFolderListsNothing)
{
    const ProcessRun r = norvane({ "list-plugins", "--plugins", dir.path() });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "No plug-ins loaded from " + dir.path() + ".\n");
}

TEST_F(NorvaneProcessTest, MissingPluginFolderFails)
{
    const ProcessRun r = norvane({ "--list-plugins", "--plugins", dir.filePath("absent") });
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("absent: plug-in folder does not exist")) << r.err.toStdString();
}

TEST_F(NorvaneProcessTest, BadUsageExitsWithTwoAndAHint)
{
    const ProcessRun r = norvane({ "--list-plugins", "surplus" });
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.toStdString(),
              "norvane: too many arguments for list-plugins: 'surplus'\nTry 'norvane list-plugins --help'.\n");
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(NorvaneProcessTest, HelpAndCommandHelp)
{
    const ProcessRun general = norvane({ "--help" });
    EXPECT_EQ(general.exitCode, 0);
    EXPECT_TRUE(general.out.startsWith("Usage: norvane"));
    const ProcessRun command = norvane({ "--list-plugins", "--help" });
    EXPECT_EQ(command.exitCode, 0);
    EXPECT_TRUE(command.out.startsWith("Usage: norvane list-plugins\n   or: norvane --list-plugins\n"))
        << command.out.toStdString();
}

} // namespace
