#pragma once
// The one utility object of the plug-in: the settings every run reads, the
// panel, and the log of the last run. Each import and export is a run object
// of its own (import/ImportRun.h, export/ExportRun.h), made for one call.

#include "export/MaterialSet.h"
#include "import/PrecompiledShaderCache.h"
#include "plugin/MessageLog.h"
#include "plugin/PluginSettings.h"

#include <NorvaneSDK.h>

#include <memory>
#include <string>
#include <vector>

namespace rozo
{
class Panel;

class MtlXIOUtil : public UtilityObj
{
  public:
    /// Loads the libraries found from the plug-in module's own file.
    MtlXIOUtil();
    /// Loads the libraries found from moduleFile, as if the module lay there.
    explicit MtlXIOUtil(const mx::FilePath& moduleFile);
    ~MtlXIOUtil() override;

    MtlXIOUtil(const MtlXIOUtil&) = delete;
    MtlXIOUtil& operator=(const MtlXIOUtil&) = delete;

    // Utility object operations called by the host: they open and close the panel.
    void BeginEditParams(Interface* ip, IUtil* iu) override;
    void EndEditParams(Interface* ip, IUtil* iu) override;
    void SelectionSetChanged(Interface* ip, IUtil* iu) override {}
    void DeleteThis() override {}
    void SetStartupParam(WStr param) override {}

    PluginSettings& settings() { return settings_; }
    const PluginSettings& settings() const { return settings_; }
    Panel& panel() { return *panel_; }

    // The runs, wherever they are started from; each leaves its log as the last one.
    /// A missing file adds its line to the last log instead of starting one.
    Tab<Mtl*> importFile(WStr fileName);
    bool importMaterials(const std::string& path, std::vector<Mtl*>& materials);
    bool exportFile(WStr fileName, const Tab<Mtl*>& materials);
    bool exportFile(WStr fileName, const Tab<Mtl*>& materials, DocumentVersionChoice version);
    void exportMaterials(WStr fileName, const MaterialSet& materialSet);

    /// The log of the last run, for GetError and the panel's warnings.
    const MessageLog& lastLog() const { return lastLog_; }
    /// Makes log the last one, for a call that fails before any run.
    void keepLog(MessageLog log) { lastLog_ = std::move(log); }
    WStr getErrorText() const { return lastLog_.getErrorText(); }

  private:
    PluginSettings settings_;
    MessageLog lastLog_;
    PrecompiledShaderCache shaderCache_;
    const std::unique_ptr<Panel> panel_;
};

/// The one utility object, created on first use.
MtlXIOUtil* getMtlXIOUtil();
} // namespace rozo
