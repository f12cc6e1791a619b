#pragma once
// The one utility object of the plug-in. It holds the import
// (import/ImportOperations.h), the export (export/ExportOperations.h) and the
// panel (ui/PanelOperations.h) with their state, over the options, libraries
// and message log they share (plugin/PluginState.h).

#include "export/ExportOperations.h"
#include "import/ImportOperations.h"
#include "ui/PanelOperations.h"

#include <NorvaneSDK.h>

#include <QObject>

class MtlXIOUtil : public UtilityObj,
                   public QObject,
                   public rozo::ImportOperations,
                   public rozo::ExportOperations,
                   public rozo::PanelOperations
{
  public:
    /// Loads the libraries found from the plug-in module's own file.
    MtlXIOUtil();
    /// Loads the libraries found from moduleFile, as if the module lay there.
    explicit MtlXIOUtil(const mx::FilePath& moduleFile);
    ~MtlXIOUtil() override;

    MtlXIOUtil(const MtlXIOUtil&) = delete;
    MtlXIOUtil& operator=(const MtlXIOUtil&) = delete;

    // Utility object operations called by the host (ui/PanelOpen.cpp).
    void BeginEditParams(Interface* ip, IUtil* iu) override;
    void EndEditParams(Interface* ip, IUtil* iu) override;
    void SelectionSetChanged(Interface* ip, IUtil* iu) override {}
    void DeleteThis() override {}
    void SetStartupParam(WStr param) override {}

    // The runs, wherever they are started from.
    bool importMaterials(const std::string& path, std::vector<Mtl*>& materials) override
    {
        return ImportOperations::importMaterials(path, materials);
    }
    void exportMaterials(WStr fileName, const rozo::MaterialSet& materialSet) override
    {
        ExportOperations::exportMaterials(fileName, materialSet);
    }

  protected:
    void forgetExportedMaps() override { ExportOperations::forgetExportedMaps(); }
};

/// The one utility object, created on first use.
MtlXIOUtil* getMtlXIOUtil();
