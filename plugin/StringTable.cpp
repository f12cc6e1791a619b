#include "plugin/StringTable.h"

#include "plugin/ModuleHandle.h"

#include <cwchar>
#include <map>

namespace rozo
{
namespace
{
constexpr int BUFFER_LENGTH = 256;
wchar_t sharedBuffer[BUFFER_LENGTH];

const std::map<int, const wchar_t*>& stringTable()
{
    static const std::map<int, const wchar_t*> table = {
        { DESCRIPTION_STRING, L"MaterialX for Norvane" },
        { CATEGORY_STRING, L"MaterialX" },
        { CLASS_NAME_STRING, L"MtlXIOUtil" },
        { PARAMETERS_STRING, L"Parameters" },
        { SPIN_STRING, L"Spin" },
        { INTERFACE_NAME_STRING, L"MaterialX" },
        { IMPORT_NAME_STRING, L"ImportMtlX" },
        { EXPORT_NAME_STRING, L"ExportMtlX" },
        { FILE_NAME_STRING, L"FileName" },
        { MATERIALS_STRING, L"Materials" },
        { GET_ERROR_STRING, L"GetError" },
        { VERSION_STRING, L"Version" },
    };
    return table;
}

// Copies the entry into the buffer the way a resource lookup does; 0 when absent.
int loadString(int id, wchar_t* buffer, int length)
{
    auto it = stringTable().find(id);
    if (it == stringTable().end() || length <= 0)
        return 0;
    std::wcsncpy(buffer, it->second, static_cast<size_t>(length - 1));
    buffer[length - 1] = L'\0';
    return static_cast<int>(std::wcslen(buffer));
}
} // namespace

const wchar_t* getString(int id)
{
    if (!moduleHandle())
        return nullptr;
    return loadString(id, sharedBuffer, BUFFER_LENGTH) != 0 ? sharedBuffer : nullptr;
}
} // namespace rozo
