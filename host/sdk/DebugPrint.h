#pragma once
// The host's developer diagnostics channel. Formats are wide printf formats
// in which %s takes a wide string (use %hs for a narrow one).
void DebugPrint(const wchar_t* format, ...);
