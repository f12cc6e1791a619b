#pragma once
// Several small documents in one fuzz input: each file ends at a separator
// line, and the files become 0.mtlx, 1.mtlx, ... in a folder, beside an empty
// folder "dir" for includes that name a folder.

#include "FuzzFolder.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace rozo::fuzz
{
inline constexpr std::string_view FILE_SEPARATOR = "\n---8<---\n";
inline constexpr int MAX_FILES = 16;

/// Replaces the folder's files with those of the input; answers the path of 0.mtlx.
inline std::string writeFileSet(const FuzzFolder& folder, std::string_view input)
{
    std::error_code ignored;
    if (folder.fileCount() == 0)
        std::filesystem::create_directory(folder.path() / "dir", ignored);
    std::string first;
    int index = 0;
    for (; index < MAX_FILES; ++index)
    {
        const size_t end = index + 1 < MAX_FILES ? input.find(FILE_SEPARATOR) : std::string_view::npos;
        const std::string_view part = input.substr(0, end);
        const std::string path = folder.write(std::to_string(index) + ".mtlx", part.data(), part.size());
        if (index == 0)
            first = path;
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + FILE_SEPARATOR.size());
    }
    // The files of a longer input before must not answer this one's includes.
    const int written = index + 1;
    for (int stale = written; stale < folder.fileCount(); ++stale)
        std::filesystem::remove(folder.path() / (std::to_string(stale) + ".mtlx"), ignored);
    folder.setFileCount(written);
    return first;
}
} // namespace rozo::fuzz
