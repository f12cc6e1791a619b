#pragma once
// What each node category that folds computes from constant operands: the
// arithmetic of the standard library's nodes, as their shaders do it.

#include "import/FoldingOperand.h"

#include <MaterialXCore/Definition.h>

#include <optional>
#include <string>
#include <vector>

namespace rozo::folding
{
struct OutputDecl
{
    std::string name;
    std::string type;
};

/// Whether nodes of the category fold at all: others are not worth their
/// upstream's evaluation.
bool foldsCategory(const std::string& category);
/// ifgreater, ifgreatereq, ifequal and switch: their selectors choose a branch.
bool isConditional(const std::string& category);
bool isSelector(const std::string& inputName);
/// The one input a conditional node passes on, once its selectors are known;
/// empty when it passes none (a comparison's own boolean, a switch past its
/// inputs); nothing when the selectors do not compare.
std::optional<std::string> chosenInput(const std::string& category, const mx::NodeDef& def, const Operands& selectors);
/// The outputs of a node of a known category, in the order of its
/// definition; empty when the category is not one that folds or the operands
/// do not fit.
std::vector<Operand> computeNode(const std::string& category, const mx::NodeDef& def,
                                 const std::vector<OutputDecl>& outputs, const Operands& inputs);
} // namespace rozo::folding
