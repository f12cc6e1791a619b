#pragma once
// What the generator needs from the MaterialX data libraries: node definitions with
// their ports, node graphs and implementation elements.
#include <MaterialXCore/Document.h>

#include <optional>
#include <string>
#include <vector>

namespace oslgen
{

struct PortDefinition
{
    std::string name;
    std::string type;
    std::string value; // the "value" attribute as written
    bool hasValue = false;
    std::string defaultGeomProp; // e.g. "UV0", "Pobject", "Nworld"
};

struct NodeDefinition
{
    std::string name;     // e.g. "ND_image_color3"
    std::string category; // the "node" attribute
    std::vector<PortDefinition> inputs;
    std::vector<PortDefinition> outputs;
    std::string inherit; // the definition this one inherits ports from, if any
    std::string library; // the library folder the file came from, e.g. "stdlib"
    std::string sourceFile;
    std::string version; // the "version" of the document it came from, e.g. "1.39"
};

struct NodeGraphEntry
{
    std::string name;
    std::string nodeDef; // the "nodedef" attribute, may be empty
    std::string sourceFile;
};

struct ImplementationEntry
{
    std::string name;
    std::string nodeDef;
    std::string nodeGraph; // set when the implementation is a node graph
};

struct NodeLibrary
{
    std::vector<NodeDefinition> definitions;
    std::vector<NodeGraphEntry> nodeGraphs;
    std::vector<ImplementationEntry> implementations;
    // Every file read, merged the way the plug-in merges its libraries.
    MaterialX::DocumentPtr document = MaterialX::createDocument();
};

// The library folders read, relative to the "libraries" folder, in this order.
// Sub-folders are not entered, which is why genosl is listed by itself.
const std::vector<std::string>& libraryFolders();

// Reads every *.mtlx file of the library folders under `librariesDir` (a folder that
// does not exist contributes nothing). Files are taken in
// name order so the output does not depend on the file system. On a read failure
// returns nothing and describes the problem in `error`.
std::optional<NodeLibrary> loadNodeLibrary(const std::string& librariesDir, std::string& error);

// Gives every definition with an "inherit" attribute the ports of its ancestors that it
// does not declare itself (after its own, nearest ancestor first).
void resolveInheritance(NodeLibrary& library);

// Reads one document's text into `library`, as if it came from `library`/`sourceFile`.
bool readLibraryDocument(const std::string& text, const std::string& folder,
                         const std::string& sourceFile, NodeLibrary& library, std::string& error);

} // namespace oslgen
