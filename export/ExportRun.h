#pragma once
// One export: Physical Materials, Bitmaps, Normal Maps and OSL Maps written
// as the nodes of a MaterialX document. Made for one call and dropped after
// it, with its log, its caches and the document's folder.

#include "export/MaterialSet.h"
#include "plugin/MessageLog.h"
#include "plugin/PluginSettings.h"

#include <QString>

#include <map>
#include <string>
#include <vector>

namespace rozo
{
class ExportRun
{
  public:
    explicit ExportRun(const PluginSettings& settings);

    ExportRun(const ExportRun&) = delete;
    ExportRun& operator=(const ExportRun&) = delete;

    /// Exports the table's materials (each once); true when nothing was logged.
    bool exportFile(WStr fileName, const Tab<Mtl*>& materials);
    bool exportFile(WStr fileName, const Tab<Mtl*>& materials, DocumentVersionChoice version);
    /// Writes the materials' document to fileName, in the set's order, as the
    /// version option says; problems go to the log.
    void exportMaterials(WStr fileName, const MaterialSet& materialSet);
    void exportMaterials(WStr fileName, const MaterialSet& materialSet, DocumentVersionChoice version);
    /// Adds the nodes of one Physical Material (or of the one a wrapper holds).
    void translateMaterial(Mtl* material, const mx::DocumentPtr& doc);
    /// One shader input from a value parameter, a map parameter or both.
    void exportShaderInput(IParamBlock2* block, const mx::DocumentPtr& doc, const mx::NodePtr& node,
                           const std::string& input, const std::string& type, const std::string& valueParam,
                           const std::string& mapParam, const std::string& amountParam);
    /// The node made for a texture map in this run; null when it has none.
    mx::NodePtr nodeForMap(Texmap* map, const mx::DocumentPtr& doc, const std::string& type);
    /// The node for a map, with the inputs its kind has and no values yet; null when unsupported.
    mx::NodePtr createMapNode(Texmap* map, const mx::DocumentPtr& doc, const std::string& type);
    /// A texture file path as written: resolved, copied or made relative as the options say.
    std::string exportTexturePath(const QString& path);
    /// Copies the file into exportFolder (never overwriting); answers its file name.
    QString copyTextureFile(const QString& path);

    MessageLog messageLog;
    /// The folder of the document being written, with its separator.
    QString exportFolder;
    /// The node made for each map in this run.
    std::map<Texmap*, mx::NodePtr> exportMapCache;

  private:
    struct MapNodeFrame;
    // The node of a map not yet in this run's cache: made and filled at once
    // (also when it cannot be), or pushed for nodeForMap to finish.
    mx::NodePtr startMapNode(Texmap* map, const mx::DocumentPtr& doc, const std::string& type,
                             std::vector<MapNodeFrame>& stack);
    // Writes what needs no sub-map; true when the node is complete, false when
    // it waits on the stack or must stay as made.
    bool fillMapNode(Texmap* map, const mx::NodePtr& node, const std::string& type, std::vector<MapNodeFrame>& stack);
    // Fills the frame's inputs up to the next one fed by a sub-map; false when done.
    bool nextSubMap(MapNodeFrame& frame, Texmap*& sub, std::string& subType);
    void connectSubNode(MapNodeFrame& frame, const mx::NodePtr& subNode);
    static void removeUnboundInputs(const mx::NodePtr& node);

    const PluginSettings& settings_;
    /// Node definitions found in this run, by node shape and by category.
    /// They cannot change while it runs, but every node added makes the
    /// document rebuild its lookup tables, so each is asked for once.
    std::map<std::string, mx::NodeDefPtr> nodeDefCache_;
    std::map<std::string, std::vector<mx::NodeDefPtr>> matchingNodeDefCache_;
    /// Where each chain of unique node names stopped in this run.
    std::map<std::string, std::string> childNames_;
};
} // namespace rozo
