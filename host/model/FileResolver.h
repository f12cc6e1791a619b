#pragma once
// The host's file-resolution service: a name as given (relative names from
// the current folder), then each search folder with the name and with its
// file name alone. Backslashes count as separators too.
#include "FileResolution.h"
#include <QString>
#include <QStringList>
#include <map>

namespace Norvane
{

class FileResolver : public IFileResolutionManager
{
  public:
    static FileResolver& Instance();
    WStr GetFullFilePath(const wchar_t* file, int assetType, bool refreshCache = false) override;
    int GetNumSearchPaths(int assetType) override;
    WStr GetSearchPath(int i, int assetType) override;
    void AddSearchPath(const wchar_t* folder, int assetType) override;
    void ClearSearchPaths(int assetType) override;

    QString Resolve(const QString& file, int assetType = ASSET_TYPE_BITMAP) const;
    QStringList SearchPaths(int assetType = ASSET_TYPE_BITMAP) const;
    void SetSearchPaths(const QStringList& folders, int assetType = ASSET_TYPE_BITMAP);

  private:
    std::map<int, QStringList> folders_;
};

} // namespace Norvane
