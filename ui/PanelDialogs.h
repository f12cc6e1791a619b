#pragma once
// What the panel's import and export handlers share: the MaterialX file
// filter, their remembered dialog state and the run's warning box.

#include <NorvaneSDK.h>

#include <string>

class QWidget;

namespace rozo
{
/// A file dialog's last file name and start folder, kept for the host run.
struct DialogMemory
{
    WStr fileName;
    WStr folder{ L"D:\\Dev\\MaterialX\\resources\\Materials\\Examples\\StandardSurface" };
};

/// The filter list "MaterialX" / "*.mtlx".
FilterList materialXFilter();

/// Shows text in a warning box titled title; nothing when text is empty.
void warnWithLog(QWidget* parent, const wchar_t* title, const std::string& text);

extern const wchar_t* const DIALOG_TITLE;
extern const wchar_t* const IMPORT_TITLE;
extern const wchar_t* const EXPORT_TITLE;
} // namespace rozo
