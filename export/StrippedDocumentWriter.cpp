#include "export/StrippedDocumentWriter.h"

#include <QFile>
#include <QSaveFile>

bool writeStrippedDocument(const QString& tempFile, const QString& outputFile)
{
    QFile source(tempFile);
    bool written = false;
    if (source.open(QIODevice::ReadOnly))
    {
        // QSaveFile writes beside the output and renames it over the output on
        // commit, so a failed run never leaves a truncated file behind.
        QSaveFile target(outputFile);
        if (target.open(QIODevice::WriteOnly))
        {
            bool ok = true;
            while (ok && !source.atEnd())
            {
                // Lines stay bytes: whatever the text codec or locale, names and
                // paths reach the output exactly as the writer produced them.
                const QByteArray line = source.readLine();
                if (!line.contains("<xi:include"))
                    ok = target.write(line) == line.size();
            }
            ok = ok && source.error() == QFileDevice::NoError;
            if (ok)
                written = target.commit();
            else
                target.cancelWriting();
        }
        source.close();
    }
    QFile::remove(tempFile);
    return written;
}
