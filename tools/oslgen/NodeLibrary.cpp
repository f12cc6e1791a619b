#include "NodeLibrary.h"

#include <MaterialXFormat/XmlIo.h>

#include "import/StandardLibraries.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
namespace mx = MaterialX;

namespace oslgen
{

const std::vector<std::string>& libraryFolders()
{
    // The plug-in's folders, relative to the "libraries" folder itself.
    static const std::vector<std::string> folders = [] {
        const std::string root = "libraries/";
        std::vector<std::string> names;
        for (const mx::FilePath& folder : rozo::standardLibraryFolders())
        {
            const std::string path = folder.asString();
            names.push_back(path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path);
        }
        return names;
    }();
    return folders;
}

namespace
{

PortDefinition readPort(const mx::ElementPtr& element)
{
    PortDefinition port;
    port.name = element->getName();
    port.type = element->getAttribute("type");
    if (element->hasAttribute("value"))
    {
        port.value = element->getAttribute("value");
        port.hasValue = true;
    }
    port.defaultGeomProp = element->getAttribute("defaultgeomprop");
    return port;
}

NodeDefinition readNodeDef(const mx::ElementPtr& element, const std::string& folder,
                           const std::string& sourceFile, const std::string& version)
{
    NodeDefinition def;
    def.version = version;
    def.name = element->getName();
    def.category = element->getAttribute("node");
    def.inherit = element->getAttribute("inherit");
    def.library = folder;
    def.sourceFile = sourceFile;
    for (const mx::ElementPtr& child : element->getChildren())
    {
        const std::string& kind = child->getCategory();
        if (kind == "input")
            def.inputs.push_back(readPort(child));
        else if (kind == "output")
            def.outputs.push_back(readPort(child));
    }
    // Older documents give a single output by the definition's own type.
    if (def.outputs.empty() && element->hasAttribute("type"))
    {
        PortDefinition out;
        out.name = "out";
        out.type = element->getAttribute("type");
        def.outputs.push_back(out);
    }
    return def;
}

void appendMissing(std::vector<PortDefinition>& ports, const std::vector<PortDefinition>& inherited)
{
    for (const PortDefinition& port : inherited)
    {
        bool present = false;
        for (const PortDefinition& own : ports)
            present = present || own.name == port.name;
        if (!present)
            ports.push_back(port);
    }
}

} // namespace

void resolveInheritance(NodeLibrary& library)
{
    std::map<std::string, size_t> index;
    for (size_t i = 0; i < library.definitions.size(); ++i)
        index.emplace(library.definitions[i].name, i);
    // Work on the declared ports only, so the order of definitions does not matter.
    const std::vector<NodeDefinition> declared = library.definitions;
    for (NodeDefinition& def : library.definitions)
    {
        std::set<std::string> visited = { def.name };
        for (std::string parent = def.inherit; !parent.empty() && !visited.count(parent);)
        {
            const auto found = index.find(parent);
            if (found == index.end())
                break;
            visited.insert(parent);
            const NodeDefinition& ancestor = declared[found->second];
            appendMissing(def.inputs, ancestor.inputs);
            appendMissing(def.outputs, ancestor.outputs);
            parent = ancestor.inherit;
        }
    }
}

bool readLibraryDocument(const std::string& text, const std::string& folder,
                         const std::string& sourceFile, NodeLibrary& library, std::string& error)
{
    mx::DocumentPtr doc = mx::createDocument();
    // Read as written: the libraries are of the version the generator knows.
    mx::XmlReadOptions options;
    options.upgradeVersion = false;
    try
    {
        mx::readFromXmlString(doc, text, mx::FileSearchPath(), &options);
    }
    catch (const mx::Exception& e)
    {
        error = sourceFile + ": " + e.what();
        return false;
    }
    for (const mx::ElementPtr& child : doc->getChildren())
    {
        const std::string& kind = child->getCategory();
        if (kind == "nodedef")
        {
            library.definitions.push_back(readNodeDef(child, folder, sourceFile, doc->getAttribute("version")));
        }
        else if (kind == "nodegraph")
        {
            library.nodeGraphs.push_back({ child->getName(), child->getAttribute("nodedef"), sourceFile });
        }
        else if (kind == "implementation")
        {
            library.implementations.push_back(
                { child->getName(), child->getAttribute("nodedef"), child->getAttribute("nodegraph") });
        }
    }
    doc->setSourceUri(sourceFile);
    library.document->importLibrary(std::move(doc));
    return true;
}

std::optional<NodeLibrary> loadNodeLibrary(const std::string& librariesDir, std::string& error)
{
    NodeLibrary library;
    for (const std::string& folder : libraryFolders())
    {
        const fs::path dir = fs::path(librariesDir) / folder;
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            continue;
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec))
        {
            if (entry.is_regular_file() && entry.path().extension() == ".mtlx")
                files.push_back(entry.path());
        }
        if (ec)
        {
            error = dir.string() + ": cannot list the folder (" + ec.message() + ")";
            return std::nullopt;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
        {
            std::ifstream in(file, std::ios::binary);
            if (!in)
            {
                error = file.string() + ": cannot be opened";
                return std::nullopt;
            }
            std::ostringstream text;
            text << in.rdbuf();
            if (!readLibraryDocument(text.str(), folder, file.string(), library, error))
                return std::nullopt;
        }
    }
    resolveInheritance(library);
    return library;
}

} // namespace oslgen
