#pragma once
// One import: reading a document and turning its materials into Physical
// Materials with their maps. Made for one call and dropped after it, with
// its log, its caches and the document's folder.

#include "import/PrecompiledShaderCache.h"
#include "plugin/MessageLog.h"
#include "plugin/PluginSettings.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include <QString>

namespace rozo
{
class ImportRun
{
  public:
    explicit ImportRun(const PluginSettings& settings);
    /// A run that takes and fills the session's precompiled shaders.
    ImportRun(const PluginSettings& settings, PrecompiledShaderCache& shaderCache);

    ImportRun(const ImportRun&) = delete;
    ImportRun& operator=(const ImportRun&) = delete;

    mx::DocumentPtr readImportDocument(const std::string& path);

    /// The script import: a missing file is logged and reads nothing.
    Tab<Mtl*> importFile(WStr fileName);
    /// Imports the document's materials; true when nothing was logged.
    bool importMaterials(const std::string& path, std::vector<Mtl*>& materials);
    void setParameterFromValue(IParamBlock2* block, const std::string& name, const mx::ValuePtr& value);
    bool ResolveConnectedInput(IParamBlock2* materialParameters, const mx::ElementPtr& scope,
                               const mx::InputPtr& input, const std::string& mapParameter,
                               const std::string& amountParameter);
    Texmap* CreateNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node);

    /// Whether a document was asked for: until then the run has only checked its file.
    bool readStarted() const { return readStarted_; }

    MessageLog messageLog;
    /// The folder of the document being imported, with its separator.
    QString documentFolder;
    /// The maps of the material being imported, by node name.
    std::map<std::string, Texmap*> nodeMapCache;

  private:
    void importMaterial(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode, std::vector<Mtl*>& materials);
    void importDisplacement(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode, IParamBlock2* parameters);
    // Each standard_surface input as a value or a map on its Physical Material parameter.
    void importShaderInputs(const mx::DocumentPtr& doc, const mx::NodePtr& shader, IParamBlock2* parameters);
    struct MapFrame;
    // Starts the map of a node: answers it when it is made at once (or cannot
    // be), else pushes its frame for CreateNodeMap to finish and answers null.
    Texmap* startNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack);
    // The OSL Map of a node with its prepared shader, entered in the cache; null when it cannot be made.
    Texmap* startOslMap(const mx::NodePtr& node, const mx::NodeDefPtr& nodeDef);
    Texmap* startNormalMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack);
    // Sets the frame's inputs up to the next one fed by a node; false when done.
    bool nextUpstream(MapFrame& frame, mx::ElementPtr& upstreamScope, mx::NodePtr& upstream, std::string& slot);
    // Sets the map's code to the prepared shader of that definition; false when there is none.
    bool loadPreparedShader(Texmap* map, const std::string& nodeDefName);
    // Keeps the colour space of the node's file on its map; answers the colour
    // transform its consumers take instead of the map, or null when none is needed.
    Texmap* carryFileColorSpace(const mx::ElementPtr& scope, const mx::NodePtr& node, Texmap* map);

    const PluginSettings& settings_;
    bool readStarted_ = false;
    // Normalmap nodes whose maps are being built, to end loops made of them alone.
    std::set<std::string> normalMapsOnPath_;
    // OSL Maps whose inputs are being followed: reaching one again is a loop.
    std::set<Texmap*> oslMapsOnPath_;
    // Used when the run is given no session cache.
    PrecompiledShaderCache ownShaderCache_;
    PrecompiledShaderCache& shaderCache_;
};
} // namespace rozo
