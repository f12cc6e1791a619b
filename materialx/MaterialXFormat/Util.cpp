#include <MaterialXFormat/Util.h>

#include <fstream>
#include <sstream>

MATERIALX_NAMESPACE_BEGIN

string readFile(const FilePath& file)
{
    std::ifstream stream(file.asString(), std::ios::in | std::ios::binary);
    if (!stream)
        return EMPTY_STRING;
    std::ostringstream contents;
    contents << stream.rdbuf();
    return stream.fail() && !stream.eof() ? EMPTY_STRING : contents.str();
}

void getSubdirectories(const FilePathVec& rootDirectories, const FileSearchPath& searchPath, FilePathVec& subDirectories)
{
    for (const FilePath& root : rootDirectories)
    {
        const FilePath rootPath = searchPath.find(root);
        if (rootPath.exists())
        {
            FilePathVec dirs = rootPath.getSubDirectories();
            subDirectories.insert(subDirectories.end(), dirs.begin(), dirs.end());
        }
    }
}

MATERIALX_NAMESPACE_END
