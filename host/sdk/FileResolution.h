#pragma once
// Finding asset files: the name as given, then the configured search folders.
#include "WStr.h"

// Asset kinds.
constexpr int ASSET_TYPE_OTHER = 0;
constexpr int ASSET_TYPE_BITMAP = 1;
constexpr int ASSET_TYPE_XREF = 2;

class IFileResolutionManager
{
  public:
    static IFileResolutionManager* GetInstance();
    virtual ~IFileResolutionManager() = default;
    // Full path of an existing file for `file`, empty when it cannot be found.
    virtual WStr GetFullFilePath(const wchar_t* file, int assetType, bool refreshCache = false) = 0;
    // Search folders, tried in order after the name itself.
    virtual int GetNumSearchPaths(int assetType = ASSET_TYPE_BITMAP) = 0;
    virtual WStr GetSearchPath(int i, int assetType = ASSET_TYPE_BITMAP) = 0;
    virtual void AddSearchPath(const wchar_t* folder, int assetType = ASSET_TYPE_BITMAP) = 0;
    virtual void ClearSearchPaths(int assetType = ASSET_TYPE_BITMAP) = 0;
};
