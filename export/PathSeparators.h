#pragma once

#include <QString>

// Paths are cut at the platform's separator; a backslash counts everywhere.

// Position of the last separator in `path`, or -1.
int lastSeparator(const QString& path);

// The folder part of `path` with its trailing separator; empty when `path`
// has no separator or only a leading one.
QString folderWithSeparator(const QString& path);

// The part of `path` after its last separator (all of it when there is none).
QString fileNamePart(const QString& path);
