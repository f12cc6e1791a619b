#include "import/SurfaceTranslation.h"

#include "import/ConstantFolding.h"

#include <MaterialXCore/Util.h>

#include <map>
#include <set>

namespace rozo
{
namespace
{
const std::string STANDARD_SURFACE = "standard_surface";
const std::string SURFACE_SHADER_TYPE = "surfaceshader";
const std::string MULTI_OUTPUT_TYPE = "multioutput";
const std::string TRANSLATION_NODE_GROUP = "translation";
const std::string TRANSLATION_SUFFIX = "_to_standard_surface";
const std::string OUTPUT_SUFFIX = "_out";
const std::string PASS_THROUGH_CATEGORY = "dot";
const std::string PASS_THROUGH_INPUT = "in";
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
        to->removeAttribute(attribute);
        if (from->hasAttribute(attribute))
            to->setAttribute(attribute, from->getAttribute(attribute));
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

mx::NodeDefPtr standardSurfaceDefinition(const mx::DocumentPtr& doc)
{
    for (const mx::NodeDefPtr& nodeDef : doc->getMatchingNodeDefs(STANDARD_SURFACE))
    {
        if (nodeDef->getType() == SURFACE_SHADER_TYPE)
            return nodeDef;
    }
    return nullptr;
}

class ShaderTranslation
{
  public:
    ShaderTranslation(const mx::DocumentPtr& doc, const mx::NodeDefPtr& translationDef,
                      const mx::NodeDefPtr& surfaceDef) :
        doc(doc),
        translationDef(translationDef),
        surfaceDef(surfaceDef)
    {
        mx::InterfaceElementPtr implementation = translationDef->getImplementation();
        graph = implementation ? implementation->asA<mx::NodeGraph>() : nullptr;
    }

    void translate(const mx::NodePtr& shader)
    {
        const std::string shaderName = shader->getName();
        translationNode = doc->addNode(translationDef->getNodeString(),
                                       doc->createValidChildName(shaderName + TRANSLATION_SUFFIX), MULTI_OUTPUT_TYPE);
        translationNode->setNodeDefString(translationDef->getName());
        for (const mx::InputPtr& input : shader->getInputs())
        {
            shaderInputs[input->getName()] = input;
            if (isWorldSpaceNode(upstreamNode(doc, input)))
                continue;
            if (mx::InputPtr declared = translationDef->getActiveInput(input->getName()))
                copyBinding(input, translationNode->addInput(input->getName(), declared->getType()));
        }

        // The material finds its shader by name: the standard_surface takes it over.
        doc->removeNode(shaderName);
        surface = doc->addNode(STANDARD_SURFACE, shaderName, SURFACE_SHADER_TYPE);
        for (const mx::OutputPtr& output : translationDef->getActiveOutputs())
            connectOutput(output);
        connectRemainingWorldSpaceInputs();
    }

