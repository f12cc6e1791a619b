#include <MaterialXCore/Document.h>

#include <set>
#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

// Older documents are brought to the current version one release step at a
// time, each step rewriting what that release renamed or restructured.

namespace
{

using Version = std::pair<int, int>;

// The attribute that swizzled a port's source until 1.39.
const string CHANNELS_ATTRIBUTE = "channels";

vector<ElementPtr> childrenOfCategory(const Element& parent, const string& category)
{
    vector<ElementPtr> result;
    for (const ElementPtr& child : parent.getChildren())
        if (child->getCategory() == category)
            result.push_back(child);
    return result;
}

void renameAttribute(Element& elem, const string& from, const string& to)
{
    if (const string* value = elem.findAttribute(from))
    {
        string kept = *value;
        elem.removeAttribute(from);
        elem.setAttribute(to, kept);
    }
}

// Replace each character of text found in the map.
string mapCharacters(const string& text, const std::unordered_map<char, char>& map)
{
    string result = text;
    for (char& c : result)
    {
        auto it = map.find(c);
        if (it != map.end())
            c = it->second;
    }
    return result;
}

string replaceAll(string text, const string& from, const string& to)
{
    for (size_t pos = text.find(from); pos != string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

// The definition a legacy shader reference instantiates: named by its
// "nodedef", or the first whose node string, target, version and type fit.
NodeDefPtr shaderRefNodeDef(const Document& doc, const Element& shaderRef)
{
    if (const string* name = shaderRef.findAttribute(InterfaceElement::NODE_DEF_ATTRIBUTE))
    {
        NodeDefPtr qualified = doc.getNodeDef(shaderRef.getQualifiedName(*name));
        return qualified ? qualified : doc.getNodeDef(*name);
    }
    const string* node = shaderRef.findAttribute(NodeDef::NODE_ATTRIBUTE);
    if (!node)
        return NodeDefPtr();
    const string& type = shaderRef.getAttribute(TypedElement::TYPE_ATTRIBUTE);
    const string& target = shaderRef.getAttribute(InterfaceElement::TARGET_ATTRIBUTE);
    const string& version = shaderRef.getAttribute(InterfaceElement::VERSION_ATTRIBUTE);
    vector<NodeDefPtr> candidates = doc.getMatchingNodeDefs(shaderRef.getQualifiedName(*node));
    if (shaderRef.getQualifiedName(*node) != *node)
        for (const NodeDefPtr& nodeDef : doc.getMatchingNodeDefs(*node))
            candidates.push_back(nodeDef);
    for (const NodeDefPtr& nodeDef : candidates)
    {
        bool targetFits = target.empty() || nodeDef->getTarget().empty() || nodeDef->getTarget() == target;
        if (targetFits && nodeDef->isVersionCompatible(version) && (type.empty() || nodeDef->findType() == type))
            return nodeDef;
    }
    return NodeDefPtr();
}

// Copy an input with its value and connection onto another node, or onto
// another input of the same node.
void copyInputTo(const Node& from, const string& fromName, Node& to, const string& toName)
{
    InputPtr source = from.getInput(fromName);
    if (!source)
        return;
    InputPtr dest = to.getInput(toName);
    if (!dest)
        dest = to.addInput(toName, source->getType());
    dest->copyContentFrom(source);
}

// Exchange the names of two inputs; a lone one takes the other name.
void swapInputNames(Node& node, const string& first, const string& second)
{
    InputPtr a = node.getInput(first);
    InputPtr b = node.getInput(second);
    if (a && b)
        a->setName(node.createValidChildName("temp"));
    if (b)
        b->setName(first);
    if (a)
        a->setName(second);
}

InputPtr ensureInput(Node& node, const string& name, const string& type)
{
    InputPtr input = node.getInput(name);
    return input ? input : node.addInput(name, type);
}

void upgradeTo1_23(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
        if (elem->getAttribute(TypedElement::TYPE_ATTRIBUTE) == "vector")
            elem->setAttribute(TypedElement::TYPE_ATTRIBUTE, "vector3");
}

void upgradeTo1_24(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
    {
        if (elem->getCategory() == "shader")
            renameAttribute(*elem, "shadername", NodeDef::NODE_ATTRIBUTE);
        for (const ElementPtr& child : childrenOfCategory(*elem, "assign"))
            elem->changeChildCategory(child, "materialassign");
    }
}

void upgradeTo1_25(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
        if (elem->isA<Input>())
            renameAttribute(*elem, "graphname", "opgraph");
}

void upgradeTo1_26(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
        if (elem->getCategory() == "constant")
            if (ElementPtr color = elem->getChild("color"))
                color->setName("value");
}

void upgradeTo1_34(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
    {
        for (const ElementPtr& child : vector<ElementPtr>(elem->getChildren()))
        {
            const string& category = child->getCategory();
            if (category == "opgraph")
            {
                elem->changeChildCategory(child, "nodegraph");
            }
            else if (category == "shader")
            {
                ElementPtr nodeDef = elem->changeChildCategory(child, "nodedef");
                if (nodeDef->hasAttribute("shadertype"))
                    nodeDef->setAttribute(TypedElement::TYPE_ATTRIBUTE, SURFACE_SHADER_TYPE_STRING);
                if (const string* program = nodeDef->findAttribute("shaderprogram"))
                    nodeDef->setAttribute(NodeDef::NODE_ATTRIBUTE, string(*program));
            }
            else if (category == "shaderref" && child->hasAttribute("shadertype"))
            {
                child->setAttribute(TypedElement::TYPE_ATTRIBUTE, SURFACE_SHADER_TYPE_STRING);
                child->removeAttribute("shadertype");
            }
            else if (category == "parameter" && child->getAttribute(TypedElement::TYPE_ATTRIBUTE) == "opgraphnode")
            {
                // Connections were once parameters naming the upstream node.
                if (elem->isA<Node>())
                {
                    InputPtr input = elem->changeChildCategory(child, Input::CATEGORY)->asA<Input>();
                    input->setNodeName(input->getAttribute(ValueElement::VALUE_ATTRIBUTE));
                    input->removeAttribute(ValueElement::VALUE_ATTRIBUTE);
                    NodePtr upstream = input->getConnectedNode();
                    input->setType(upstream ? upstream->getType() : "color3");
                }
                else if (elem->isA<Output>())
                {
                    if (child->getName() == "in")
                        elem->setAttribute(PortElement::NODE_NAME_ATTRIBUTE, child->getAttribute(ValueElement::VALUE_ATTRIBUTE));
                    elem->removeChild(child->getName());
                }
            }
        }
    }

    // Shader references that name their definition by its own name.
    vector<ElementPtr> materials = childrenOfCategory(doc, "material");
    for (const ElementPtr& material : materials)
        for (const ElementPtr& shaderRef : childrenOfCategory(*material, "shaderref"))
            if (!shaderRefNodeDef(doc, *shaderRef))
                if (NodeDefPtr nodeDef = doc.getNodeDef(shaderRef->getName()))
                {
                    shaderRef->setAttribute(InterfaceElement::NODE_DEF_ATTRIBUTE, nodeDef->getName());
                    shaderRef->setAttribute(NodeDef::NODE_ATTRIBUTE, nodeDef->getNodeString());
                }

    // Graph connections on definition inputs move to the shader references.
    for (const NodeDefPtr& nodeDef : doc.getNodeDefs())
    {
        for (const InputPtr& input : nodeDef->getActiveInputs())
        {
            if (!input->hasAttribute("opgraph") || !input->hasAttribute("graphoutput"))
                continue;
            for (const ElementPtr& material : materials)
                for (const ElementPtr& shaderRef : childrenOfCategory(*material, "shaderref"))
                    if (shaderRefNodeDef(doc, *shaderRef) == nodeDef && !shaderRef->getChild(input->getName()))
                    {
                        ElementPtr bindInput = shaderRef->addChildOfCategory("bindinput", input->getName());
                        bindInput->setAttribute(TypedElement::TYPE_ATTRIBUTE, input->getType());
                        bindInput->setAttribute(PortElement::NODE_GRAPH_ATTRIBUTE, input->getAttribute("opgraph"));
                        bindInput->setAttribute(PortElement::OUTPUT_ATTRIBUTE, input->getAttribute("graphoutput"));
                    }
            input->removeAttribute("opgraph");
            input->removeAttribute("graphoutput");
        }
    }

    for (const ElementPtr& geomInfo : childrenOfCategory(doc, "geominfo"))
        for (const ElementPtr& child : childrenOfCategory(*geomInfo, "geomattr"))
            geomInfo->changeChildCategory(child, "geomprop");
}

void upgradeTo1_35(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
    {
        if (elem->getAttribute(TypedElement::TYPE_ATTRIBUTE) == "matrix")
            elem->setAttribute(TypedElement::TYPE_ATTRIBUTE, "matrix44");
        if (elem->hasAttribute("default") && !elem->hasAttribute(ValueElement::VALUE_ATTRIBUTE))
            renameAttribute(*elem, "default", ValueElement::VALUE_ATTRIBUTE);
        if (elem->isA<MaterialAssign>())
            elem->setAttribute("material", elem->getName());
    }
}

void upgradeTo1_36(Document& doc)
{
    for (const ElementPtr& elem : doc.traverseTree())
    {
        const string& type = elem->getAttribute(TypedElement::TYPE_ATTRIBUTE);
        if (type == "geomname" && elem->getAttribute(ValueElement::VALUE_ATTRIBUTE) == "*")
            elem->setAttribute(ValueElement::VALUE_ATTRIBUTE, "/");
        if (type == FILENAME_TYPE_STRING)
        {
            string value = elem->getAttribute(ValueElement::VALUE_ATTRIBUTE);
            value = replaceAll(replaceAll(value, "%UDIM", "<UDIM>"), "%UVTILE", "<UVTILE>");
            elem->setAttribute(ValueElement::VALUE_ATTRIBUTE, value);
        }

        for (const ElementPtr& child : vector<ElementPtr>(elem->getChildren()))
        {
            if (elem->getCategory() == "material" && child->getCategory() == "override")
            {
                // Overrides of public names become bindings on the shader references.
                for (const ElementPtr& shaderRef : childrenOfCategory(*elem, "shaderref"))
                {
                    NodeDefPtr nodeDef = shaderRefNodeDef(doc, *shaderRef);
                    if (!nodeDef)
                        continue;
                    for (const InterfaceElement* level : nodeDef->inheritanceChain())
                        for (const ElementPtr& declared : level->getChildren())
                        {
                            if (!declared->isA<ValueElement>() || declared->getAttribute("publicname") != child->getName() ||
                                shaderRef->getChild(child->getName()))
                                continue;
                            const char* bindCategory = declared->getCategory() == "parameter" ? "bindparam"
                                                       : declared->isA<Input>()               ? "bindinput"
                                                                                              : nullptr;
                            if (!bindCategory)
                                continue;
                            ElementPtr bind = shaderRef->addChildOfCategory(bindCategory, declared->getName());
                            bind->setAttribute(TypedElement::TYPE_ATTRIBUTE, declared->getAttribute(TypedElement::TYPE_ATTRIBUTE));
                            bind->setAttribute(ValueElement::VALUE_ATTRIBUTE, child->getAttribute(ValueElement::VALUE_ATTRIBUTE));
                        }
                }
                elem->removeChild(child->getName());
            }
            else if (elem->getCategory() == "material" && child->getCategory() == "materialinherit")
            {
                elem->setInheritString(child->getAttribute("material"));
                elem->removeChild(child->getName());
            }
            else if (elem->isA<Look>() && child->getCategory() == "lookinherit")
            {
                elem->setInheritString(child->getAttribute("look"));
                elem->removeChild(child->getName());
            }
        }
    }
}

void upgradeTo1_37(Document& doc)
{
    // Definitions declare their output instead of a type.
    for (const NodeDefPtr& nodeDef : doc.getNodeDefs())
    {
        if (!nodeDef->hasType())
            continue;
        string type = nodeDef->getAttribute(TypedElement::TYPE_ATTRIBUTE);
        OutputPtr output;
        if (!type.empty() && type != MULTI_OUTPUT_TYPE_STRING)
        {
            output = nodeDef->getOutput("out");
            if (!output)
                output = nodeDef->addOutput("out", type);
        }
        nodeDef->removeAttribute(TypedElement::TYPE_ATTRIBUTE);
        const string defaultInput = nodeDef->getAttribute(Output::DEFAULT_INPUT_ATTRIBUTE);
        if (output && !defaultInput.empty())
            output->setAttribute(Output::DEFAULT_INPUT_ATTRIBUTE, defaultInput);
        nodeDef->removeAttribute(Output::DEFAULT_INPUT_ATTRIBUTE);
    }

    // Legacy shader definitions go; references to them no longer name them.
    for (const NodeDefPtr& nodeDef : doc.getNodeDefs())
    {
        if (!nodeDef->hasAttribute("shadertype"))
            continue;
        for (const ElementPtr& material : childrenOfCategory(doc, "material"))
            for (const ElementPtr& shaderRef : childrenOfCategory(*material, "shaderref"))
                if (shaderRef->getAttribute(InterfaceElement::NODE_DEF_ATTRIBUTE) == nodeDef->getName())
                    shaderRef->removeAttribute(InterfaceElement::NODE_DEF_ATTRIBUTE);
        doc.removeNodeDef(nodeDef->getName());
    }

    for (const ElementPtr& geomInfo : childrenOfCategory(doc, "geominfo"))
        for (const ElementPtr& child : childrenOfCategory(*geomInfo, "geomattr"))
            geomInfo->changeChildCategory(child, "geomprop");

    // Node categories split or renamed by type.
    for (const ElementPtr& elem : doc.traverseTree())
    {
        NodePtr node = elem->asA<Node>();
        if (!node)
            continue;
        const string category = node->getCategory();
        const string& type = node->getType();
        if (category == "geomattrvalue")
        {
            node->setCategory("geompropvalue");
            renameAttribute(*node, "attrname", "geomprop");
        }
        else if (category == "invert" && (type == "matrix33" || type == "matrix44"))
        {
            node->setCategory("invertmatrix");
        }
        else if (category == "rotate")
        {
            node->setCategory(type == "vector2" ? "rotate2d" : "rotate3d");
        }
        else if (category == "compare")
        {
            node->setCategory("ifgreatereq");
            if (InputPtr test = node->getInput("intest"))
                test->setName("value1");
            if (ElementPtr cutoff = node->getChild("cutoff"))
                node->changeChildCategory(cutoff, Input::CATEGORY)->setName("value2");
            if (node->getInput("in1") && node->getInput("in2"))
                swapInputNames(*node, "in1", "in2");
        }
        else if (category == "transformpoint" || category == "transformvector" || category == "transformnormal")
        {
            if (!node->getChild("fromspace") && !node->getChild("tospace"))
                node->setCategory("transformmatrix");
        }
        else if (category == "combine")
        {
            node->setCategory(node->getChild("in4") ? "combine4" : node->getChild("in3") ? "combine3"
                                                                                         : "combine2");
        }
        else if (category == "separate")
        {
            if (InputPtr in = node->getInput("in"))
            {
                const string& inType = in->getType();
                if (inType == "vector4" || inType == "color4")
                    node->setCategory("separate4");
                else if (inType == "vector3" || inType == "color3")
                    node->setCategory("separate3");
                else
                    node->setCategory("separate2");
            }
        }
    }
}

// A BSDF that once took a "base" input becomes the top of a layer node, which
// takes over its name so that downstream connections still hold.
void splitBsdfLayering(Node& node)
{
    InputPtr base = node.getInput("base");
    if (!base)
        return;
    NodePtr baseNode = base->getConnectedNode();
    GraphElementPtr graph = node.getParent() ? node.getParent()->asA<GraphElement>() : nullptr;
    if (baseNode && graph)
    {
        const string name = node.getName();
        node.setName(name + "__layer_top");
        NodePtr layer = graph->addNode("layer", name, "BSDF");
        layer->addInput("top", "BSDF")->setNodeName(node.getName());
        layer->addInput("base", "BSDF")->setNodeName(baseNode->getName());
    }
    node.removeInput("base");
}

// Material elements and their shader references become shader nodes and a
// material node of the material's name.
void convertMaterialElements(Document& doc)
{
    const vector<ElementPtr> materials = childrenOfCategory(doc, "material");
    if (materials.empty())
        return;
    // Definitions do not change here: find them all while the document's
    // tables are current, not once per material after each change.
    vector<vector<std::pair<ElementPtr, NodeDefPtr>>> shaderRefs(materials.size());
    for (size_t i = 0; i < materials.size(); ++i)
        for (const ElementPtr& shaderRef : childrenOfCategory(*materials[i], "shaderref"))
            shaderRefs[i].emplace_back(shaderRef, shaderRefNodeDef(doc, *shaderRef));

    std::unordered_set<const Element*> converted;
    for (size_t i = 0; i < materials.size(); ++i)
    {
        const ElementPtr& material = materials[i];
        NodePtr materialNode;
        for (const auto& entry : shaderRefs[i])
        {
            const ElementPtr& shaderRef = entry.first;
            const NodeDefPtr& nodeDef = entry.second;
            string shaderType = nodeDef ? nodeDef->findType() : EMPTY_STRING;
            if (shaderType.empty())
                shaderType = SURFACE_SHADER_TYPE_STRING;
            const string shaderCategory = nodeDef ? nodeDef->getNodeString() : shaderRef->getAttribute(NodeDef::NODE_ATTRIBUTE);
            NodePtr shaderNode = doc.addNode(shaderCategory, doc.createValidChildName(shaderRef->getName()), shaderType);
            for (const string* attrib : { &InterfaceElement::NODE_DEF_ATTRIBUTE, &InterfaceElement::TARGET_ATTRIBUTE,
                                          &InterfaceElement::VERSION_ATTRIBUTE })
            {
                const string& value = shaderRef->getAttribute(*attrib);
                if (!value.empty())
                    shaderNode->setAttribute(*attrib, value);
            }
            shaderNode->setSourceUri(shaderRef->getSourceUri());

            for (const ElementPtr& child : shaderRef->getChildren())
            {
                ElementPtr binding;
                if (child->getCategory() == "bindinput" || child->getCategory() == "bindparam")
                    binding = shaderNode->addInput(child->getName());
                else if (child->getCategory() == "bindtoken")
                    binding = shaderNode->addToken(child->getName());
                if (binding)
                    binding->copyContentFrom(child);
            }

            if (!materialNode)
            {
                const bool volume = shaderType == VOLUME_SHADER_TYPE_STRING;
                materialNode = doc.addNode(volume ? "volumematerial" : "surfacematerial", doc.createValidChildName("temp"),
                                           MATERIAL_TYPE_STRING);
                materialNode->setSourceUri(material->getSourceUri());
            }
            if (!materialNode->getInput(shaderType))
                materialNode->addInput(shaderType, shaderType)->setNodeName(shaderNode->getName());
        }

        // The element gives up its name at once, under one no valid name can
        // take, and leaves the document with the others in one pass.
        const string name = material->getName();
        material->setName("\x01" + std::to_string(i));
        converted.insert(material.get());
        if (materialNode)
        {
            materialNode->setName(name);
            for (const AttributePair& attr : material->getAttributePairs())
                if (!materialNode->hasAttribute(attr.first))
                    materialNode->setAttribute(attr.first, attr.second);
        }
    }
    doc.removeChildren([&converted](const Element& child) { return converted.count(&child) != 0; });
}

// Conductors took artistic parameters; an artistic_ior node now turns them
// into the physical ones.
void convertConductor(Node& node)
{
    GraphElementPtr graph = node.getParent() ? node.getParent()->asA<GraphElement>() : nullptr;
    if (!graph)
        return;
    NodePtr artistic = graph->addNode("artistic_ior", graph->createValidChildName(node.getName() + "__artistic_ior"),
                                      MULTI_OUTPUT_TYPE_STRING);
    artistic->addOutput("ior", "color3");
    artistic->addOutput("extinction", "color3");
    copyInputTo(node, "reflectivity", *artistic, "reflectivity");
    copyInputTo(node, "edge_color", *artistic, "edge_color");
    node.removeInput("reflectivity");
    node.removeInput("edge_color");
    for (const char* port : { "ior", "extinction" })
    {
        InputPtr input = ensureInput(node, port, "color3");
        input->setNodeName(artistic->getName());
        input->setOutputString(port);
    }
}

void upgradeTo1_38(Document& doc)
{
    // color2 became vector2: channel letters r and a read x and y.
    const std::unordered_map<char, char> color2Channels = { { 'r', 'x' }, { 'a', 'y' } };
    for (const ElementPtr& elem : doc.traverseTree())
    {
        if (elem->getAttribute(TypedElement::TYPE_ATTRIBUTE) != "color2")
            continue;
        elem->setAttribute(TypedElement::TYPE_ATTRIBUTE, "vector2");
        NodePtr node = elem->getParent() ? elem->getParent()->asA<Node>() : nullptr;
        if (!node)
            continue;
        for (const PortElementPtr& port : node->getDownstreamPorts())
        {
            if (const string* channels = port->findAttribute(CHANNELS_ATTRIBUTE))
                port->setAttribute(CHANNELS_ATTRIBUTE, mapCharacters(*channels, color2Channels));
            if (port->hasOutputString())
                port->setOutputString(mapCharacters(port->getOutputString(), color2Channels));
        }
        if (ElementPtr channels = node->getChild(CHANNELS_ATTRIBUTE))
            if (channels->hasAttribute(ValueElement::VALUE_ATTRIBUTE))
                channels->setAttribute(ValueElement::VALUE_ATTRIBUTE,
                                       mapCharacters(channels->getAttribute(ValueElement::VALUE_ATTRIBUTE), color2Channels));
    }

    convertMaterialElements(doc);

    static const std::unordered_map<string, string> renamedBsdfs = {
        { "dielectric_brdf", "dielectric_bsdf" },
        { "dielectric_btdf", "dielectric_bsdf" },
        { "generalized_schlick_brdf", "generalized_schlick_bsdf" },
        { "conductor_brdf", "conductor_bsdf" },
        { "sheen_brdf", "sheen_bsdf" },
        { "diffuse_brdf", "oren_nayar_diffuse_bsdf" },
        { "burley_diffuse_brdf", "burley_diffuse_bsdf" },
        { "diffuse_btdf", "translucent_bsdf" },
        { "subsurface_brdf", "subsurface_bsdf" },
        { "thin_film_brdf", "thin_film_bsdf" },
    };
    static const std::set<string> layeredBsdfs = { "dielectric_brdf", "generalized_schlick_brdf", "sheen_brdf", "thin_film_brdf" };

    // Inputs reading an artistic_ior output as vector3 need a conversion,
    // made once the walk is over.
    vector<InputPtr> vectorIorReaders;
    for (const ElementPtr& elem : doc.traverseTree())
    {
        NodePtr node = elem->asA<Node>();
        if (!node)
            continue;
        const string category = node->getCategory();
        if (category == "atan2")
        {
            swapInputNames(*node, "in1", "in2");
        }
        else if (category == "rotate3d")
        {
            if (ElementPtr axis = node->getChild("axis"))
                node->changeChildCategory(axis, Input::CATEGORY);
        }
        else if (category == "artistic_ior")
        {
            for (const char* name : { "ior", "extinction" })
                if (OutputPtr output = node->getOutput(name))
                    output->setType("color3");
        }
        auto renamed = renamedBsdfs.find(category);
        if (renamed != renamedBsdfs.end())
        {
            node->setCategory(renamed->second);
            if (layeredBsdfs.count(category))
                splitBsdfLayering(*node);
            else if (category == "dielectric_btdf")
            {
                node->removeInput("interior");
                ensureInput(*node, "scatter_mode", STRING_TYPE_STRING)->setValueString("T");
            }
            else if (category == "conductor_brdf")
                convertConductor(*node);
        }

        for (const InputPtr& input : node->getInputs())
        {
            const string& output = input->getOutputString();
            if ((output == "ior" || output == "extinction") && input->getType() == "vector3")
            {
                NodePtr upstream = input->getConnectedNode();
                if (upstream && upstream->getCategory() == "artistic_ior")
                    vectorIorReaders.push_back(input);
            }
        }
    }
    for (const InputPtr& input : vectorIorReaders)
    {
        NodePtr upstream = input->getConnectedNode();
        ElementPtr reader = input->getParent();
        GraphElementPtr graph = reader && reader->getParent() ? reader->getParent()->asA<GraphElement>() : nullptr;
        if (!upstream || !graph)
            continue;
        const string output = input->getOutputString();
        NodePtr convert = graph->addNode("convert", graph->createValidChildName(reader->getName() + "__convert_" + output), "vector3");
        InputPtr in = convert->addInput("in", "color3");
        in->setNodeName(upstream->getName());
        in->setOutputString(output);
        input->setNodeName(convert->getName());
        input->removeAttribute(PortElement::OUTPUT_ATTRIBUTE);
    }

    // Inside a node graph, a node may no longer share its name with an
    // interface name; such nodes are renamed, with their connections.
    for (const NodeGraphPtr& graph : doc.getNodeGraphs())
    {
        graph->removeAttribute(InterfaceElement::VERSION_ATTRIBUTE);
        std::set<string> interfaceNames;
        for (const ElementPtr& child : graph->getChildren())
            if (child->isA<Node>())
                for (const ElementPtr& port : child->getChildren())
                    if (const string* name = port->isA<ValueElement>() ? port->findAttribute(ValueElement::INTERFACE_NAME_ATTRIBUTE) : nullptr)
                        if (!name->empty())
                            interfaceNames.insert(*name);
        // The graph's ports by the node they name, made once (renames follow
        // one another, so each moves its ports to the new name).
        std::unordered_map<string, vector<Element*>> portsByNodeName;
        bool indexed = false;
        for (const string& name : interfaceNames)
        {
            NodePtr node = graph->getNode(name);
            if (!node)
                continue;
            if (!indexed)
            {
                for (const ElementPtr& child : graph->getChildren())
                {
                    vector<ElementPtr> ports = child->isA<Output>() ? vector<ElementPtr>{ child } : child->getChildren();
                    for (const ElementPtr& port : ports)
                        if (const string* nodeName = port->isA<PortElement>() ? port->findAttribute(PortElement::NODE_NAME_ATTRIBUTE) : nullptr)
                            portsByNodeName[*nodeName].push_back(port.get());
                }
                indexed = true;
            }
            const string newName = graph->createValidChildName(name);
            vector<Element*> moved = std::move(portsByNodeName[name]);
            portsByNodeName.erase(name);
            for (Element* port : moved)
                port->setAttribute(PortElement::NODE_NAME_ATTRIBUTE, newName);
            vector<Element*>& target = portsByNodeName[newName];
            target.insert(target.end(), moved.begin(), moved.end());
            node->setName(newName);
        }
    }

    // Parameters are inputs now; on definitions they stay uniform.
    for (const ElementPtr& elem : doc.traverseTree())
    {
        if (!elem->isA<InterfaceElement>())
            continue;
        const vector<ElementPtr>& children = elem->getChildren();
        for (size_t index = 0; index < children.size(); ++index)
        {
            if (children[index]->getCategory() != "parameter")
                continue;
            ElementPtr input = elem->changeChildCategoryAt(index, Input::CATEGORY);
            if (elem->isA<NodeDef>())
                input->asA<Input>()->setIsUniform(true);
        }
    }
}

GraphElementPtr enclosingGraph(Element& elem)
{
    return elem.getAncestorOfType<GraphElement>();
}

const std::unordered_map<char, size_t>& channelIndices()
{
    static const std::unordered_map<char, size_t> indices = { { 'r', 0 }, { 'g', 1 }, { 'b', 2 }, { 'a', 3 }, { 'x', 0 }, { 'y', 1 }, { 'z', 2 }, { 'w', 3 } };
    return indices;
}

// A channel letter that stands for a constant, and its value.
bool channelConstant(char c, float& value)
{
    if (c != '0' && c != '1')
        return false;
    value = c == '0' ? 0.0f : 1.0f;
    return true;
}

size_t channelCount(const string& type)
{
    static const std::unordered_map<string, size_t> counts = { { "float", 1 }, { "color3", 3 }, { "color4", 4 }, { "vector2", 2 }, { "vector3", 3 }, { "vector4", 4 } };
    auto it = counts.find(type);
    return it == counts.end() ? 0 : it->second;
}

// The type a channels string reads when its source does not tell.
string guessedChannelSourceType(const string& channels, const string& portType)
{
    if (channels == "xx" || channels == "xxx" || channels == "xxxx")
        return "float";
    if (channels == "xyz" || channels == "x" || channels == "y" || channels == "z")
        return "vector3";
    if (channels == "rgba" || channels == "a")
        return "color4";
    return portType == "color3" ? "color4" : "color3";
}

// A "channels" attribute on a port becomes a swizzle node between the port
// and its source; swizzle nodes are then rewritten as other nodes.
void channelsToSwizzleNode(PortElement& port)
{
    const string channels = port.getAttribute(CHANNELS_ATTRIBUTE);
    ElementPtr parent = port.getParent();
    GraphElementPtr graph = enclosingGraph(port);
    NodePtr upstream = port.getConnectedNode();
    string upstreamType = upstream ? upstream->getType() : EMPTY_STRING;
    if (upstreamType.empty() || upstreamType == MULTI_OUTPUT_TYPE_STRING)
        upstreamType = guessedChannelSourceType(channels, port.getType());

    // A float read from a float needs no swizzle.
    if (upstreamType == "float" && port.getType() == "float")
    {
        port.removeAttribute(CHANNELS_ATTRIBUTE);
        return;
    }
    if (!graph || !parent)
        return;

    NodePtr swizzle = graph->addNode("swizzle", graph->createValidChildName("swizzle"), port.getType());
    int index = parent->getParent() == graph ? graph->getChildIndex(parent->getName()) : graph->getChildIndex(port.getName());
    if (index >= 0)
        graph->setChildIndex(swizzle->getName(), index);
    InputPtr in = swizzle->addInput("in");
    in->copyContentFrom(port.getSelf());
    in->removeAttribute(CHANNELS_ATTRIBUTE);
    in->setType(upstreamType);
    swizzle->setInputValue(CHANNELS_ATTRIBUTE, channels);

    port.setConnectedNode(swizzle);
    port.removeAttribute(PortElement::OUTPUT_ATTRIBUTE);
    port.removeAttribute(ValueElement::INTERFACE_NAME_ATTRIBUTE);
    port.removeAttribute(CHANNELS_ATTRIBUTE);
}

// A swizzle whose every channel is a constant, or whose input is a value,
// becomes a constant of the picked components.
void swizzleToConstant(Node& node, const InputPtr& in, const string& channels, size_t destCount)
{
    node.setCategory("constant");
    if (node.hasNodeDefString())
        node.setNodeDefString("ND_constant_" + node.getType());
    StringVec components = splitString(in ? in->getValueString() : string("0"), ARRAY_VALID_SEPARATORS);
    // An input bound to a connection has no components to pick from.
    const string fallback = components.empty() ? string("0") : components[0];
    StringVec picked;
    for (size_t i = 0; i < destCount; ++i)
    {
        if (i < channels.size())
        {
            auto index = channelIndices().find(channels[i]);
            float constant = 0.0f;
            if (index != channelIndices().end())
            {
                if (index->second < components.size())
                {
                    picked.push_back(components[index->second]);
                    continue;
                }
            }
            else if (channelConstant(channels[i], constant))
            {
                picked.push_back(std::to_string(constant));
                continue;
            }
        }
        picked.push_back(fallback);
    }
    node.addInput("value", node.getType())->setValueString(joinStrings(picked, ", "));
    if (in)
        node.removeInput(in->getName());
}

// A swizzle of several channels from a vector or colour: a separate node
// feeds a combine node that takes the swizzle's place.
void swizzleToSeparateCombine(Node& node, const InputPtr& in, const string& channels, size_t sourceCount, size_t destCount)
{
    GraphElementPtr graph = enclosingGraph(node);
    if (!graph)
        return;
    NodePtr separate = graph->addNode("separate" + std::to_string(sourceCount), graph->createValidChildName("separate"),
                                      MULTI_OUTPUT_TYPE_STRING);
    int index = graph->getChildIndex(node.getName());
    if (index >= 0)
        graph->setChildIndex(separate->getName(), index);
    node.setCategory("combine" + std::to_string(destCount));
    if (node.hasNodeDefString())
        node.setNodeDefString("ND_combine" + std::to_string(destCount) + "_" + node.getType());
    for (size_t i = 0; i < destCount; ++i)
    {
        InputPtr combineIn = node.addInput("in" + std::to_string(i + 1), "float");
        float constant = 0.0f;
        if (i < channels.size() && channelIndices().count(channels[i]))
        {
            combineIn->setConnectedNode(separate);
            combineIn->setOutputString(string("out") + channels[i]);
            continue;
        }
        if (i < channels.size() && channelConstant(channels[i], constant))
        {
            combineIn->setValueString(toValueString(constant));
            continue;
        }
        combineIn->setConnectedNode(separate);
        combineIn->setOutputString(in->isColorType() ? "outr" : "outx");
    }
    copyInputTo(node, in->getName(), *separate, "in");
    node.removeInput(in->getName());
}

bool isConvertPattern(const string& channels, size_t sourceCount)
{
    static const std::pair<const char*, size_t> patterns[] = { { "rgb", 3 }, { "rgb", 4 }, { "rgba", 4 }, { "xyz", 3 }, { "xyz", 4 }, { "xyzw", 4 }, { "rr", 1 }, { "rrr", 1 }, { "xx", 1 }, { "xxx", 1 } };
    for (const auto& pattern : patterns)
        if (channels == pattern.first && sourceCount == pattern.second)
            return true;
    return false;
}

// Swizzle nodes are gone: each becomes the constant, extract, convert,
// combine or separate/combine pair that does the same.
void replaceSwizzle(Node& node)
{
    InputPtr in = node.getInput("in");
    const string sourceType = in ? in->getType() : string("float");
    const size_t sourceCount = channelCount(sourceType);
    const size_t destCount = channelCount(node.getType());
    if (!sourceCount || !destCount)
        return;
    InputPtr channelsInput = node.getInput(CHANNELS_ATTRIBUTE);
    const string channels = channelsInput ? channelsInput->getValueString() : EMPTY_STRING;

    // A connection wins over a value given beside it.
    if (in && in->hasValue() && (in->hasNodeName() || in->hasNodeGraphString() || in->hasInterfaceName()))
        in->removeAttribute(ValueElement::VALUE_ATTRIBUTE);

    bool constant = !in || in->hasValue();
    if (!constant)
    {
        constant = true;
        float unused = 0.0f;
        for (size_t i = 0; i < destCount && constant; ++i)
            constant = i < channels.size() && channelConstant(channels[i], unused);
    }

    if (constant)
    {
        swizzleToConstant(node, in, channels, destCount);
    }
    else if (destCount == 1)
    {
        node.setCategory("extract");
        if (node.hasNodeDefString())
            node.setNodeDefString("ND_extract_" + sourceType);
        auto index = channels.empty() ? channelIndices().end() : channelIndices().find(channels[0]);
        if (index != channelIndices().end())
            node.setInputValue("index", int(index->second));
    }
    else if (sourceType != node.getType() && isConvertPattern(channels, sourceCount))
    {
        node.setCategory("convert");
        if (node.hasNodeDefString())
            node.setNodeDefString("ND_convert_" + sourceType + "_" + node.getType());
    }
    else if (sourceCount == 1)
    {
        node.setCategory("combine" + std::to_string(destCount));
        if (node.hasNodeDefString())
            node.setNodeDefString("ND_combine" + std::to_string(destCount) + "_" + node.getType());
        for (size_t i = 0; i < destCount; ++i)
        {
            const string name = "in" + std::to_string(i + 1);
            InputPtr combineIn = node.addInput(name, "float");
            float value = 0.0f;
            if (i < channels.size() && channelConstant(channels[i], value))
                combineIn->setValueString(toValueString(value));
            else
                copyInputTo(node, in->getName(), node, name);
        }
        node.removeInput(in->getName());
    }
    else
    {
        swizzleToSeparateCombine(node, in, channels, sourceCount, destCount);
    }

    if (channelsInput)
        node.removeInput(channelsInput->getName());
}

// A layer whose top is a thin film hands the film to the BSDFs below it and
// steps out of the graph; returns whether it did.
bool foldThinFilmLayer(Node& layer, vector<NodePtr>& unused)
{
    NodePtr top = layer.getConnectedNode("top");
    NodePtr base = layer.getConnectedNode("base");
    if (!top || !base || top->getCategory() != "thin_film_bsdf")
        return false;

    static const std::set<string> filmed = { "dielectric_bsdf", "conductor_bsdf", "generalized_schlick_bsdf" };
    // Every node upstream of the layer, each once (a cycle ends the walk).
    std::unordered_set<const Node*> seen{ &layer };
    vector<NodePtr> stack{ std::static_pointer_cast<Node>(layer.getSelf()) };
    while (!stack.empty())
    {
        NodePtr node = stack.back();
        stack.pop_back();
        if (filmed.count(node->getCategory()))
        {
            InputPtr scatterMode = node->getInput("scatter_mode");
            if (!scatterMode || scatterMode->getValueString() != "T")
            {
                copyInputTo(*top, "thickness", *node, "thinfilm_thickness");
                copyInputTo(*top, "ior", *node, "thinfilm_ior");
            }
        }
        for (const InputPtr& input : node->getInputs())
            if (NodePtr upstream = input->getConnectedNode())
                if (seen.insert(upstream.get()).second)
                    stack.push_back(upstream);
    }

    for (const PortElementPtr& port : layer.getDownstreamPorts())
        port->setNodeName(base->getName());
    unused.push_back(std::static_pointer_cast<Node>(layer.getSelf()));
    unused.push_back(top);
    return true;
}

// Subsurface radius is a colour now.
void convertSubsurfaceRadius(Node& node)
{
    InputPtr radius = node.getInput("radius");
    GraphElementPtr graph = enclosingGraph(node);
    if (!radius || radius->getType() != "vector3" || !graph)
        return;
    NodePtr convert = graph->addNode("convert", graph->createValidChildName("convert"), "color3");
    copyInputTo(node, "radius", *convert, "in");
    radius->setConnectedNode(convert);
    radius->setType("color3");
}

// Switches take ten inputs now: a constant "which" that used to fall back
// to the first input must keep doing so.
void keepSwitchFallback(Node& node)
{
    InputPtr which = node.getInput("which");
    ValuePtr value = which && which->hasValue() ? which->getValue() : nullptr;
    if (!value)
        return;
    if (value->isA<int>() && value->asA<int>() >= 5)
        which->setValue(0);
    else if (value->isA<float>() && value->asA<float>() >= 5.0f)
        which->setValue(0.0f);
}

// Object-space normal maps become the arithmetic they did; tangent-space ones
// lose their space input and take an explicit bitangent.
void upgradeNormalMap(Node& node)
{
    GraphElementPtr graph = enclosingGraph(node);
    if (!graph)
        return;
    InputPtr space = node.getInput("space");
    if (space && space->getValueString() == "object")
    {
        NodePtr multiply = graph->addNode("multiply", graph->createValidChildName("multiply"), "vector3");
        copyInputTo(node, "in", *multiply, "in1");
        multiply->setInputValue("in2", 2.0f);
        NodePtr subtract = graph->addNode("subtract", graph->createValidChildName("subtract"), "vector3");
        subtract->addInput("in1", "vector3")->setConnectedNode(multiply);
        subtract->setInputValue("in2", 1.0f);
        node.setCategory("normalize");
        for (const InputPtr& input : node.getInputs())
            node.removeChild(input->getName());
        node.addInput("in", "vector3")->setConnectedNode(subtract);
        if (node.hasNodeDefString())
            node.setNodeDefString("ND_normalize_vector3");
        return;
    }

    node.removeInput("space");
    bool normalOrTangent = node.getInput("normal") || node.getInput("tangent");
    if (normalOrTangent && !node.getInput("bitangent"))
    {
        NodePtr cross = graph->addNode("crossproduct", graph->createValidChildName("normalmap_cross"), "vector3");
        copyInputTo(node, "normal", *cross, "in1");
        copyInputTo(node, "tangent", *cross, "in2");
        NodePtr normalize = graph->addNode("normalize", graph->createValidChildName("normalmap_cross_norm"), "vector3");
        normalize->addInput("in", "vector3")->setConnectedNode(cross);
        node.addInput("bitangent", "vector3")->setConnectedNode(normalize);
    }
    if (node.getNodeDefString() == "ND_normalmap")
        node.setNodeDefString("ND_normalmap_float");
}

void upgradeTo1_39(Document& doc)
{
    // Channels first: the swizzle nodes they make are rewritten with the others.
    for (const ElementPtr& elem : doc.traverseTree())
    {
        PortElementPtr port = elem->asA<PortElement>();
        if (port && !port->getAttribute(CHANNELS_ATTRIBUTE).empty())
            channelsToSwizzleNode(*port);
    }

    vector<NodePtr> unused;
    for (const ElementPtr& elem : doc.traverseTree())
    {
        NodePtr node = elem->asA<Node>();
        if (!node)
            continue;
        const string category = node->getCategory();
        if (category == "layer")
            foldThinFilmLayer(*node, unused);
        else if (category == "subsurface_bsdf")
            convertSubsurfaceRadius(*node);
        else if (category == "switch")
            keepSwitchFallback(*node);
        else if (category == "swizzle")
            replaceSwizzle(*node);
        else if (category == "atan2")
        {
            if (InputPtr y = node->getInput("in1"))
                y->setName("iny");
            if (InputPtr x = node->getInput("in2"))
                x->setName("inx");
        }
        else if (category == "normalmap")
            upgradeNormalMap(*node);
    }
    for (const NodePtr& node : unused)
        if (ElementPtr parent = node->getParent())
            parent->removeChild(node->getName());
}

} // anonymous namespace

void Document::upgradeVersion()
{
    static const string currentString = std::to_string(MATERIALX_MAJOR_VERSION) + "." + std::to_string(MATERIALX_MINOR_VERSION);
    if (getVersionString() == currentString)
        return;
    const Version current(MATERIALX_MAJOR_VERSION, MATERIALX_MINOR_VERSION);
    Version version = getVersionIntegers();
    if (version >= current)
        return;

    using Step = void (*)(Document&);
    struct Release
    {
        Version from;
        Version to;
        Step step;
    };
    static const Release releases[] = {
        { { 1, 22 }, { 1, 23 }, upgradeTo1_23 },
        { { 1, 23 }, { 1, 24 }, upgradeTo1_24 },
        { { 1, 24 }, { 1, 25 }, upgradeTo1_25 },
        { { 1, 25 }, { 1, 26 }, upgradeTo1_26 },
        { { 1, 26 }, { 1, 34 }, upgradeTo1_34 },
        { { 1, 34 }, { 1, 35 }, upgradeTo1_35 },
        { { 1, 35 }, { 1, 36 }, upgradeTo1_36 },
        { { 1, 36 }, { 1, 37 }, upgradeTo1_37 },
        { { 1, 37 }, { 1, 38 }, upgradeTo1_38 },
        { { 1, 38 }, { 1, 39 }, upgradeTo1_39 },
    };
    for (const Release& release : releases)
    {
        if (version != release.from)
            continue;
        release.step(*this);
        version = release.to;
    }
    // Versions the steps do not know (older, or malformed) stay as they are.
    if (version == current)
        setVersionString(currentString);
}

MATERIALX_NAMESPACE_END
