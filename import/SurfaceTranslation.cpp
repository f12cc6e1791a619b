#include "import/SurfaceTranslation.h"

#include "import/ConstantFolding.h"

#include <MaterialXCore/Util.h>

#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace rozo
{
namespace
{
const std::string STANDARD_SURFACE = "standard_surface";
const std::string SURFACE_SHADER_TYPE = "surfaceshader";
const std::string TRANSLATION_NODE_GROUP = "translation";
const std::string TRANSLATION_SUFFIX = "_to_standard_surface";
const std::string OUTPUT_SUFFIX = "_out";
const std::string PASS_THROUGH_CATEGORY = "dot";
const std::string PASS_THROUGH_INPUT = "in";
const std::string MULTI_OUTPUT_TYPE = "multioutput";
// A node of the scratch graph that reads the outputs evaluated together.
const std::string READER_CATEGORY = "translation_reader";
constexpr int MAX_PASS_THROUGH_HOPS = 64;
// Model inputs named for their geometry (OpenPBR's geometry_normal) meet
// standard_surface's under the rest of their name.
const std::string GEOMETRY_PREFIX = "geometry_";

// What makes an input's value or connection, copied as a whole.
const char* const BINDING_ATTRIBUTES[] = { "value", "nodename", "nodegraph", "output", "interfacename",
                                           "defaultgeomprop", "colorspace", "unit", "unittype", "channels" };

void copyBinding(const mx::InputPtr& from, const mx::InputPtr& to)
{
    for (const char* attribute : BINDING_ATTRIBUTES)
    {
        if (from->hasAttribute(attribute))
            to->setAttribute(attribute, from->getAttribute(attribute));
        else if (to->hasAttribute(attribute))
            to->removeAttribute(attribute);
    }
}

bool isBound(const mx::InputPtr& input)
{
    return input->hasValueString() || input->hasNodeName() || input->hasNodeGraphString();
}

// Normal maps answer world-space vectors: a translation graph made for
// colours and weights must not stand between them and the shader.
bool isWorldSpaceNode(const mx::NodePtr& node)
{
    return node && node->getCategory() == "normalmap";
}

mx::NodePtr upstreamNode(const mx::DocumentPtr& doc, const mx::InputPtr& input)
{
    if (input->hasNodeName())
        return doc->getNode(input->getNodeName());
    if (!input->hasNodeGraphString())
        return nullptr;
    mx::NodeGraphPtr graph = doc->getNodeGraph(input->getNodeGraphString());
    if (!graph)
        return nullptr;
    mx::OutputPtr output;
    if (!input->getOutputString().empty())
        output = graph->getOutput(input->getOutputString());
    else
    {
        const std::vector<mx::OutputPtr> outputs = graph->getOutputs();
        output = outputs.size() == 1 ? outputs.front() : graph->getOutput("out");
    }
    return output ? graph->getNode(output->getNodeName()) : nullptr;
}

// How a translation graph makes one of its outputs: a plain hand-over of an
// interface input, or a normal map of what some interface inputs make.
struct OutputSource
{
    std::string interfaceInput;
    mx::NodePtr worldSpaceNode;
    std::set<std::string> worldSpaceInterfaceInputs;
};

void collectInterfaceInputs(const mx::NodeGraphPtr& graph, const mx::NodePtr& node, std::set<std::string>& names,
                            std::set<std::string>& seen)
{
    if (!node || !seen.insert(node->getName()).second)
        return;
    for (const mx::InputPtr& input : node->getInputs())
    {
        if (!input->getInterfaceName().empty())
            names.insert(input->getInterfaceName());
        else if (input->hasNodeName())
            collectInterfaceInputs(graph, graph->getNode(input->getNodeName()), names, seen);
    }
}

OutputSource traceOutputSource(const mx::NodeGraphPtr& graph, const std::string& outputName)
{
    OutputSource source;
    mx::OutputPtr output = graph ? graph->getOutput(outputName) : nullptr;
    if (!output)
        return source;
    if (!output->getInterfaceName().empty())
    {
        source.interfaceInput = output->getInterfaceName();
        return source;
    }
    std::set<std::string> seen;
    mx::NodePtr node = graph->getNode(output->getNodeName());
    while (node && seen.insert(node->getName()).second)
    {
        if (isWorldSpaceNode(node))
        {
            source.worldSpaceNode = node;
            std::set<std::string> visited;
            collectInterfaceInputs(graph, node, source.worldSpaceInterfaceInputs, visited);
            return source;
        }
        mx::InputPtr in = node->getCategory() == PASS_THROUGH_CATEGORY ? node->getInput(PASS_THROUGH_INPUT) : nullptr;
        if (!in)
            break;
        if (!in->getInterfaceName().empty())
        {
            source.interfaceInput = in->getInterfaceName();
            return source;
        }
        node = in->hasNodeName() ? graph->getNode(in->getNodeName()) : nullptr;
    }
    return source;
}

using InputsByName = std::map<std::string, mx::InputPtr>;

InputsByName inputsByName(const mx::NodeDefPtr& nodeDef)
{
    InputsByName inputs;
    for (const mx::InputPtr& input : nodeDef->getActiveInputs())
        inputs.emplace(input->getName(), input);
    return inputs;
}

mx::NodeDefPtr standardSurfaceDefinition(const mx::DocumentPtr& doc)
{
    for (const mx::NodeDefPtr& nodeDef : doc->getNodeDefs())
    {
        if (nodeDef->getNodeString() == STANDARD_SURFACE && nodeDef->getType() == SURFACE_SHADER_TYPE)
            return nodeDef;
    }
    return nullptr;
}

// The graph that implements a definition: one naming it, else one an
// implementation element points at.
mx::NodeGraphPtr implementationGraph(const mx::DocumentPtr& doc, const mx::NodeDefPtr& nodeDef)
{
    for (const mx::NodeGraphPtr& graph : doc->getNodeGraphs())
    {
        if (graph->getNodeDefString() == nodeDef->getName())
            return graph;
    }
    for (const mx::ImplementationPtr& implementation : doc->getImplementations())
    {
        if (implementation->getNodeDefString() == nodeDef->getName())
        {
            if (mx::NodeGraphPtr graph = doc->getNodeGraph(implementation->getNodeGraph()))
                return graph;
        }
    }
    return nullptr;
}

// A translation graph on its own, in a small document with the definitions of
// its nodes, whose interface takes each shader's stated values in turn. The
// graph is evaluated there: flattening it into the import's document and
// folding it back would rebuild that document's caches once per input.
class TranslationScratch
{
  public:
    TranslationScratch(const mx::DocumentPtr& doc, const mx::NodeDefPtr& translationDef) :
        translationDef(translationDef),
        declared(inputsByName(translationDef)),
        outputs(translationDef->getActiveOutputs()),
        graph(implementationGraph(doc, translationDef))
    {
        if (!graph)
            return;
        scratch = mx::createDocument();
        scratchDef =
            scratch->addNodeDef(translationDef->getName(), translationDef->getType(), translationDef->getNodeString());
        scratchDef->copyContentFrom(translationDef);
        std::set<std::string> categories;
        for (const mx::NodePtr& node : graph->getNodes())
            categories.insert(node->getCategory());
        // Read in one pass, not through the document's lookups, whose caches
        // every import rebuilds once it is changed.
        for (const mx::NodeDefPtr& nodeDef : doc->getNodeDefs())
        {
            if (categories.count(nodeDef->getNodeString()) && !scratch->getNodeDef(nodeDef->getName()))
                scratch->addNodeDef(nodeDef->getName(), nodeDef->getType(), nodeDef->getNodeString())
                    ->copyContentFrom(nodeDef);
        }
        copyGraph();
        for (const mx::OutputPtr& output : outputs)
            sources[output->getName()] = traceOutputSource(graph, output->getName());
    }

    /// The definition's input of that name, or null.
    mx::InputPtr declaredInput(const std::string& name) const
    {
        const auto found = declared.find(name);
        return found == declared.end() ? nullptr : found->second;
    }
    const std::vector<mx::OutputPtr>& activeOutputs() const { return outputs; }

    /// How the graph makes one of its outputs.
    const OutputSource& sourceOf(const std::string& outputName) { return sources[outputName]; }

    const mx::NodeDefPtr& definition() const { return translationDef; }
    const mx::NodeGraphPtr& implementation() const { return graph; }

    /// The interface inputs a node of the graph depends on.
    const std::set<std::string>& interfaceInputsOf(const mx::NodePtr& node)
    {
        auto found = interfaceInputs.find(node->getName());
        if (found == interfaceInputs.end())
        {
            std::set<std::string> names;
            std::set<std::string> seen;
            collectInterfaceInputs(graph, node, names, seen);
            found = interfaceInputs.emplace(node->getName(), std::move(names)).first;
        }
        return found->second;
    }

    /// The interface takes the values a shader states; the rest are the definition's.
    void state(const std::map<std::string, mx::InputPtr>& shaderInputs)
    {
        stated.clear();
        for (const auto& [name, input] : shaderInputs)
        {
            if (input->hasValueString() && !input->hasNodeName() && !input->hasNodeGraphString() && declared.count(name))
                stated[name] = input->getValueString();
        }
    }

    /// A node's output for the stated values. Materials often repeat values,
    /// and the graph is a function of them alone: results are kept by the
    /// values the node depends on.
    mx::ValuePtr evaluate(const mx::NodePtr& graphNode, const std::string& outputName)
    {
        std::string key = resultKey(graphNode, outputName);
        const auto known = results.find(key);
        if (known != results.end())
            return known->second;
        applyStatedValues();
        mx::NodePtr node = scratchGraph ? scratchGraph->getNode(graphNode->getName()) : nullptr;
        mx::ValuePtr value = node ? evaluateConstantOutput(node, outputName) : nullptr;
        results.emplace(std::move(key), value);
        return value;
    }

    /// A graph node's output the shader will ask for, of the given type.
    struct Request
    {
        mx::NodePtr node;
        std::string output;
        std::string type;
    };

    /// Evaluates the requests not known yet together, so that the nodes they
    /// share are evaluated once: a node beside the graph reads each of them,
    /// and folding its inputs turns them into values.
    void prefetch(const std::vector<Request>& requests)
    {
        std::vector<std::pair<std::string, const Request*>> missing;
        for (const Request& request : requests)
        {
            std::string key = resultKey(request.node, request.output);
            if (!results.count(key))
                missing.emplace_back(std::move(key), &request);
        }
        if (missing.size() < 2 || !scratchGraph)
            return;
        applyStatedValues();
        mx::NodePtr reader = scratchGraph->addNode(READER_CATEGORY, scratchGraph->createValidChildName(READER_CATEGORY),
                                                   MULTI_OUTPUT_TYPE);
        std::vector<mx::InputPtr> inputs;
        for (size_t index = 0; index < missing.size(); ++index)
        {
            const Request& request = *missing[index].second;
            mx::InputPtr input = reader->addInput("in" + std::to_string(index), request.type);
            input->setNodeName(request.node->getName());
            if (!request.output.empty())
                input->setOutputString(request.output);
            inputs.push_back(input);
        }
        const size_t folded = foldConstantInputs(reader);
        for (size_t index = 0; index < missing.size(); ++index)
        {
            const mx::InputPtr& input = inputs[index];
            mx::ValuePtr value = input->hasNodeName() ? nullptr : input->getValue();
            results.emplace(std::move(missing[index].first), value);
        }
        scratchGraph->removeNode(reader->getName());
        // What did not fold may have had its own inputs folded for these values.
        if (folded < missing.size())
            copyGraph();
    }

  private:
    std::string resultKey(const mx::NodePtr& graphNode, const std::string& outputName)
    {
        std::string key = graphNode->getName() + "." + outputName;
        for (const std::string& name : interfaceInputsOf(graphNode))
        {
            const auto value = stated.find(name);
            key += "|" + name + (value == stated.end() ? std::string() : "=" + value->second);
        }
        return key;
    }

    // The graph afresh, its nodes naming their definitions: each shader
    // evaluates it again, and matching a node's inputs to find its definition
    // costs more than the evaluation.
    void copyGraph()
    {
        if (scratchGraph)
            scratch->removeNodeGraph(scratchGraph->getName());
        scratchGraph = scratch->addNodeGraph(graph->getName());
        scratchGraph->copyContentFrom(graph);
        for (const mx::NodePtr& node : scratchGraph->getNodes())
        {
            if (mx::NodeDefPtr nodeDef = node->getNodeDef())
                node->setNodeDefString(nodeDef->getName());
        }
    }

    // Stated on the definition's copy, where it differs: inputs of the graph
    // itself could meet nodes of the same name.
    void applyStatedValues()
    {
        if (!scratchDef)
            return;
        for (const mx::InputPtr& input : scratchDef->getInputs())
        {
            const auto value = stated.find(input->getName());
            const mx::InputPtr original = declaredInput(input->getName());
            const std::string& wanted = value != stated.end() ? value->second
                                        : original            ? original->getValueString()
                                                              : input->getValueString();
            if (input->getValueString() != wanted)
                input->setValueString(wanted);
        }
    }

    mx::NodeDefPtr translationDef;
    InputsByName declared;
    std::vector<mx::OutputPtr> outputs;
    mx::NodeGraphPtr graph;
    mx::DocumentPtr scratch;
    mx::NodeDefPtr scratchDef;
    mx::NodeGraphPtr scratchGraph;
    std::map<std::string, std::set<std::string>> interfaceInputs;
    std::map<std::string, OutputSource> sources;
    std::map<std::string, std::string> stated;
    std::unordered_map<std::string, mx::ValuePtr> results;
};

void clearBinding(const mx::InputPtr& input)
{
    for (const char* attribute : BINDING_ATTRIBUTES)
        input->removeAttribute(attribute);
}

// One shader made a standard_surface: each translation output becomes the
// value it evaluates to, the binding it hands over, or a copy of the graph's
// nodes that depend on a connected input.
class ShaderTranslation
{
  public:
    // surfaceInputs: standard_surface's, or null to take every translation output.
    ShaderTranslation(const mx::DocumentPtr& doc, TranslationScratch& scratch, const InputsByName* surfaceInputs) :
        doc(doc),
        scratch(scratch),
        translationDef(scratch.definition()),
        graph(scratch.implementation()),
        surfaceInputs(surfaceInputs)
    {
    }

    void translate(const mx::NodePtr& shader)
    {
        const std::string shaderName = shader->getName();
        for (const mx::InputPtr& input : shader->getInputs())
        {
            shaderInputs[input->getName()] = input;
            if (input->hasNodeName() || input->hasNodeGraphString())
                connected.insert(input->getName());
        }
        scratch.state(shaderInputs);

        // The material finds its shader by name: the standard_surface takes it over.
        doc->removeNode(shaderName);
        surface = doc->addNode(STANDARD_SURFACE, shaderName, SURFACE_SHADER_TYPE);
        if (graph)
        {
            prefetchOutputs();
            for (const mx::OutputPtr& output : scratch.activeOutputs())
                connectOutput(output);
        }
        connectRemainingWorldSpaceInputs();
    }

  private:
    mx::InputPtr surfaceInput(const std::string& name, const std::string& type)
    {
        if (surfaceInputs)
        {
            const auto declared = surfaceInputs->find(name);
            if (declared == surfaceInputs->end() || declared->second->getType() != type)
                return nullptr;
        }
        mx::InputPtr input = surface->getInput(name);
        return input ? input : surface->addInput(name, type);
    }

    mx::InputPtr boundShaderInput(const std::string& name) const
    {
        const auto found = shaderInputs.find(name);
        return found != shaderInputs.end() && isBound(found->second) ? found->second : nullptr;
    }

    // The outputs computed from stated values alone, evaluated together.
    void prefetchOutputs()
    {
        std::vector<TranslationScratch::Request> requests;
        for (const mx::OutputPtr& output : scratch.activeOutputs())
        {
            mx::OutputPtr graphOutput = graph->getOutput(output->getName());
            mx::NodePtr node = graphOutput ? graph->getNode(graphOutput->getNodeName()) : nullptr;
            std::string outputName = graphOutput ? graphOutput->getOutputString() : std::string();
            for (int hops = 0; node && node->getCategory() == PASS_THROUGH_CATEGORY && hops < MAX_PASS_THROUGH_HOPS;
                 ++hops)
            {
                mx::InputPtr in = node->getInput(PASS_THROUGH_INPUT);
                outputName = in ? in->getOutputString() : std::string();
                node = in && in->hasNodeName() ? graph->getNode(in->getNodeName()) : nullptr;
            }
            if (node && !dependsOnConnection(node) && !isWorldSpaceNode(node))
                requests.push_back({ node, outputName, output->getType() });
        }
        scratch.prefetch(requests);
    }

    bool dependsOnConnection(const mx::NodePtr& graphNode)
    {
        for (const std::string& name : scratch.interfaceInputsOf(graphNode))
        {
            if (connected.count(name))
                return true;
        }
        return false;
    }

    void connectOutput(const mx::OutputPtr& output)
    {
        const std::string& outputName = output->getName();
        if (!mx::stringEndsWith(outputName, OUTPUT_SUFFIX))
            return;
        const std::string inputName = outputName.substr(0, outputName.size() - OUTPUT_SUFFIX.size());
        const OutputSource& source = scratch.sourceOf(outputName);
        if (source.worldSpaceNode)
        {
            // Unbound, the inputs of a normal map give the surface's own normal.
            bool bound = false;
            for (const std::string& name : source.worldSpaceInterfaceInputs)
                bound = bound || boundShaderInput(name);
            if (!bound)
                return;
        }
        else if (!source.interfaceInput.empty())
        {
            mx::InputPtr shaderInput = boundShaderInput(source.interfaceInput);
            if (shaderInput && isWorldSpaceNode(upstreamNode(doc, shaderInput)))
                bypassed.insert(source.interfaceInput);
            // An unbound geometric input (the surface normal) is standard_surface's own default.
            mx::InputPtr declared = scratch.declaredInput(source.interfaceInput);
            if (!shaderInput && declared && declared->hasDefaultGeomPropString())
                return;
        }
        mx::OutputPtr graphOutput = graph->getOutput(outputName);
        mx::InputPtr input = graphOutput ? surfaceInput(inputName, output->getType()) : nullptr;
        if (input)
            bindFromGraph(input, graphOutput);
    }

    // Binds target as the graph binds its port, with the shader's bindings in
    // place of the interface's. Pass-through nodes are skipped, so a texture
    // handed over feeds the shader directly.
    void bindFromGraph(const mx::InputPtr& target, const mx::PortElementPtr& port, int passThroughHops = 0)
    {
        if (!port->getInterfaceName().empty())
        {
            if (mx::InputPtr shaderInput = boundShaderInput(port->getInterfaceName()))
                copyBinding(shaderInput, target);
            else if (mx::InputPtr declared = scratch.declaredInput(port->getInterfaceName()))
                copyBinding(declared, target);
            return;
        }
        mx::NodePtr node = port->hasNodeName() ? graph->getNode(port->getNodeName()) : nullptr;
        if (!node)
        {
            clearBinding(target);
            if (port->hasValueString())
                target->setValueString(port->getValueString());
            return;
        }
        if (node->getCategory() == PASS_THROUGH_CATEGORY && node->getInput(PASS_THROUGH_INPUT))
        {
            // Pass-through nodes feeding each other in a loop hand over nothing.
            if (passThroughHops < MAX_PASS_THROUGH_HOPS)
                bindFromGraph(target, node->getInput(PASS_THROUGH_INPUT), passThroughHops + 1);
            else
                clearBinding(target);
            return;
        }
        clearBinding(target);
        if (!dependsOnConnection(node))
        {
            if (mx::ValuePtr value = scratch.evaluate(node, port->getOutputString()))
            {
                target->setValueString(value->getValueString());
                return;
            }
        }
        target->setNodeName(copyOutOfGraph(node)->getName());
        if (!port->getOutputString().empty())
            target->setOutputString(port->getOutputString());
    }

    // A node of the translation graph comes out beside the shader, once per
    // shader. A normal map among them stays a node the import recognises.
    mx::NodePtr copyOutOfGraph(const mx::NodePtr& graphNode)
    {
        const auto done = copiedNodes.find(graphNode->getName());
        if (done != copiedNodes.end())
            return done->second;
        mx::NodePtr node = doc->addNode(graphNode->getCategory(),
                                        doc->createValidChildName(surface->getName() + "_" + graphNode->getName()),
                                        graphNode->getType());
        copiedNodes[graphNode->getName()] = node;
        for (const mx::InputPtr& graphInput : graphNode->getInputs())
            bindFromGraph(node->addInput(graphInput->getName(), graphInput->getType()), graphInput);
        for (const mx::OutputPtr& graphOutput : graphNode->getOutputs())
            node->addOutput(graphOutput->getName(), graphOutput->getType());
        return node;
    }

    void connectRemainingWorldSpaceInputs()
    {
        for (const auto& [name, shaderInput] : shaderInputs)
        {
            if (bypassed.count(name) || !isWorldSpaceNode(upstreamNode(doc, shaderInput)))
                continue;
            std::string target = name;
            if (surfaceInputs && !surfaceInputs->count(target) && mx::stringStartsWith(target, GEOMETRY_PREFIX))
                target = target.substr(GEOMETRY_PREFIX.size());
            if (mx::InputPtr input = surfaceInput(target, shaderInput->getType()))
                copyBinding(shaderInput, input);
        }
    }

    mx::DocumentPtr doc;
    TranslationScratch& scratch;
    mx::NodeDefPtr translationDef;
    mx::NodeGraphPtr graph;
    const InputsByName* surfaceInputs;
    mx::NodePtr surface;
    std::map<std::string, mx::InputPtr> shaderInputs;
    std::set<std::string> connected;
    std::set<std::string> bypassed;
    std::map<std::string, mx::NodePtr> copiedNodes;
};
} // namespace

std::string translationNodeDefName(const std::string& category)
{
    return "ND_" + category + TRANSLATION_SUFFIX;
}

mx::NodeDefPtr findSurfaceTranslation(const mx::DocumentPtr& doc, const std::string& category)
{
    mx::NodeDefPtr nodeDef = doc->getNodeDef(translationNodeDefName(category));
    if (!nodeDef || nodeDef->getNodeGroup() != TRANSLATION_NODE_GROUP || nodeDef->getNodeString().empty())
        return nullptr;
    return nodeDef;
}

size_t translateSurfaceShaders(const mx::DocumentPtr& doc)
{
    size_t translated = 0;
    std::unique_ptr<InputsByName> surfaceInputs;
    bool surfaceLooked = false;
    // One scratch graph per model met; null for a model without translation.
    std::map<std::string, std::unique_ptr<TranslationScratch>> scratches;
    for (const mx::NodePtr& material : doc->getMaterialNodes())
    {
        mx::InputPtr surfaceInput = material->getInput(SURFACE_SHADER_TYPE);
        mx::NodePtr shader = surfaceInput ? doc->getNode(surfaceInput->getNodeName()) : nullptr;
        if (!shader || shader->getCategory() == STANDARD_SURFACE)
            continue;
        const auto [entry, isNew] = scratches.try_emplace(shader->getCategory());
        if (isNew)
        {
            if (mx::NodeDefPtr translationDef = findSurfaceTranslation(doc, shader->getCategory()))
                entry->second = std::make_unique<TranslationScratch>(doc, translationDef);
        }
        if (!entry->second)
            continue;
        if (!surfaceLooked)
        {
            surfaceLooked = true;
            if (mx::NodeDefPtr surfaceDef = standardSurfaceDefinition(doc))
                surfaceInputs = std::make_unique<InputsByName>(inputsByName(surfaceDef));
        }
        ShaderTranslation(doc, *entry->second, surfaceInputs.get()).translate(shader);
        ++translated;
    }
    return translated;
}

} // namespace rozo
