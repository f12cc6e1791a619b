// import --batch and roundtrip --batch run by worker processes, on a stand-in
// MaterialX module whose documents say how their import misbehaves.
#include "TestModules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace
{

struct BatchRun
{
    int exitCode = -1;
    QString out, err;
    QStringList rows() const { return out.split('\n'); }
    std::string show() const
    {
        return "exit " + std::to_string(exitCode) + "\n--- out:\n" + out.toStdString() + "--- err:\n" + err.toStdString();
    }
};

// The table without its time column, which differs from run to run.
QString withoutTimes(QString table)
{
    return table.replace(QRegularExpression("\\d+\\.\\d{3} s"), "T");
}

class BatchCommandTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(plugins()));
        ASSERT_TRUE(QFile::copy(QString::fromStdString(testModulePath("batch_module")), plugins() + "/batch_module.dlu"));
    }

    QString plugins() const { return dir.filePath("plugins"); }
    QString docs() const { return dir.filePath("docs"); }

    // Documents named by what their import does.
    void documents(std::initializer_list<std::pair<const char*, const char*>> named)
    {
        ASSERT_TRUE(QDir().mkpath(docs()));
        for (const auto& [name, text] : named)
        {
            QFile f(docs() + "/" + name + ".mtlx");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
    }

    BatchRun norvane(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(NORVANE_EXECUTABLE), QStringList{ "--plugins", plugins() } + args);
        EXPECT_TRUE(p.waitForFinished(60000)) << "norvane did not finish";
        BatchRun r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    BatchRun roundtrip(const QStringList& options)
    {
        return norvane(QStringList{ "roundtrip", "--batch" } + options + QStringList{ docs(), dir.filePath("out") });
    }
    BatchRun import(const QStringList& options)
    {
        return norvane(QStringList{ "import", "--batch" } + options + QStringList{ docs() });
    }

    QTemporaryDir dir;
};

TEST_F(BatchCommandTest, CrashingHangingAndExitingWorkersFailTheirDocumentOnly)
{
    documents({ { "a", "fine" }, { "b", "crash" }, { "c", "hang" }, { "d", "fine" }, { "e", "exit" }, { "f", "fine" } });
    for (const bool importing : { false, true })
    {
        const QStringList options = { "--jobs", "2", "--timeout", "2" };
        const BatchRun r = importing ? import(options) : roundtrip(options);
        EXPECT_EQ(r.exitCode, 1) << r.show();
        const QStringList rows = r.rows();
        ASSERT_GE(rows.size(), 8) << r.show();
        EXPECT_TRUE(rows[1].startsWith("a.mtlx ") && rows[1].endsWith(" ok")) << r.show();
        EXPECT_TRUE(rows[2].startsWith("b.mtlx ") && rows[2].endsWith(" FAILED (crashed)")) << r.show();
        EXPECT_TRUE(rows[3].startsWith("c.mtlx ") && rows[3].endsWith(" FAILED (timed out)")) << r.show();
        EXPECT_TRUE(rows[4].startsWith("d.mtlx ") && rows[4].endsWith(" ok")) << r.show();
        EXPECT_TRUE(rows[5].startsWith("e.mtlx ") && rows[5].endsWith(" FAILED (worker exited)")) << r.show();
        EXPECT_TRUE(rows[6].startsWith("f.mtlx ") && rows[6].endsWith(" ok")) << r.show();
        EXPECT_TRUE(rows[7].startsWith("total ") && rows[7].endsWith(" 3 of 6 ok")) << r.show();
        EXPECT_TRUE(r.out.contains("b.mtlx\n    the worker was killed by signal 11 (Segmentation fault)\n")) << r.show();
        EXPECT_TRUE(r.out.contains("c.mtlx\n    no answer within 2 s; the worker was stopped\n")) << r.show();
        EXPECT_TRUE(r.out.contains("e.mtlx\n    the worker ended with status 3 without an answer\n")) << r.show();
        for (const char* line : { "[1/6] a.mtlx\n", "[3/6] c.mtlx\n", "[6/6] f.mtlx\n" })
            EXPECT_TRUE(r.err.contains(line)) << line << r.show();
        if (!importing)
        {
            EXPECT_TRUE(QFile::exists(dir.filePath("out/f.mtlx")));
        }
    }
}

TEST_F(BatchCommandTest, TableAndStatusDoNotDependOnTheNumberOfJobs)
{
    documents({ { "a", "fine" }, { "b", "message" }, { "c", "stdout" }, { "d", "crash" }, { "e", "fine" }, { "f", "message" } });
    for (const bool importing : { false, true })
    {
        const BatchRun serial = importing ? import({ "--jobs", "1" }) : roundtrip({ "--jobs", "1" });
        EXPECT_EQ(serial.exitCode, 1) << serial.show();
        EXPECT_TRUE(serial.out.contains("\nFailed (3 of 6):\n")) << serial.show();
        // What a plug-in prints on the standard output does not reach the table.
        EXPECT_FALSE(serial.out.contains("not a result")) << serial.show();
        for (const char* jobs : { "2", "4" })
        {
            const BatchRun parallel = importing ? import({ "--jobs", jobs }) : roundtrip({ "--jobs", jobs });
            EXPECT_EQ(parallel.exitCode, serial.exitCode) << jobs;
            EXPECT_EQ(withoutTimes(parallel.out).toStdString(), withoutTimes(serial.out).toStdString()) << jobs;
            EXPECT_EQ(parallel.err.count(QRegularExpression("^\\[\\d/6\\] ", QRegularExpression::MultilineOption)), 6)
                << parallel.show();
        }
    }
}

