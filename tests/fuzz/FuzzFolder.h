#pragma once
// A private folder for the files one fuzz input becomes: made once per
// process, emptied before every input, removed at exit.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace rozo::fuzz
{
class FuzzFolder
{
public:
    FuzzFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/rozo-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
        {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~FuzzFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    /// Removes whatever the last input left.
    void clear() const
    {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }

    /// Writes bytes to name inside the folder; answers the full path.
    std::string write(const std::string& name, const char* data, size_t size) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
        return file.string();
    }

private:
    std::filesystem::path path_;
};
} // namespace rozo::fuzz
