#pragma once
// The C-style preprocessor OSL sources go through before they are parsed:
// comments, line continuations, #include, object-like #define and the
// conditional directives. Function-like macros are recorded but never expanded
// (they only ever appear in shader bodies, which are not compiled).

#include <string>
#include <vector>

namespace Norvane::osl
{

// One line of preprocessed text and where it came from.
struct SourceLine
{
    std::string text;
    std::string file; // the file's path, or the display name of code given as text
    int line = 0;     // 1-based line in that file
};

struct PreprocessResult
{
    std::vector<SourceLine> lines;
    std::vector<std::string> includedFiles; // every file read through #include, once each
    std::string error;                      // "FILE:LINE: error: ..." when the text is bad
    bool ok() const { return error.empty(); }
};

// Display name used in messages for code that did not come from a file.
inline constexpr const char* UNNAMED_SOURCE_NAME = "<OSL code>";

// Quoted includes are looked up next to the including file (when its path is
// known), then in includeFolders; <...> includes only in includeFolders;
// absolute paths as they stand. "stdosl.h" is built in.
PreprocessResult preprocessOsl(const std::string& text, const std::string& sourceFilePath,
                               const std::vector<std::string>& includeFolders);

} // namespace Norvane::osl