// Workers print on the batch's own error output: each progress line still
// arrives whole, on a line of its own.
TEST_F(BatchCommandTest, ProgressLinesStayWholeBesideChattyWorkers)
{
    documents({ { "a", "chatty" }, { "b", "fine" }, { "c", "chatty" }, { "d", "fine" }, { "e", "chatty" }, { "f", "fine" }, { "g", "fine" }, { "h", "fine" } });
    const BatchRun r = import({ "--jobs", "2" });
    EXPECT_EQ(r.exitCode, 0) << r.show().substr(0, 2000);
    EXPECT_EQ(r.err.count(QRegularExpression("^\\[\\d/8\\] [a-h]\\.mtlx$", QRegularExpression::MultilineOption)), 8)
        << r.err.count("{chatter}") << " lines of chatter";
}

// Two documents of one file name write the same output: never at once, or one
// would read back the other's.
TEST_F(BatchCommandTest, DocumentsOfOneNameTakeTurns)
{
    documents({ { "same", "slow" } });
    const QString other = dir.filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(QFile::copy(docs() + "/same.mtlx", other + "/same.mtlx"));
    const BatchRun r = norvane({ "roundtrip", "--batch", "--jobs", "2", docs(), other, dir.filePath("out") });
    EXPECT_EQ(r.exitCode, 0) << r.show();
    EXPECT_TRUE(r.out.contains(" 2 of 2 ok")) << r.show();
}

// A worker that does not end when the batch is done is stopped, and the
// summary still comes.
TEST_F(BatchCommandTest, AWorkerStuckOnItsWayOutDoesNotHoldTheSummary)
{
    documents({ { "a", "stuck" }, { "b", "fine" } });
    const BatchRun r = import({ "--jobs", "1" });
    EXPECT_EQ(r.exitCode, 0) << r.show();
    EXPECT_TRUE(r.out.contains(" 2 of 2 ok")) << r.show();
}

TEST_F(BatchCommandTest, ExactlyTheExpectedFailuresMakeASuccess)
{
    documents({ { "good", "fine" }, { "bad", "message" }, { "worse", "message" } });
    const BatchRun plain = roundtrip({});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_FALSE(plain.out.contains("expected")) << plain.show();

    const BatchRun expected = roundtrip({ "--expect-failure", "bad", "--expect-failure=worse.mtlx" });
    EXPECT_EQ(expected.exitCode, 0) << expected.show();
    const QStringList rows = expected.rows();
    EXPECT_TRUE(rows[1].startsWith("bad.mtlx ") && rows[1].endsWith(" expected failure")) << expected.show();
    EXPECT_TRUE(rows[2].startsWith("good.mtlx ") && rows[2].endsWith(" ok")) << expected.show();
    EXPECT_TRUE(rows[3].endsWith(" expected failure")) << expected.show();
    EXPECT_TRUE(rows[4].endsWith(" 1 of 3 ok, 2 expected failures")) << expected.show();
    EXPECT_TRUE(expected.out.contains("bad.mtlx  (expected)\n    import: this document is made to fail\n"))
        << expected.show();

    const BatchRun oneUnexpected = roundtrip({ "--expect-failure", "bad" });
    EXPECT_EQ(oneUnexpected.exitCode, 1) << oneUnexpected.show();
    EXPECT_TRUE(oneUnexpected.rows()[3].endsWith(" FAILED")) << oneUnexpected.show();

    const BatchRun passing = roundtrip({ "--expect-failure", "bad", "--expect-failure", "worse", "--expect-failure", "good" });
    EXPECT_EQ(passing.exitCode, 1) << passing.show();
    EXPECT_TRUE(passing.rows()[2].endsWith(" UNEXPECTEDLY ok")) << passing.show();
    EXPECT_TRUE(passing.out.contains("\nExpected to fail, but ok (1):\n  " + docs() + "/good.mtlx\n")) << passing.show();
}

TEST_F(BatchCommandTest, AnExpectedFailureThatCrashesIsStillAFailure)
{
    documents({ { "bad", "crash" } });
    const BatchRun r = import({ "--expect-failure", "bad" });
    EXPECT_EQ(r.exitCode, 1) << r.show();
    EXPECT_TRUE(r.rows()[1].endsWith(" FAILED (crashed)")) << r.show();
}

TEST_F(BatchCommandTest, BadBatchOptionsAreUsageErrors)
{
    documents({ { "a", "fine" } });
    const std::vector<std::pair<QStringList, QString>> cases = {
        { { "roundtrip", "--batch", "--jobs", "0", docs(), dir.filePath("out") }, "--jobs takes a whole number" },
        { { "import", "--batch", "--jobs", "two", docs() }, "--jobs takes a whole number" },
        { { "import", "--batch", "--timeout", "-1", docs() }, "--timeout takes a number of seconds above 0" },
        { { "import", "--batch", "--expect-failure", "nothing", docs() }, "--expect-failure nothing: no such document" },
        { { "import", "--batch", "--json", docs() }, "option --json does not go with --batch" },
        { { "import", "--jobs", "2", docs() + "/a.mtlx" }, "option --jobs goes only with --batch" },
        { { "roundtrip", "--timeout", "2", "a.mtlx", "b.mtlx" }, "option --timeout goes only with --batch" },
        { { "import", docs() + "/a.mtlx", docs() + "/a.mtlx" }, "import takes FILE.mtlx, or --batch INPUT..." },
    };
    for (const auto& [args, message] : cases)
    {
        const BatchRun r = norvane(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << "\n"
                                 << r.show();
        EXPECT_TRUE(r.err.contains(message)) << r.show();
        EXPECT_TRUE(r.out.isEmpty()) << r.show();
    }
}

} // namespace
