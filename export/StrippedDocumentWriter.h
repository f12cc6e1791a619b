#pragma once

#include <QString>

#include <functional>
#include <ostream>
#include <string>

namespace rozo
{
// Writes the XML text `document` to `outputFile` without its "<xi:include"
// lines. The output is replaced only once its complete new content is on the
// disk; on failure an existing output is left as it was and nothing else
// stays behind. Returns false when nothing was written.
bool writeStrippedDocument(const std::string& document, const QString& outputFile);
// The same for the text that `write` puts on the stream it is given: the lines
// go to the disk as they come, so a large document is never held as text. An
// exception from `write` leaves the output as it was and is passed on.
bool writeStrippedDocument(const std::function<void(std::ostream&)>& write, const QString& outputFile);
} // namespace rozo
