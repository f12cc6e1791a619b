// The README's code blocks, run as a reader would run them, so the README
// cannot drift from what norvane does.
#include "NorvaneRun.h"

#include <QRegularExpression>

namespace
{

struct Block
{
    QString language, text;
};

std::vector<Block> readmeBlocks()
{
    std::vector<Block> blocks;
    const QString readme = readText(QStringLiteral(ROZO_README));
    QRegularExpression fence(QStringLiteral("```(\\w*)\\n(.*?)```"), QRegularExpression::DotMatchesEverythingOption);
    for (auto it = fence.globalMatch(readme); it.hasNext();)
    {
        const QRegularExpressionMatch m = it.next();
        blocks.push_back({ m.captured(1), m.captured(2) });
    }
    return blocks;
}

} // namespace

class ReadmeExamplesTest : public NorvaneTest
{
};

TEST_F(ReadmeExamplesTest, ReadmeHasItsExamples)
{
    int scripts = 0;
    for (const Block& b : readmeBlocks())
        scripts += b.language == "js";
    EXPECT_GE(scripts, 1);
}

// Each script runs in a folder holding the example documents it names.
TEST_F(ReadmeExamplesTest, ScriptBlocksRunCleanly)
{
    for (const Block& b : readmeBlocks())
    {
        if (b.language != "js")
            continue;
        QRegularExpression documents(QStringLiteral("\"([\\w.]+\\.mtlx)\""));
        for (auto it = documents.globalMatch(b.text); it.hasNext();)
        {
            const QString name = it.next().captured(1);
            if (QFile::exists(examplesDir() + "/" + name))
                QFile::copy(examplesDir() + "/" + name, path(name));
        }
        const NorvaneRun r = script(b.text);
        EXPECT_EQ(r.exitCode, 0) << b.text.toStdString() << show(r);
        EXPECT_FALSE(r.err.contains("Error")) << b.text.toStdString() << show(r);
    }
}

// The shell blocks build and test the whole project: here they are only
// checked to name scripts that exist and parse.
TEST_F(ReadmeExamplesTest, ShellBlocksNameScriptsThatParse)
{
    for (const Block& b : readmeBlocks())
    {
        if (b.language != "sh")
            continue;
        QRegularExpression scriptName(QStringLiteral("bash (\\S+\\.sh)"));
        for (auto it = scriptName.globalMatch(b.text); it.hasNext();)
        {
            const QString file = QStringLiteral(ROZO_SOURCE_DIR "/") + it.next().captured(1);
            QProcess bash;
            bash.start(QStringLiteral("bash"), { "-n", file });
            ASSERT_TRUE(bash.waitForFinished(10000));
            EXPECT_EQ(bash.exitCode(), 0) << file.toStdString();
        }
    }
}
