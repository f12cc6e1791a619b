#pragma once

#include <QString>

#include <string>

// Writes the XML text `document` to `outputFile` without its "<xi:include"
// lines. The output is replaced only once its complete new content is on the
// disk; on failure an existing output is left as it was and nothing else
// stays behind. Returns false when nothing was written.
// The lines are removed in place: a large document is held once.
bool writeStrippedDocument(std::string document, const QString& outputFile);
