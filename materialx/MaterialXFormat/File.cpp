#include <MaterialXFormat/File.h>

#include <MaterialXCore/Exception.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

MATERIALX_NAMESPACE_BEGIN

#if defined(_WIN32)
const string PATH_LIST_SEPARATOR = ";";
#else
const string PATH_LIST_SEPARATOR = ":";
#endif
const string MATERIALX_SEARCH_PATH_ENV_VAR = "MATERIALX_SEARCH_PATH";

namespace
{

// Both separators are accepted whatever the platform.
const string VALID_SEPARATORS = "/\\";
const char PREFERRED_SEPARATOR_WINDOWS = '\\';
const char PREFERRED_SEPARATOR_POSIX = '/';

// Visits the entries of a directory in the order the file system lists
// them; the dot entries are skipped.
template <class F> void forEachEntry(const FilePath& dir, F f)
{
    DIR* handle = opendir(dir.asString().c_str());
    if (!handle)
        return;
    while (const dirent* entry = readdir(handle))
    {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        f(*entry);
    }
    closedir(handle);
}

} // anonymous namespace

//
// FilePath
//

void FilePath::assign(const string& str, Format format)
{
    type_ = TypeRelative;
    vec_ = splitString(str, VALID_SEPARATORS);
    if (str.empty())
        return;
    if (format == FormatPosix)
    {
        if (str[0] == PREFERRED_SEPARATOR_POSIX)
            type_ = TypeAbsolute;
    }
    else if (str.size() >= 2)
    {
        if (str[0] == PREFERRED_SEPARATOR_WINDOWS && str[1] == PREFERRED_SEPARATOR_WINDOWS)
            type_ = TypeNetwork;
        else if (str[1] == ':')
            type_ = TypeAbsolute;
    }
}

string FilePath::asString(Format format) const
{
    string str;
    if (format == FormatPosix && isAbsolute())
        str += PREFERRED_SEPARATOR_POSIX;
    else if (format == FormatWindows && type_ == TypeNetwork)
        str += "\\\\";
    const char sep = format == FormatPosix ? PREFERRED_SEPARATOR_POSIX : PREFERRED_SEPARATOR_WINDOWS;
    for (size_t i = 0; i < vec_.size(); i++)
    {
        if (i)
            str += sep;
        str += vec_[i];
    }
    return str;
}

FilePath FilePath::getNormalized() const
{
    FilePath res;
    res.type_ = type_;
    for (const string& part : vec_)
    {
        if (part == ".")
            continue;
        if (part == ".." && !res.vec_.empty() && res.vec_.back() != "..")
        {
            res.vec_.pop_back();
            continue;
        }
        res.vec_.push_back(part);
    }
    return res;
}

FilePath FilePath::operator/(const FilePath& rhs) const
{
    if (rhs.isAbsolute())
        throw Exception("Appended path must be relative.");
    FilePath combined(*this);
    combined.vec_.insert(combined.vec_.end(), rhs.vec_.begin(), rhs.vec_.end());
    return combined;
}

bool FilePath::exists() const
{
    struct stat sb;
    return stat(asString().c_str(), &sb) == 0;
}

bool FilePath::isDirectory() const
{
    struct stat sb;
    return stat(asString().c_str(), &sb) == 0 && S_ISDIR(sb.st_mode);
}

FilePathVec FilePath::getFilesInDirectory(const string& extension) const
{
    FilePathVec files;
    forEachEntry(*this, [&](const dirent& entry) {
        if (entry.d_type == DT_DIR)
            return;
        FilePath file(entry.d_name);
        if (extension.empty() || file.getExtension() == extension)
            files.push_back(std::move(file));
    });
    return files;
}

FilePathVec FilePath::getSubDirectories() const
{
    if (!isDirectory())
        return FilePathVec();
    FilePathVec dirs{ *this };
    forEachEntry(*this, [&](const dirent& entry) {
        if (entry.d_type != DT_DIR)
            return;
        // Symbolic links are not followed, so a link cycle cannot recurse.
        FilePathVec sub = (*this / FilePath(entry.d_name)).getSubDirectories();
        dirs.insert(dirs.end(), sub.begin(), sub.end());
    });
    return dirs;
}

void FilePath::createDirectory(bool recursive) const
{
    if (recursive)
    {
        if (isEmpty() || exists())
            return;
        FilePath parent = getParentPath();
        if (!parent.isEmpty() && !parent.exists())
            parent.createDirectory(true);
    }
    mkdir(asString().c_str(), 0777);
}

bool FilePath::setCurrentPath()
{
    return chdir(asString().c_str()) == 0;
}

FilePath FilePath::getCurrentPath()
{
    vector<char> buf(PATH_MAX);
    while (!getcwd(buf.data(), buf.size()))
    {
        if (errno != ERANGE)
            return FilePath();
        buf.resize(buf.size() * 2);
    }
    return FilePath(buf.data());
}

FilePath FilePath::getModulePath()
{
    vector<char> buf(PATH_MAX);
    ssize_t len = 0;
    while ((len = readlink("/proc/self/exe", buf.data(), buf.size())) == ssize_t(buf.size()))
        buf.resize(buf.size() * 2);
    if (len <= 0)
        return FilePath();
    return FilePath(string(buf.data(), size_t(len))).getParentPath();
}

//
// FileSearchPath
//

FileSearchPath::FileSearchPath(const string& searchPath, const string& sep)
{
    for (const string& path : splitString(searchPath, sep))
        append(FilePath(path));
}

string FileSearchPath::asString(const string& sep) const
{
    string str;
    for (size_t i = 0; i < paths_.size(); i++)
    {
        if (i)
            str += sep;
        str += paths_[i].asString();
    }
    return str;
}

FilePath FileSearchPath::find(const FilePath& filename) const
{
    if (paths_.empty() || filename.isEmpty() || filename.isAbsolute())
        return filename;
    for (const FilePath& path : paths_)
    {
        FilePath combined = path / filename;
        if (combined.exists())
            return combined;
    }
    return filename;
}

FileSearchPath getEnvironmentPath(const string& sep)
{
    const char* value = std::getenv(MATERIALX_SEARCH_PATH_ENV_VAR.c_str());
    return FileSearchPath(value ? string(value) : EMPTY_STRING, sep);
}

MATERIALX_NAMESPACE_END
