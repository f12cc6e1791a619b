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
        {1, L"MaterialX for Norvane"},
        {2, L"MaterialX"},
        {3, L"MtlXIOUtil"},
        {4, L"Parameters"},
        {5, L"Spin"},
        {6, L"MaterialX"},
        {7, L"ImportMtlX"},
        {8, L"ExportMtlX"},
        {9, L"FileName"},
        {10, L"Materials"},
        {11, L"GetError"},
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
