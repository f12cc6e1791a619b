#pragma once
// The folder part of an imported document's path.

#include <QString>

#include <string>

namespace rozo
{
/// The path up to and including its last separator ("/" or "\\"); empty when
/// it has none or only as its first character.
QString documentFolderOf(const std::string& utf8Path);
} // namespace rozo
