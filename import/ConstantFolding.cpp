#include "import/ConstantFolding.h"

#include "import/NodeFolding.h"
#include "plugin/contracts/AttributeNames.h"

#include <MaterialXCore/Definition.h>
#include <MaterialXCore/Document.h>
#include <MaterialXCore/Interface.h>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace rozo
{
namespace
{
// Ports lead to ports through graph outputs and interfaces; a loop among them
// must not hang the import.
constexpr int MAX_PORT_HOPS = 64;

using namespace folding;

/// Where a port's value comes from: a stated value, an upstream node's
/// output, or nothing known.
struct Source
{
    mx::ValuePtr value;
    mx::NodePtr node;
    std::string output;
};

mx::ValuePtr declaredDefault(const mx::NodeDefPtr& def, const std::string& inputName)
{
    mx::InputPtr declared = def ? def->getActiveInput(inputName) : nullptr;
    if (!declared || declared->hasDefaultGeomPropString() || !declared->hasValueString())
        return nullptr;
    return declared->getValue();
}

mx::OutputPtr graphOutput(const mx::NodeGraphPtr& graph, const std::string& outputName)
{
    if (!graph)
        return nullptr;
    if (!outputName.empty())
        return graph->getOutput(outputName);
    std::vector<mx::OutputPtr> outputs = graph->getOutputs();
    return outputs.size() == 1 ? outputs.front() : nullptr;
}

/// Follows a node's input through graph outputs and interfaces to its source.
Source resolveSource(const mx::InputPtr& nodeInput, const mx::NodeDefPtr& nodeDef)
{
    mx::PortElementPtr port = nodeInput;
    for (int hop = 0; hop < MAX_PORT_HOPS && port; ++hop)
    {
        if (port->hasAttribute(rozo::CHANNELS_ATTRIBUTE))
            return {};
        mx::ElementPtr parent = port->getParent();
        bool onNode = parent && parent->isA<mx::Node>();
        bool onGraphInterface = parent && port->isA<mx::Input>() && parent->isA<mx::NodeGraph>();
        if (port->hasNodeName())
        {
            // A node's or graph output's connection names a node of the same
            // graph; a graph interface's names a node beside the graph.
            mx::ElementPtr scope = (onNode || onGraphInterface) ? parent->getParent() : parent;
            mx::ElementPtr upstream = scope ? scope->getChild(port->getNodeName()) : nullptr;
            if (!upstream || !upstream->isA<mx::Node>())
                return {};
            return { nullptr, upstream->asA<mx::Node>(), port->getOutputString() };
        }
        if (port->hasNodeGraphString())
        {
            mx::DocumentPtr doc = port->getDocument();
            port = graphOutput(doc ? doc->getNodeGraph(port->getNodeGraphString()) : nullptr, port->getOutputString());
            continue;
        }
        mx::ValueElementPtr valued = port;
        if (valued->hasInterfaceName() && !onGraphInterface)
        {
            mx::ElementPtr graphElement = onNode ? parent->getParent() : parent;
            mx::NodeGraphPtr graph = graphElement ? graphElement->asA<mx::NodeGraph>() : nullptr;
            if (!graph)
                return {};
            mx::InputPtr graphInput = graph->getInput(valued->getInterfaceName());
            if (!graphInput)
                return { declaredDefault(graph->getNodeDef(), valued->getInterfaceName()), nullptr, {} };
            port = graphInput;
            continue;
        }
        if (valued->hasValueString())
            return { valued->getValue(), nullptr, {} };
        if (port == nodeInput)
            break;
        if (onGraphInterface)
            return { declaredDefault(parent->asA<mx::NodeGraph>()->getNodeDef(), port->getName()), nullptr, {} };
        return {};
    }
    if (port == nodeInput)
        return { declaredDefault(nodeDef, nodeInput->getName()), nullptr, {} };
    return {};
}

/// Evaluates nodes without recursion, remembering each node's outputs, so a
/// long chain costs one pass and a cycle is seen as a node met again before
/// its value is known.
class ConstantEvaluator
{
  public:
    mx::ValuePtr evaluate(const mx::NodePtr& root, const std::string& outputName)
    {
        if (!root)
            return nullptr;
        std::vector<mx::NodePtr> path{ root };
        while (!path.empty())
        {
            mx::NodePtr node = path.back();
            NodeState& state = states_[node.get()];
            if (state.finished)
            {
                path.pop_back();
                continue;
            }
            if (!state.prepared)
            {
                state.prepared = true;
                if (!prepare(node, state))
                {
                    finish(state);
                    path.pop_back();
                    continue;
                }
            }
            if (mx::NodePtr next = nextUnknownUpstream(state))
            {
                path.push_back(next);
                continue;
            }
            if (!state.finished)
                compute(node, state);
            path.pop_back();
        }
        return outputValue(states_[root.get()], outputName);
    }

  private:
    struct PendingInput
    {
        std::string name;
        std::string type;
        Source source;
    };

    struct NodeState
    {
        bool prepared = false;
        bool finished = false;
        mx::NodeDefPtr def;
        std::vector<PendingInput> inputs;
        size_t cursor = 0;
        // A conditional node's selectors come first; once they are known,
        // only the input they choose is evaluated.
        size_t selectorCount = 0;
        bool conditional = false;
        std::string category;
        std::vector<std::pair<std::string, mx::ValuePtr>> outputs; // empty: not constant
    };

    static void finish(NodeState& state)
    {
        state.finished = true;
        state.inputs.clear();
        state.inputs.shrink_to_fit();
        state.def.reset();
    }

    static mx::ValuePtr outputValue(const NodeState& state, const std::string& outputName)
    {
        if (outputName.empty())
            return state.outputs.size() == 1 ? state.outputs.front().second : nullptr;
        for (const auto& [name, value] : state.outputs)
            if (name == outputName)
                return value;
        return nullptr;
    }

    static bool prepare(const mx::NodePtr& node, NodeState& state)
    {
        // Unknown categories are not worth their upstream's evaluation.
        const std::string& category = node->getCategory();
        if (!foldsCategory(category))
            return false;
        state.def = node->getNodeDef();
        if (!state.def)
            return false;
        state.category = category;
        state.conditional = isConditional(category);
        for (const mx::InputPtr& declared : state.def->getActiveInputs())
        {
            // Notes, file names and the like are no operand of a folded node.
            if (!isFoldedType(declared->getType()))
                continue;
            mx::InputPtr stated = node->getInput(declared->getName());
            Source source = stated ? resolveSource(stated, state.def) : Source{ declaredDefault(state.def, declared->getName()), nullptr, {} };
            // A branch left unknown matters only when chosen.
            if (!source.value && !source.node && !(state.conditional && !isSelector(declared->getName())))
                return false;
            state.inputs.push_back({ declared->getName(), declared->getType(), std::move(source) });
        }
        if (state.conditional)
        {
            auto firstBranch = std::stable_partition(state.inputs.begin(), state.inputs.end(),
                                                     [](const PendingInput& input) { return isSelector(input.name); });
            state.selectorCount = static_cast<size_t>(firstBranch - state.inputs.begin());
        }
        return true;
    }

    /// Drops the branches a conditional node's known selectors do not choose.
    bool chooseBranch(NodeState& state)
    {
        Operands selectors;
        for (size_t k = 0; k < state.selectorCount; ++k)
        {
            std::optional<Operand> operand = operandOf(inputValue(state.inputs[k]));
            if (!operand)
                return false;
            selectors.emplace(state.inputs[k].name, *operand);
        }
        std::optional<std::string> chosen = chosenInput(state.category, *state.def, selectors);
        if (!chosen)
            return false;
        state.inputs.erase(std::remove_if(state.inputs.begin() + static_cast<std::ptrdiff_t>(state.selectorCount),
                                          state.inputs.end(),
                                          [&chosen](const PendingInput& input) { return input.name != *chosen; }),
                           state.inputs.end());
        state.conditional = false;
        return true;
    }

    mx::ValuePtr inputValue(const PendingInput& input)
    {
        mx::ValuePtr value =
            input.source.node ? outputValue(states_[input.source.node.get()], input.source.output) : input.source.value;
        return value && value->getTypeString() == input.type ? value : nullptr;
    }

    /// The next upstream node not evaluated yet; marks the state finished
    /// (not constant) when an upstream node is not constant or is on the path.
    mx::NodePtr nextUnknownUpstream(NodeState& state)
    {
        for (; state.cursor < state.inputs.size(); ++state.cursor)
        {
            if (state.conditional && state.cursor == state.selectorCount && !chooseBranch(state))
            {
                finish(state);
                return nullptr;
            }
            if (state.cursor >= state.inputs.size())
                break;
            const Source& source = state.inputs[state.cursor].source;
            if (!source.node)
                continue;
            auto it = states_.find(source.node.get());
            if (it == states_.end())
                return source.node;
            if (!it->second.finished || it->second.outputs.empty())
            {
                finish(state);
                return nullptr;
            }
        }
        return nullptr;
    }

    void compute(const mx::NodePtr& node, NodeState& state)
    {
        Operands operands;
        bool known = true;
        for (const PendingInput& input : state.inputs)
        {
            std::optional<Operand> operand = operandOf(inputValue(input));
            if (!operand)
            {
                known = false;
                break;
            }
            operands.emplace(input.name, *operand);
        }
        std::vector<OutputDecl> outputs;
        for (const mx::OutputPtr& output : state.def->getActiveOutputs())
            outputs.push_back({ output->getName(), output->getType() });
        if (known && !outputs.empty())
        {
            std::vector<Operand> results = computeNode(node->getCategory(), *state.def, outputs, operands);
            if (results.size() == outputs.size())
            {
                for (size_t k = 0; k < results.size(); ++k)
                {
                    mx::ValuePtr value = valueOf(results[k], outputs[k].type);
                    if (!value)
                    {
                        state.outputs.clear();
                        break;
                    }
                    state.outputs.emplace_back(outputs[k].name, value);
                }
            }
        }
        finish(state);
    }

    std::unordered_map<const mx::Node*, NodeState> states_;
};

const std::string NODE_NAME_ATTRIBUTE = "nodename";
const std::string NODE_GRAPH_ATTRIBUTE = "nodegraph";
const std::string OUTPUT_ATTRIBUTE = "output";
} // namespace

mx::ValuePtr evaluateConstantOutput(const mx::NodePtr& node, const std::string& outputName)
{
    ConstantEvaluator evaluator;
    return evaluator.evaluate(node, outputName);
}

size_t foldConstantInputs(const mx::NodePtr& node)
{
    if (!node)
        return 0;
    // Every value is found before the document changes: a change drops the
    // document's lookup caches, which each definition lookup would rebuild.
    ConstantEvaluator evaluator;
    std::vector<std::pair<mx::InputPtr, mx::ValuePtr>> replacements;
    size_t changed = 0;
    std::vector<mx::NodePtr> pending{ node };
    std::unordered_set<const mx::Node*> visited{ node.get() };
    while (!pending.empty())
    {
        mx::NodePtr current = pending.back();
        pending.pop_back();
        for (const mx::InputPtr& input : current->getInputs())
        {
            // Interface bindings are the graph's to keep.
            if (input->hasInterfaceName() || input->hasAttribute(rozo::CHANNELS_ATTRIBUTE) || (!input->hasNodeName() && !input->hasNodeGraphString()))
                continue;
            // A graph output may lead straight to a stated value of the graph.
            Source source = resolveSource(input, nullptr);
            mx::ValuePtr value = source.node ? evaluator.evaluate(source.node, source.output) : source.value;
            if (value && value->getTypeString() == input->getType())
            {
                replacements.emplace_back(input, value);
                if (current == node)
                    ++changed;
            }
            else if (source.node && visited.insert(source.node.get()).second)
                pending.push_back(source.node);
        }
    }
    for (const auto& [input, value] : replacements)
    {
        input->setValueString(value->getValueString());
        input->removeAttribute(NODE_NAME_ATTRIBUTE);
        input->removeAttribute(NODE_GRAPH_ATTRIBUTE);
        input->removeAttribute(OUTPUT_ATTRIBUTE);
    }
    return changed;
}
} // namespace rozo