  private:
    mx::InputPtr surfaceInput(const std::string& name, const std::string& type)
    {
        if (surfaceDef)
        {
            mx::InputPtr declared = surfaceDef->getActiveInput(name);
            if (!declared || declared->getType() != type)
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

    void connectOutput(const mx::OutputPtr& output)
    {
        const std::string& outputName = output->getName();
        if (!mx::stringEndsWith(outputName, OUTPUT_SUFFIX))
            return;
        const std::string inputName = outputName.substr(0, outputName.size() - OUTPUT_SUFFIX.size());
        const OutputSource source = traceOutputSource(graph, outputName);
        if (source.worldSpaceNode)
        {
            // Unbound, the inputs of a normal map give the surface's own normal.
            for (const std::string& name : source.worldSpaceInterfaceInputs)
            {
                if (boundShaderInput(name))
                {
                    if (mx::InputPtr input = surfaceInput(inputName, output->getType()))
                        input->setNodeName(copyOutOfGraph(source.worldSpaceNode)->getName());
                    return;
                }
            }
            return;
        }
        if (!source.interfaceInput.empty())
        {
            mx::InputPtr shaderInput = boundShaderInput(source.interfaceInput);
            if (shaderInput && isWorldSpaceNode(upstreamNode(doc, shaderInput)))
            {
                if (mx::InputPtr input = surfaceInput(inputName, output->getType()))
                    copyBinding(shaderInput, input);
                bypassed.insert(source.interfaceInput);
                return;
            }
            // An unbound geometric input (the surface normal) is standard_surface's own default.
            mx::InputPtr declared = translationDef->getActiveInput(source.interfaceInput);
            if (!shaderInput && declared && declared->hasDefaultGeomPropString())
                return;
        }
        if (mx::InputPtr input = surfaceInput(inputName, output->getType()))
        {
            input->setNodeName(translationNode->getName());
            input->setOutputString(outputName);
        }
    }

    // A normal map inside the translation graph comes out beside the shader with
    // what feeds it, so that it stays a node of its own the import recognises.
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
        {
            mx::InputPtr copy = node->addInput(graphInput->getName(), graphInput->getType());
            if (!graphInput->getInterfaceName().empty())
            {
                if (mx::InputPtr shaderInput = boundShaderInput(graphInput->getInterfaceName()))
                    copyBinding(shaderInput, copy);
                else if (mx::InputPtr declared = translationDef->getActiveInput(graphInput->getInterfaceName()))
                    copyBinding(declared, copy);
            }
            else if (mx::NodePtr upstream = graphInput->hasNodeName() ? graph->getNode(graphInput->getNodeName())
                                                                      : nullptr)
                copy->setNodeName(copyOutOfGraph(upstream)->getName());
            else
                copyBinding(graphInput, copy);
        }
        return node;
    }

    void connectRemainingWorldSpaceInputs()
    {
        for (const auto& [name, shaderInput] : shaderInputs)
        {
            if (bypassed.count(name) || !isWorldSpaceNode(upstreamNode(doc, shaderInput)))
                continue;
            std::string target = name;
            if (surfaceDef && !surfaceDef->getActiveInput(target) && mx::stringStartsWith(target, GEOMETRY_PREFIX))
                target = target.substr(GEOMETRY_PREFIX.size());
            if (mx::InputPtr input = surfaceInput(target, shaderInput->getType()))
                copyBinding(shaderInput, input);
        }
    }

    mx::DocumentPtr doc;
    mx::NodeDefPtr translationDef;
    mx::NodeDefPtr surfaceDef;
    mx::NodeGraphPtr graph;
    mx::NodePtr translationNode;
    mx::NodePtr surface;
    std::map<std::string, mx::InputPtr> shaderInputs;
    std::set<std::string> bypassed;
    std::map<std::string, mx::NodePtr> copiedNodes;
};

// Follows an input through pass-through nodes to what feeds them.
void skipPassThroughNodes(const mx::DocumentPtr& doc, const mx::InputPtr& input)
{
    std::set<std::string> seen;
    while (input->hasNodeName() && seen.insert(input->getNodeName()).second)
    {
        mx::NodePtr node = doc->getNode(input->getNodeName());
        mx::InputPtr in = node && node->getCategory() == PASS_THROUGH_CATEGORY ? node->getInput(PASS_THROUGH_INPUT)
                                                                               : nullptr;
        if (!in || !isBound(in))
            return;
        copyBinding(in, input);
    }
}
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

std::vector<std::string> translateSurfaceShaders(const mx::DocumentPtr& doc)
{
    std::vector<std::string> translated;
    mx::NodeDefPtr surfaceDef;
    bool surfaceDefLooked = false;
    for (const mx::NodePtr& material : doc->getMaterialNodes())
    {
        mx::InputPtr surfaceInput = material->getInput(SURFACE_SHADER_TYPE);
        mx::NodePtr shader = surfaceInput ? doc->getNode(surfaceInput->getNodeName()) : nullptr;
        if (!shader || shader->getCategory() == STANDARD_SURFACE)
            continue;
        mx::NodeDefPtr translationDef = findSurfaceTranslation(doc, shader->getCategory());
        if (!translationDef)
            continue;
        if (!surfaceDefLooked)
        {
            surfaceDef = standardSurfaceDefinition(doc);
            surfaceDefLooked = true;
        }
        translated.push_back(shader->getName());
        ShaderTranslation(doc, translationDef, surfaceDef).translate(shader);
    }
    return translated;
}

void settleTranslatedShaders(const mx::DocumentPtr& doc, const std::vector<std::string>& shaderNames)
{
    for (const std::string& name : shaderNames)
    {
        mx::NodePtr shader = doc->getNode(name);
        if (!shader || shader->getCategory() != STANDARD_SURFACE)
            continue;
        for (const mx::InputPtr& input : shader->getInputs())
            skipPassThroughNodes(doc, input);
        foldConstantInputs(shader);
    }
}

} // namespace rozo
