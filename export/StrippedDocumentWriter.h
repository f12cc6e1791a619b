#pragma once

#include <QString>

// Copies the XML written to `tempFile` into `outputFile` without its
// "<xi:include" lines. The output is replaced only once its complete new
// content exists; on failure an existing output is left as it was. The
// temporary file is removed in every case. Returns false when nothing was
// written.
bool writeStrippedDocument(const QString& tempFile, const QString& outputFile);
