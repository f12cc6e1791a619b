#pragma once
// Cutting file names into folder and name. A slash and a backslash both
// count on every platform: documents and scenes made on one system are read
// on the other.

#include <QString>

namespace rozo
{
/// Position of the last separator in path, or -1.
int lastSeparator(const QString& path);

/// The folder part of path with its trailing separator; empty when path
/// has no separator or only a leading one.
QString folderWithSeparator(const QString& path);

/// The part of path after its last separator (all of it when there is none).
QString fileNamePart(const QString& path);
} // namespace rozo
