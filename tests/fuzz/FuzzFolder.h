#pragma once
// A private folder for the files the fuzz inputs become: made once per
// process (in memory when /dev/shm is there: files on disk cost more than the
// input's own work), removed at exit.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace rozo::fuzz
{
class FuzzFolder
{
  public:
    FuzzFolder()
    {
        const char* temp = std::getenv("TMPDIR");
        std::error_code ignored;
        const std::string base = std::filesystem::is_directory("/dev/shm", ignored) && access("/dev/shm", W_OK) == 0
                                     ? "/dev/shm"
                                     : (temp && *temp ? temp : "/tmp");
        std::string pattern = base + "/rozo-fuzz-XXXXXX";
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

    /// Writes bytes to name inside the folder; answers the full path.
    std::string write(const std::string& name, const char* data, size_t size) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
        return file.string();
    }

    /// How many numbered files a file set left here (see FileSet.h).
    int fileCount() const { return fileCount_; }
    void setFileCount(int count) const { fileCount_ = count; }

  private:
    std::filesystem::path path_;
    mutable int fileCount_ = 0;
};
} // namespace rozo::fuzz
