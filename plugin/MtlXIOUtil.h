#pragma once
// The one utility object of the plug-in: it owns every piece of state (option
// flags, MaterialX libraries, message log, caches, panel) and the operations
// of the import and export drivers.

#include <NorvaneSDK.h>

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/File.h>

#include <QObject>
#include <QString>

#include "export/MaterialSet.h"
#include "ui_PluginRollup.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

class QWidget;

namespace mx = MaterialX;

class MtlXIOUtil : public UtilityObj, public QObject
{
public:
    /// Loads the libraries found from the plug-in module's own file.
    MtlXIOUtil();
    /// Loads the libraries found from moduleFile, as if the module lay there.
    explicit MtlXIOUtil(const mx::FilePath& moduleFile);
    ~MtlXIOUtil() override;

    MtlXIOUtil(const MtlXIOUtil&) = delete;
    MtlXIOUtil& operator=(const MtlXIOUtil&) = delete;

    // Utility object operations called by the host.
    void BeginEditParams(Interface* ip, IUtil* iu) override;
    void EndEditParams(Interface* ip, IUtil* iu) override;
    void SelectionSetChanged(Interface* ip, IUtil* iu) override {}
    void DeleteThis() override {}
    void SetStartupParam(WStr param) override {}

    // Message log.
    void clearMessages();
    std::string messageText() const;
    WStr getErrorText() const;

    // Library loading and document reading.
    void initLibraries();
    void initLibraries(const mx::FilePath& moduleFile);
    mx::DocumentPtr readImportDocument(const std::string& path);

    // Import.
    Tab<Mtl*> importFile(WStr fileName);
    bool importMaterials(const std::string& path, std::vector<Mtl*>& materials);
    void setParameterFromValue(IParamBlock2* block, const std::string& name, const mx::ValuePtr& value);
    bool ResolveConnectedInput(IParamBlock2* materialParameters, const mx::ElementPtr& scope,
                               const mx::InputPtr& input, const std::string& mapParameter,
                               const std::string& amountParameter);
    Texmap* CreateNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node);

    // ---- Export operations -------------------------------------------------
    /// Exports the table's materials (each once); true when nothing was logged.
    bool exportFile(WStr fileName, const Tab<Mtl*>& materials);
    /// Writes the materials' document to fileName, in the set's order; problems go to the log.
    void exportMaterials(WStr fileName, const MaterialSet& materialSet);
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
    // ---- end of export operations ------------------------------------------

    // ---- Panel -------------------------------------------------------------
    void onImport();
    void onExport();
    void onOptionChanged();
    void onBrowseLibrary();
    void onLaunchViewer();
    /// The viewer program beside the plug-in; it need not exist.
    mx::FilePath viewerProgram() const;
    // ---- end of panel ------------------------------------------------------

    QWidget* panelWidget = nullptr;
    Ui_PluginRollup form{};
    IUtil* utilityHost = nullptr;

    bool usePrecompiledOsl = true;
    bool resolveTexturePaths = true;
    bool fixedIncludePath = true;
    bool copyTextures = false;
    bool relativeTexturePaths = true;
    bool assignMaterials = true;
    bool addToLibrary = false;
    bool populateEditor = true;
    WStr libraryPath;

    mx::DocumentPtr libraryDocument;
    mx::FileSearchPath librarySearchPath;
    mx::FilePath installRoot;

    std::map<std::string, Texmap*> nodeMapCache;
    std::map<Texmap*, mx::NodePtr> exportMapCache;
    std::stringstream messageLog;

    QString exportFolder;
    QString documentFolder;

    // ---- Export members ----------------------------------------------------
    /// Node definitions found during the current export, by node shape and by
    /// category. They cannot change while it runs, but every node added makes
    /// the document rebuild its lookup tables, so each is asked for once.
    std::map<std::string, mx::NodeDefPtr> exportNodeDefCache;
    std::map<std::string, std::vector<mx::NodeDefPtr>> exportMatchingNodeDefCache;
    /// Where each chain of unique node names stopped in the current export.
    std::map<std::string, std::string> exportChildNames;
    // ---- end of export members ---------------------------------------------

private:
    void importMaterial(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode, std::vector<Mtl*>& materials);
    struct MapFrame;
    // Starts the map of a node: answers it when it is made at once (or cannot
    // be), else pushes its frame for CreateNodeMap to finish and answers null.
    Texmap* startNodeMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack);
    Texmap* startNormalMap(const mx::ElementPtr& scope, const mx::NodePtr& node, std::vector<MapFrame>& stack);
    // Sets the frame's inputs up to the next one fed by a node; false when done.
    bool nextUpstream(MapFrame& frame, mx::ElementPtr& upstreamScope, mx::NodePtr& upstream, std::string& slot);
    WStr precompiledCode(const QString& sourceCode);

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

    // Normalmap nodes whose maps are being built, to end loops made of them alone.
    std::set<std::string> normalMapsOnPath;
    // OSL Maps whose inputs are being followed: reaching one again is a loop.
    std::set<Texmap*> oslMapsOnPath;
    // The host's precompiled form of each shader source met so far: compiling
    // the shared include for every map would dominate an import.
    std::map<std::string, WStr> precompiledCodeCache;
};

/// The one utility object, created on first use.
MtlXIOUtil* getMtlXIOUtil();
