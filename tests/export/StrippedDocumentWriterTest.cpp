// Documents written without their include lines, as one text or streamed in
// pieces of any size: the same bytes in the same chunks, and a writer that
// fails half-way leaves the old output alone.

#include "plugin/contracts/AtomicFileWrite.h"
#include "export/StrippedDocumentWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>
#include <string>

namespace rozo::test
{
namespace
{
class StrippedDocumentWriter : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString target() const { return folder.filePath("out.mtlx"); }
    std::string read() const
    {
        QFile f(target());
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
    }
    QStringList leftovers() const
    {
        return QDir(folder.path()).entryList({ ".out.mtlx.rozo-*" }, QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir folder;
};

// A document of several write chunks with include lines among its lines,
// and what is left of it without them.
void makeDocument(std::string& text, std::string& stripped)
{
    text = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n";
    for (int i = 0; text.size() < 600 * 1024; ++i)
    {
        const std::string line = i % 7 == 0 ? "  <xi:include href=\"lib" + std::to_string(i) + ".mtlx\" />\n"
                                            : "  <input name=\"in" + std::to_string(i) + "\" value=\"1\" />\n";
        text += line;
        if (i % 7 != 0)
            stripped += line;
    }
    text += "</materialx>"; // the last line has no end
    stripped = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n" + stripped + "</materialx>";
}

TEST_F(StrippedDocumentWriter, StreamedPiecesGiveTheBytesOfTheWholeText)
{
    std::string text, stripped;
    makeDocument(text, stripped);
    ASSERT_TRUE(writeStrippedDocument(text, target()));
    EXPECT_EQ(read(), stripped);

    // Pieces that cut lines, the include marker and chunks anywhere.
    for (size_t pieceSize : { size_t(1), size_t(5), size_t(4093), size_t(300 * 1024) })
    {
        ASSERT_TRUE(writeStrippedDocument(
            [&](std::ostream& stream) {
                for (size_t at = 0; at < text.size(); at += pieceSize)
                    stream.write(text.data() + at, std::streamsize(std::min(pieceSize, text.size() - at)));
            },
            target()));
        EXPECT_EQ(read(), stripped) << "pieces of " << pieceSize;
    }
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(StrippedDocumentWriter, AStreamedWriteUsesTheChunksOfTheWholeOne)
{
    std::string text, stripped;
    makeDocument(text, stripped);
    const std::string file = QFile::encodeName(target()).toStdString();
    int whole = 0, streamed = 0;
    ASSERT_TRUE(writeFileAtomically(file, stripped, [&](AtomicWriteStep step) {
        whole += step == AtomicWriteStep::ChunkWritten;
    }));
    ASSERT_TRUE(writeFileAtomically(
        file,
        [&](const AtomicContentSink& sink) {
            for (size_t at = 0; at < stripped.size(); at += 1000)
                if (!sink(std::string_view(stripped).substr(at, 1000)))
                    return false;
            return true;
        },
        [&](AtomicWriteStep step) { streamed += step == AtomicWriteStep::ChunkWritten; }));
    EXPECT_EQ(streamed, whole);
    EXPECT_EQ(read(), stripped);
}

TEST_F(StrippedDocumentWriter, AWriterThatThrowsLeavesTheOldOutput)
{
    ASSERT_TRUE(writeStrippedDocument(std::string("old\n"), target()));
    std::string text, stripped;
    makeDocument(text, stripped);
    EXPECT_THROW(writeStrippedDocument(
                     [&](std::ostream& stream) {
                         stream.write(text.data(), std::streamsize(text.size() / 2));
                         throw std::runtime_error("the writer failed");
                     },
                     target()),
                 std::runtime_error);
    EXPECT_EQ(read(), "old\n");
    EXPECT_TRUE(leftovers().isEmpty());
}
} // namespace
} // namespace rozo::test
