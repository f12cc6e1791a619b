#include "plugin/contracts/AtomicFileWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

namespace rozo
{
namespace
{
constexpr size_t CHUNK_SIZE = 256 * 1024;
constexpr int MAX_LINK_HOPS = 40;
const char* const TEMPORARY_MARKER = ".rozo-";
constexpr size_t TEMPORARY_UNIQUE_LENGTH = 6; // mkstemp's XXXXXX

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, which need not exist; empty
// when the chain does not end.
std::string resolveLinks(std::string path)
{
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop)
    {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size() - 1);
        if (length < 0)
            return path;
        std::string link(buffer.data(), static_cast<size_t>(length));
        path = link.front() == '/' ? link : folderOf(path) + "/" + link;
    }
    return std::string();
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes a temporary file whose writer is gone. A live writer holds a lock
// on its file until the rename, so a file that can be locked was abandoned.
void removeIfAbandoned(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened, named;
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        lstat(path.c_str(), &named) == 0 && sameFile(opened, named))
    {
        unlink(path.c_str());
    }
    close(fd);
}

void removeAbandonedTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> found;
    while (const dirent* entry = readdir(dir))
    {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + TEMPORARY_UNIQUE_LENGTH && name.compare(0, prefix.size(), prefix) == 0)
            found.push_back(folder + "/" + name);
    }
    closedir(dir);
    for (const std::string& path : found)
        removeIfAbandoned(path);
}

mode_t creationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, std::string_view content, const std::function<void(AtomicWriteStep)>& observe)
{
    size_t done = 0;
    while (done < content.size())
    {
        const size_t piece = std::min(CHUNK_SIZE, content.size() - done);
        const ssize_t n = write(fd, content.data() + done, piece);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
        if (observe)
            observe(AtomicWriteStep::ChunkWritten);
    }
    return true;
}

// Creates and locks a fresh temporary file; -1 when none can be made.
int createTemporary(const std::string& prefix, std::string& path)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        std::string name = prefix + "XXXXXX";
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        // A cleaner of another process may have taken the file between its
        // creation and the lock; then it is gone, and another one is made.
        struct stat opened, named;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && lstat(name.c_str(), &named) == 0 &&
            sameFile(opened, named))
        {
            path = name;
            return fd;
        }
        close(fd);
    }
    return -1;
}

void syncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd); // not every file system can; the rename has happened either way
    close(fd);
}
} // namespace

std::string atomicWriteTemporaryPrefix(const std::string& target)
{
    return "." + fileNameOf(target) + TEMPORARY_MARKER;
}

bool writeFileAtomically(const std::string& target, std::string_view content,
                         const std::function<void(AtomicWriteStep)>& observe, AtomicWriteDurability durability)
{
    return writeFileAtomically(
        target, [&](const AtomicContentSink& sink) { return sink(content); }, observe, durability);
}

bool writeFileAtomically(const std::string& target, const std::function<bool(const AtomicContentSink&)>& produce,
                         const std::function<void(AtomicWriteStep)>& observe, AtomicWriteDurability durability)
{
    const bool synced = durability == AtomicWriteDurability::Synced;
    const std::string destination = resolveLinks(target);
    if (destination.empty() || fileNameOf(destination).empty())
        return false;
    const std::string folder = folderOf(destination);
    const std::string prefix = atomicWriteTemporaryPrefix(destination);
    removeAbandonedTemporaries(folder, prefix);

    std::string temporary;
    const int fd = createTemporary(folder + "/" + prefix, temporary);
    if (fd < 0)
        return false;
    if (observe)
        observe(AtomicWriteStep::TemporaryCreated);

    struct stat existing;
    const mode_t mode = stat(destination.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : creationMode();
    // Pieces are gathered into whole chunks; a piece that starts a chunk and
    // holds whole ones is written from where it is.
    std::string pending;
    const AtomicContentSink sink = [&](std::string_view piece) {
        if (pending.empty() && piece.size() >= CHUNK_SIZE)
        {
            const size_t whole = piece.size() - piece.size() % CHUNK_SIZE;
            if (!writeAll(fd, piece.substr(0, whole), observe))
                return false;
            piece.remove_prefix(whole);
        }
        while (!piece.empty())
        {
            const size_t taken = std::min(piece.size(), CHUNK_SIZE - pending.size());
            pending.append(piece.data(), taken);
            piece.remove_prefix(taken);
            if (pending.size() == CHUNK_SIZE)
            {
                if (!writeAll(fd, pending, observe))
                    return false;
                pending.clear();
            }
        }
        return true;
    };
    bool ok = fchmod(fd, mode) == 0 && produce(sink) && writeAll(fd, pending, observe) && (!synced || fsync(fd) == 0);
    if (ok && synced && observe)
        observe(AtomicWriteStep::Synced);
    // The lock lives as long as any descriptor of the file: a copy keeps it
    // until the rename, while the close is checked first, since errors of
    // delayed writes can show only there.
    const int lockFd = dup(fd);
    ok = close(fd) == 0 && ok && lockFd >= 0;
    ok = ok && rename(temporary.c_str(), destination.c_str()) == 0;
    if (!ok)
        unlink(temporary.c_str());
    if (lockFd >= 0)
        close(lockFd);
    if (!ok)
        return false;
    if (synced)
        syncFolder(folder);
    if (observe)
        observe(AtomicWriteStep::Renamed);
    return true;
}
} // namespace rozo
