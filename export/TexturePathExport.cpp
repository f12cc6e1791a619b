#include "export/ExportOperations.h"

#include "plugin/PathParts.h"

#include <QDir>
#include <QFile>

std::string rozo::ExportOperations::exportTexturePath(const QString& texturePath)
{
    QString path = texturePath;
    if (resolveTexturePaths)
    {
        const WStr full = IFileResolutionManager::GetInstance()->GetFullFilePath(WStr::FromQString(path).data(), ASSET_TYPE_BITMAP, false);
        if (!full.isNull() && full.Length() > 0)
            path = full.ToQString();
    }
    if (copyTextures)
        path = copyTextureFile(path);
    else if (relativeTexturePaths)
        path = QDir(exportFolder).relativeFilePath(path);
    return path.toStdString();
}

QString rozo::ExportOperations::copyTextureFile(const QString& path)
{
    const QString fileName = rozo::fileNamePart(path).left(999);
    // QFile::copy never overwrites: an existing target is kept as it is.
    QFile::copy(path, exportFolder + fileName);
    return fileName;
}
