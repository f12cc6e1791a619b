// The replacing write under failing disks, links and killed writers: the
// target holds its old or its complete new content, and no temporary file
// outlives the next write.

#include "plugin/contracts/AtomicFileWrite.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

namespace rozo::test
{
namespace
{
const std::string oldContent = "old content\n";

class AtomicFileWrite : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    std::string path(const char* name) const { return QFile::encodeName(folder.filePath(name)).toStdString(); }
    std::string target() const { return path("out.mtlx"); }

    static std::string read(const std::string& file)
    {
        QFile f(QString::fromStdString(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
    }
    static void write(const std::string& file, const std::string& content)
    {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content.data(), static_cast<qint64>(content.size()));
    }
    QStringList temporaries() const
    {
        return QDir(folder.path()).entryList({ ".out.mtlx.rozo-*" }, QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir folder;
};

// Content of several chunks, so that a kill can cut it in the middle.
std::string largeContent()
{
    std::string text;
    while (text.size() < 700 * 1024)
        text += "<input name=\"base_color\" type=\"color3\" value=\"" + std::to_string(text.size()) + "\" />\n";
    return text;
}
} // namespace

TEST_F(AtomicFileWrite, ReplacesTheContentAndLeavesNoTemporaryFile)
{
    write(target(), oldContent);
    const std::string content = largeContent();
    ASSERT_TRUE(writeFileAtomically(target(), content));
    EXPECT_EQ(read(target()), content);
    EXPECT_TRUE(temporaries().isEmpty());
}

// A write that skips the sync still replaces the file whole, only without
// waiting for the disk; it never claims the content reached it.
TEST_F(AtomicFileWrite, UnsyncedWriteReplacesWithoutClaimingTheSync)
{
    write(target(), oldContent);
    const std::string content = largeContent();
    std::vector<AtomicWriteStep> steps;
    ASSERT_TRUE(writeFileAtomically(
        target(), content, [&steps](AtomicWriteStep step) { steps.push_back(step); }, AtomicWriteDurability::Unsynced));
    EXPECT_EQ(read(target()), content);
    EXPECT_TRUE(temporaries().isEmpty());
    EXPECT_EQ(std::count(steps.begin(), steps.end(), AtomicWriteStep::Synced), 0);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), AtomicWriteStep::Renamed);
}

TEST_F(AtomicFileWrite, FullDiskKeepsTheOldContent)
{
    write(target(), oldContent);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous;
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = writeFileAtomically(target(), largeContent());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(read(target()), oldContent);
    EXPECT_TRUE(temporaries().isEmpty());
}

TEST_F(AtomicFileWrite, TargetTakenByAFolderFails)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("out.mtlx"));
    EXPECT_FALSE(writeFileAtomically(target(), "new\n"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(target())).isDir());
    EXPECT_TRUE(temporaries().isEmpty());
}

TEST_F(AtomicFileWrite, DanglingLinkGetsItsFileAndLinkLoopFails)
{
    ASSERT_EQ(symlink("made.mtlx", target().c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(target(), "new\n"));
    EXPECT_EQ(read(path("made.mtlx")), "new\n");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(target())).isSymLink());

    ASSERT_EQ(symlink("loop.b", path("loop.a").c_str()), 0);
    ASSERT_EQ(symlink("loop.a", path("loop.b").c_str()), 0);
    EXPECT_FALSE(writeFileAtomically(path("loop.a"), "new\n"));
}

TEST_F(AtomicFileWrite, TemporaryFileOfALiveWriterIsLeftAlone)
{
    const std::string live = path(".out.mtlx.rozo-Live01");
    write(live, "half");
    const int fd = open(live.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_TRUE(writeFileAtomically(target(), "new\n"));
    EXPECT_EQ(read(live), "half");
    close(fd);
    EXPECT_TRUE(writeFileAtomically(target(), "newer\n"));
    EXPECT_EQ(read(live), "<missing>");
    EXPECT_EQ(read(target()), "newer\n");
}

TEST_F(AtomicFileWrite, PatternLookalikesAreLeftAlone)
{
    for (const char* name : { ".out.mtlx.rozo-toolong", ".out.mtlx.rozo-", "out.mtlx.rozo-Abc123", ".other.rozo-Abc123" })
        write(path(name), "keep");
    ASSERT_EQ(symlink(target().c_str(), path(".out.mtlx.rozo-Link01").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(target(), "new\n"));
    for (const char* name : { ".out.mtlx.rozo-toolong", ".out.mtlx.rozo-", "out.mtlx.rozo-Abc123", ".other.rozo-Abc123" })
        EXPECT_EQ(read(path(name)), "keep") << name;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path(".out.mtlx.rozo-Link01"))).isSymLink());
}

// A writer killed at the n-th step it passes.
class KilledWriter : public AtomicFileWrite, public ::testing::WithParamInterface<int>
{
};

TEST_P(KilledWriter, LeavesTheTargetWholeAndAtMostOneTemporaryThatTheNextWriteRemoves)
{
    write(target(), oldContent);
    const std::string content = largeContent();
    const int killAt = GetParam();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        int passed = 0;
        writeFileAtomically(target(), content, [&](AtomicWriteStep) {
            if (++passed == killAt)
                raise(SIGKILL);
        });
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer passed fewer steps";

    const std::string left = read(target());
    EXPECT_TRUE(left == oldContent || left == content) << left.size() << " bytes";
    EXPECT_LE(temporaries().size(), 1);

    ASSERT_TRUE(writeFileAtomically(target(), "next\n"));
    EXPECT_EQ(read(target()), "next\n");
    EXPECT_TRUE(temporaries().isEmpty());
}

// Created, three chunks written, synced, renamed.
INSTANTIATE_TEST_SUITE_P(AtEveryStep, KilledWriter, ::testing::Range(1, 7));
} // namespace rozo::test
