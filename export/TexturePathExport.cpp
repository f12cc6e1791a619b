#include "export/ExportRun.h"

#include "plugin/PathParts.h"

#include <QDir>
#include <QFile>

namespace rozo
{
std::string ExportRun::exportTexturePath(const QString& texturePath)
{
    QString path = texturePath;
    if (settings_.resolveTexturePaths)
    {
        const WStr full = IFileResolutionManager::GetInstance()->GetFullFilePath(WStr::FromQString(path).data(), ASSET_TYPE_BITMAP, false);
        if (!full.isNull() && full.Length() > 0)
            path = full.ToQString();
    }
    if (settings_.copyTextures)
        path = copyTextureFile(path);
    else if (settings_.relativeTexturePaths)
        path = QDir(exportFolder).relativeFilePath(path);
    return path.toStdString();
}

QString ExportRun::copyTextureFile(const QString& path)
{
    const QString fileName = fileNamePart(path).left(999);
    // QFile::copy never overwrites: an existing target is kept as it is.
    QFile::copy(path, exportFolder + fileName);
    return fileName;
}
} // namespace rozo
