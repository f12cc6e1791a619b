#include "Coverage.h"

#include "OslTypes.h"

#include "import/StandardLibraries.h"

#include <map>
#include <set>

namespace mx = MaterialX;

namespace oslgen
{

namespace
{

const char* const COLOR_MANAGEMENT_LIBRARY = "cmlib";

bool isClosureType(const std::string& type)
{
    static const std::set<std::string> closures = {
        "BSDF", "EDF", "VDF", "surfaceshader", "displacementshader",
        "volumeshader", "lightshader", "material"
    };
    return closures.count(type) > 0;
}

} // namespace

std::vector<std::string> remainingNodeGraphs(const NodeLibrary& library)
{
    mx::DocumentPtr pruned = library.document->copy();
    rozo::pruneLibraryDocument(pruned);
    std::vector<std::string> remaining;
    for (const NodeGraphEntry& graph : library.nodeGraphs)
    {
        if (pruned->getNodeGraph(graph.name))
            remaining.push_back(graph.name);
    }
    return remaining;
}

std::vector<CoverageDecision> decideCoverage(const NodeLibrary& library)
{
    // Definition name -> the surviving graph that implements it.
    std::map<std::string, std::string> graphFor;
    const std::vector<std::string> remaining = remainingNodeGraphs(library);
    const std::set<std::string> kept(remaining.begin(), remaining.end());
    const rozo::NodeDefsByGraph implemented = rozo::implementedNodeDefs(library.document);
    for (const NodeGraphEntry& graph : library.nodeGraphs)
    {
        const auto found = implemented.find(graph.name);
        if (kept.count(graph.name) && found != implemented.end())
            graphFor.emplace(found->second->getName(), graph.name);
    }
    for (const ImplementationEntry& impl : library.implementations)
    {
        if (kept.count(impl.nodeGraph))
            graphFor.emplace(impl.nodeDef, impl.nodeGraph);
    }

    std::vector<CoverageDecision> decisions;
    for (const NodeDefinition& def : library.definitions)
    {
        CoverageDecision decision;
        decision.definition = &def;
        for (const PortDefinition& out : def.outputs)
        {
            if (decision.kind == CoverageKind::Covered && isClosureType(out.type))
            {
                decision.kind = CoverageKind::ClosureOutput;
                decision.reason = "output '" + out.name + "' is of type " + out.type;
            }
        }
        if (decision.kind == CoverageKind::Covered && def.outputs.empty())
        {
            decision.kind = CoverageKind::UnsupportedType;
            decision.reason = "no outputs";
        }
        auto checkTypes = [&](const std::vector<PortDefinition>& ports, const char* what) {
            for (const PortDefinition& port : ports)
            {
                if (decision.kind != CoverageKind::Covered)
                    continue;
                const std::optional<OslType> type = oslTypeFor(port.type);
                const std::string prefix =
                    std::string(what) + " '" + port.name + "' is of type " + port.type;
                if (!type)
                {
                    decision.kind = CoverageKind::UnsupportedType;
                    decision.reason = prefix + ", which has no OSL form";
                }
                else if (type->isArray && type->isStruct)
                {
                    // OSL cannot initialise a shader parameter that is an array of structs.
                    decision.kind = CoverageKind::UnsupportedType;
                    decision.reason = prefix + ": OSL shader parameters cannot be arrays of structs";
                }
            }
        };
        checkTypes(def.outputs, "output");
        checkTypes(def.inputs, "input");
        // The colour transforms get shaders of their own although graphs
        // implement them: the import puts one such map after a texture, and
        // the export knows it again by its shader.
        const bool colorTransform = def.library == COLOR_MANAGEMENT_LIBRARY;
        if (decision.kind == CoverageKind::Covered && !colorTransform)
        {
            const auto graph = graphFor.find(def.name);
            if (graph != graphFor.end())
            {
                decision.kind = CoverageKind::ExpandedByGraph;
                decision.reason = "implemented by node graph " + graph->second +
                                  ", which flattening expands";
            }
        }
        if (decision.kind == CoverageKind::Covered && def.library != "stdlib" &&
            def.library != "pbrlib" && !colorTransform)
        {
            decision.kind = CoverageKind::OtherLibrary;
            decision.reason = "defined in " + def.library + ", not in stdlib, pbrlib or cmlib";
        }
        decisions.push_back(decision);
    }
    return decisions;
}

} // namespace oslgen
