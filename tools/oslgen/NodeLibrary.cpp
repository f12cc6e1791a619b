#include "NodeLibrary.h"

#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace oslgen {

const std::vector<std::string>& libraryFolders()
{
    static const std::vector<std::string> folders = {"stdlib", "pbrlib", "bxdf", "stdlib/genosl"};
    return folders;
}

namespace {

PortDefinition readPort(const pugi::xml_node& element)
{
    PortDefinition port;
    port.name = element.attribute("name").value();
    port.type = element.attribute("type").value();
    if (pugi::xml_attribute value = element.attribute("value")) {
        port.value = value.value();
        port.hasValue = true;
    }
    port.defaultGeomProp = element.attribute("defaultgeomprop").value();
    return port;
}

NodeDefinition readNodeDef(const pugi::xml_node& element, const std::string& folder,
                           const std::string& sourceFile)
{
    NodeDefinition def;
    def.name = element.attribute("name").value();
    def.category = element.attribute("node").value();
    def.inherit = element.attribute("inherit").value();
    def.library = folder;
    def.sourceFile = sourceFile;
    for (const pugi::xml_node& child : element.children()) {
        const std::string kind = child.name();
        if (kind == "input")
            def.inputs.push_back(readPort(child));
        else if (kind == "output")
            def.outputs.push_back(readPort(child));
    }
    // Older documents give a single output by the definition's own type.
    if (def.outputs.empty() && element.attribute("type")) {
        PortDefinition out;
        out.name = "out";
        out.type = element.attribute("type").value();
        def.outputs.push_back(out);
    }
    return def;
}

void appendMissing(std::vector<PortDefinition>& ports, const std::vector<PortDefinition>& inherited)
{
    for (const PortDefinition& port : inherited) {
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
    for (NodeDefinition& def : library.definitions) {
        std::set<std::string> visited = {def.name};
        for (std::string parent = def.inherit; !parent.empty() && !visited.count(parent);) {
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
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_string(text.c_str());
    if (!parsed) {
        error = sourceFile + ": XML parse error (" + parsed.description() + " at character " +
                std::to_string(parsed.offset) + ")";
        return false;
    }
    const pugi::xml_node root = doc.child("materialx");
    if (!root) {
        error = sourceFile + ": no <materialx> root element";
        return false;
    }
    for (const pugi::xml_node& child : root.children()) {
        const std::string kind = child.name();
        if (kind == "nodedef") {
            library.definitions.push_back(readNodeDef(child, folder, sourceFile));
        } else if (kind == "nodegraph") {
            library.nodeGraphs.push_back(
                {child.attribute("name").value(), child.attribute("nodedef").value(), sourceFile});
        } else if (kind == "implementation") {
            library.implementations.push_back({child.attribute("name").value(),
                                               child.attribute("nodedef").value(),
                                               child.attribute("nodegraph").value()});
        }
    }
    return true;
}

std::optional<NodeLibrary> loadNodeLibrary(const std::string& librariesDir, std::string& error)
{
    NodeLibrary library;
    for (const std::string& folder : libraryFolders()) {
        const fs::path dir = fs::path(librariesDir) / folder;
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            continue;
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
            if (entry.is_regular_file() && entry.path().extension() == ".mtlx")
                files.push_back(entry.path());
        }
        if (ec) {
            error = dir.string() + ": cannot list the folder (" + ec.message() + ")";
            return std::nullopt;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
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
