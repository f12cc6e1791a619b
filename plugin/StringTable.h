#pragma once
// The module's string table.

namespace rozo
{
/// The text of string id, or null before the module is loaded or for an
/// unknown id. Every call overwrites the one shared buffer: copy the text
/// before the next lookup.
const wchar_t* getString(int id);
} // namespace rozo
