#include "FileResolver.h"

#include <QDir>
#include <QFileInfo>

namespace Norvane
{
namespace
{

QString ExistingFile(const QString& path)
{
    QFileInfo info(path);
    return info.exists() && info.isFile() ? QDir::toNativeSeparators(info.absoluteFilePath()) : QString();
}

} // namespace

FileResolver& FileResolver::Instance()
{
    static FileResolver resolver;
    return resolver;
}

QString FileResolver::Resolve(const QString& file, int assetType) const
{
    if (file.isEmpty())
        return QString();
    QString forward = file;
    forward.replace(QLatin1Char('\\'), QLatin1Char('/'));
    for (const QString& candidate : { file, forward })
    {
        QString found = ExistingFile(candidate);
        if (!found.isEmpty())
            return found;
    }
    auto it = folders_.find(assetType);
    if (it == folders_.end())
        return QString();
    // A drive-letter path is absolute too, though not on this platform.
    const bool absolute = QFileInfo(forward).isAbsolute() || (forward.size() > 1 && forward[1] == QLatin1Char(':'));
    const QString name = QFileInfo(forward).fileName();
    for (const QString& folder : it->second)
    {
        QDir dir(folder);
        QStringList candidates;
        if (!absolute)
            candidates << dir.filePath(forward);
        candidates << dir.filePath(name);
        for (const QString& candidate : candidates)
        {
            QString found = ExistingFile(candidate);
            if (!found.isEmpty())
                return found;
        }
    }
    return QString();
}

WStr FileResolver::GetFullFilePath(const wchar_t* file, int assetType, bool)
{
    return WStr::FromQString(Resolve(QString::fromWCharArray(file ? file : L""), assetType));
}

int FileResolver::GetNumSearchPaths(int assetType)
{
    return SearchPaths(assetType).size();
}

WStr FileResolver::GetSearchPath(int i, int assetType)
{
    QStringList paths = SearchPaths(assetType);
    return i >= 0 && i < paths.size() ? WStr::FromQString(paths[i]) : WStr();
}

void FileResolver::AddSearchPath(const wchar_t* folder, int assetType)
{
    if (folder && *folder)
        folders_[assetType].append(QString::fromWCharArray(folder));
}

void FileResolver::ClearSearchPaths(int assetType)
{
    folders_.erase(assetType);
}

QStringList FileResolver::SearchPaths(int assetType) const
{
    auto it = folders_.find(assetType);
    return it == folders_.end() ? QStringList() : it->second;
}

void FileResolver::SetSearchPaths(const QStringList& folders, int assetType)
{
    folders_[assetType] = folders;
}

} // namespace Norvane

IFileResolutionManager* IFileResolutionManager::GetInstance()
{
    return &Norvane::FileResolver::Instance();
}
