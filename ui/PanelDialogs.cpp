#include "ui/PanelDialogs.h"

#include <cstring>

namespace rozo
{
const wchar_t* const DIALOG_TITLE = L"Pick some .MTLX";
const wchar_t* const IMPORT_TITLE = L"MaterialX Import";
const wchar_t* const EXPORT_TITLE = L"MaterialX Export";

FilterList materialXFilter()
{
    FilterList filters;
    filters.Append(WStr(L"MaterialX"), WStr(L"*.mtlx"));
    return filters;
}

void warnWithLog(QWidget* parent, const wchar_t* title, const std::string& text)
{
    if (text.empty())
        return;
    // The log is UTF-8; what follows a zero byte is not shown.
    GetCOREInterface()->WarningBox(parent, WStr(title), WStr::FromUTF8(std::string(text.c_str())));
}
} // namespace rozo
