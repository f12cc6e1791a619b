#ifndef MATERIALX_FILE_H
#define MATERIALX_FILE_H

/// @file
/// Cross-platform support for file and search paths

#include <MaterialXCore/Util.h>

#include <MaterialXFormat/Export.h>

MATERIALX_NAMESPACE_BEGIN

class FilePath;
using FilePathVec = vector<FilePath>;

/// The separator between the entries of a search path string: ";" on
/// Windows, ":" elsewhere.
extern MX_FORMAT_API const string PATH_LIST_SEPARATOR;
/// The environment variable holding the default search path.
extern MX_FORMAT_API const string MATERIALX_SEARCH_PATH_ENV_VAR;

/// @class FilePath
/// A generic file path, supporting both syntactic and file system operations.
/// Both "/" and "\" separate parts when a path is parsed.
class MX_FORMAT_API FilePath
{
  public:
    enum Type
    {
        TypeRelative = 0,
        TypeAbsolute = 1,
        TypeNetwork = 2
    };

    enum Format
    {
        FormatWindows = 0,
        FormatPosix = 1,
#if defined(_WIN32)
        FormatNative = FormatWindows
#else
        FormatNative = FormatPosix
#endif
    };

  public:
    FilePath() :
        type_(TypeRelative)
    {
    }

    /// Construct a path from a standard string.
    FilePath(const string& str)
    {
        assign(str);
    }

    /// Construct a path from a C-style string.
    FilePath(const char* str)
    {
        assign(str ? string(str) : EMPTY_STRING);
    }

    bool operator==(const FilePath& rhs) const
    {
        return vec_ == rhs.vec_ && type_ == rhs.type_;
    }
    bool operator!=(const FilePath& rhs) const
    {
        return !(*this == rhs);
    }

    /// Convert a path to a standard string.
    operator string() const
    {
        return asString();
    }

    /// @name Syntactic Operations
    /// @{

    /// Assign a path from a standard string, parsed in the given format.
    void assign(const string& str, Format format = FormatNative);

    /// Return this path as a standard string with the given format.
    string asString(Format format = FormatNative) const;

    /// Return true if the given path is empty.
    bool isEmpty() const
    {
        return vec_.empty();
    }

    /// Return true if the given path is absolute.
    bool isAbsolute() const
    {
        return type_ != TypeRelative;
    }

    /// Return the base name of the given path, with leading directory
    /// information removed.
    const string& getBaseName() const
    {
        if (isEmpty())
            return EMPTY_STRING;
        return vec_.back();
    }

    /// Return the parent directory of the given path, if any.  If no parent
    /// directory is present, then the empty path is returned.
    FilePath getParentPath() const
    {
        FilePath parent(*this);
        if (!parent.isEmpty())
            parent.vec_.pop_back();
        return parent;
    }

    /// Return the file extension of the given path, without the dot.
    string getExtension() const
    {
        const string& baseName = getBaseName();
        size_t i = baseName.rfind('.');
        return i != string::npos ? baseName.substr(i + 1) : EMPTY_STRING;
    }

    /// Add a file extension to the given path.
    void addExtension(const string& ext)
    {
        assign(asString() + "." + ext);
    }

    /// Remove the file extension, if any, from the given path.
    void removeExtension()
    {
        if (!isEmpty())
        {
            string& baseName = vec_.back();
            size_t i = baseName.rfind('.');
            if (i != string::npos)
                baseName.resize(i);
        }
    }

    /// Return the number of strings in the path.
    size_t size() const
    {
        return vec_.size();
    }

    /// Return the string at the given index.
    string operator[](size_t index)
    {
        return vec_[index];
    }

    /// Return the const string at the given index.
    const string& operator[](size_t index) const
    {
        return vec_[index];
    }

    /// Return a normalized version of the given path, collapsing "." and
    /// ".." parts where possible.
    FilePath getNormalized() const;

    /// Concatenate two paths with a directory separator.
    /// @throws Exception if the appended path is absolute.
    FilePath operator/(const FilePath& rhs) const;

    /// @}
    /// @name File System Operations
    /// @{

    /// Return true if the given path exists on the file system.
    bool exists() const;

    /// Return true if the given path is a directory on the file system.
    bool isDirectory() const;

    /// Return the names of the files in this directory with the given
    /// extension (all files when empty), in the order the file system lists
    /// them.  Sub-directories are not entered.
    FilePathVec getFilesInDirectory(const string& extension = EMPTY_STRING) const;

    /// Return this directory and all of its sub-directories, recursively.
    FilePathVec getSubDirectories() const;

    /// Create a directory on the file system at the given path; with
    /// recursive, any missing parent directories too.
    void createDirectory(bool recursive = false) const;

    /// Set the current working directory of the file system.
    bool setCurrentPath();

    /// @}

    /// Return the current working directory of the file system.
    static FilePath getCurrentPath();

    /// Return the directory containing the executable module.
    static FilePath getModulePath();

  private:
    StringVec vec_;
    Type type_;
};

/// @class FileSearchPath
/// A sequence of file paths, which may be queried to find the first instance
/// of a given filename on the file system.
class MX_FORMAT_API FileSearchPath
{
  public:
    using Iterator = FilePathVec::iterator;
    using ConstIterator = FilePathVec::const_iterator;

  public:
    FileSearchPath() = default;

    /// Construct a search path from a string.
    /// @param searchPath A string containing a sequence of file paths joined
    ///    by separator characters.
    /// @param sep The set of separator characters used in the search path.
    FileSearchPath(const string& searchPath, const string& sep = PATH_LIST_SEPARATOR);

    /// Convert this sequence of file paths to a string.
    string asString(const string& sep = PATH_LIST_SEPARATOR) const;

    /// Append the given path to the sequence.
    void append(const FilePath& path) { paths_.push_back(path); }

    /// Append the given search path to the sequence.
    void append(const FileSearchPath& searchPath)
    {
        paths_.insert(paths_.end(), searchPath.paths_.begin(), searchPath.paths_.end());
    }

    /// Prepend the given path to the sequence.
    void prepend(const FilePath& path) { paths_.insert(paths_.begin(), path); }

    /// Clear all paths from the sequence.
    void clear() { paths_.clear(); }

    /// Return the number of paths in the sequence.
    size_t size() const { return paths_.size(); }

    /// Return true if the search path is empty.
    bool isEmpty() const { return paths_.empty(); }

    /// Return the path at the given index.
    FilePath& operator[](size_t index) { return paths_[index]; }

    /// Return the const path at the given index.
    const FilePath& operator[](size_t index) const { return paths_[index]; }

    /// Given an input filename, iterate through each path in this sequence,
    /// returning the first combined path found on the file system.  On
    /// success, the combined path is returned; otherwise the original
    /// filename is returned unmodified.  Absolute filenames are returned as
    /// they are.
    FilePath find(const FilePath& filename) const;

    Iterator begin() { return paths_.begin(); }
    ConstIterator begin() const { return paths_.begin(); }
    Iterator end() { return paths_.end(); }
    ConstIterator end() const { return paths_.end(); }

  private:
    FilePathVec paths_;
};

/// Return a FileSearchPath object from the search path environment variable.
MX_FORMAT_API FileSearchPath getEnvironmentPath(const string& sep = PATH_LIST_SEPARATOR);

MATERIALX_NAMESPACE_END

#endif
