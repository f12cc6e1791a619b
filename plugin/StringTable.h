#pragma once
// The module's string table.

namespace rozo
{
/// The ids of the module's strings.
enum StringId : int
{
    DESCRIPTION_STRING = 1,
    CATEGORY_STRING = 2,
    CLASS_NAME_STRING = 3,
    PARAMETERS_STRING = 4,
    SPIN_STRING = 5,
    INTERFACE_NAME_STRING = 6,
    IMPORT_NAME_STRING = 7,
    EXPORT_NAME_STRING = 8,
    FILE_NAME_STRING = 9,
    MATERIALS_STRING = 10,
    GET_ERROR_STRING = 11,
    VERSION_STRING = 12,
};

/// The text of string id, or null before the module is loaded or for an
/// unknown id. Every call overwrites the one shared buffer: copy the text
/// before the next lookup.
const wchar_t* getString(int id);
} // namespace rozo
