#include "plugin/MtlXIOUtil.h"

#include "export/ExportRun.h"
#include "import/ImportRun.h"
#include "import/LibraryLoading.h"
#include "ui/Panel.h"

namespace rozo
{
MtlXIOUtil::MtlXIOUtil() :
    panel_(std::make_unique<Panel>(*this))
{
    initLibraries(settings_);
}

MtlXIOUtil::MtlXIOUtil(const mx::FilePath& moduleFile) :
    panel_(std::make_unique<Panel>(*this))
{
    initLibraries(settings_, moduleFile);
}

MtlXIOUtil::~MtlXIOUtil() = default;

void MtlXIOUtil::BeginEditParams(Interface*, IUtil* iu)
{
    panel_->open(iu);
}

void MtlXIOUtil::EndEditParams(Interface*, IUtil* iu)
{
    panel_->close(iu);
}

Tab<Mtl*> MtlXIOUtil::importFile(WStr fileName)
{
    ImportRun run(settings_, shaderCache_);
    Tab<Mtl*> materials = run.importFile(fileName);
    // Scripts have always read a missing file's line after the log before it.
    if (run.readStarted())
        lastLog_ = std::move(run.messageLog);
    else
        lastLog_.append(run.messageLog);
    return materials;
}

bool MtlXIOUtil::importMaterials(const std::string& path, std::vector<Mtl*>& materials)
{
    ImportRun run(settings_, shaderCache_);
    const bool clean = run.importMaterials(path, materials);
    lastLog_ = std::move(run.messageLog);
    return clean;
}

bool MtlXIOUtil::exportFile(WStr fileName, const Tab<Mtl*>& materials)
{
    return exportFile(fileName, materials, settings_.exportVersion);
}

bool MtlXIOUtil::exportFile(WStr fileName, const Tab<Mtl*>& materials, DocumentVersionChoice version)
{
    ExportRun run(settings_);
    const bool clean = run.exportFile(fileName, materials, version);
    lastLog_ = std::move(run.messageLog);
    return clean;
}

void MtlXIOUtil::exportMaterials(WStr fileName, const MaterialSet& materialSet)
{
    ExportRun run(settings_);
    run.exportMaterials(fileName, materialSet);
    lastLog_ = std::move(run.messageLog);
}

MtlXIOUtil* getMtlXIOUtil()
{
    static MtlXIOUtil util;
    return &util;
}
} // namespace rozo
