#include "export/StrippedDocumentWriter.h"

#include "export/AtomicFileWrite.h"

#include <QFile>

#include <cstring>
#include <string_view>

bool writeStrippedDocument(std::string document, const QString& outputFile)
{
    // Lines stay bytes: whatever the text codec or locale, names and paths
    // reach the output exactly as the writer produced them.
    size_t kept = 0;
    size_t start = 0;
    while (start < document.size())
    {
        size_t end = document.find('\n', start);
        end = end == std::string::npos ? document.size() : end + 1;
        const std::string_view line(document.data() + start, end - start);
        if (line.find("<xi:include") == std::string_view::npos)
        {
            if (kept != start)
                std::memmove(&document[kept], line.data(), line.size());
            kept += line.size();
        }
        start = end;
    }
    document.resize(kept);
    return writeFileAtomically(QFile::encodeName(outputFile).toStdString(), document);
}
