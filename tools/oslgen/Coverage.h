#pragma once
// Which node definitions get a prepared shader: those the plug-in keeps as single nodes
// after pruning the library node graphs, and whose outputs are plain data.
#include "NodeLibrary.h"

#include <string>
#include <vector>

namespace oslgen
{

enum class CoverageKind
{
    Covered,
    ClosureOutput,   // an output is a BSDF, EDF, VDF, shader or material
    UnsupportedType, // a port type without an OSL form
    ExpandedByGraph, // a node graph implementing it survives pruning
    OtherLibrary,    // not a stdlib or pbrlib definition
};

struct CoverageDecision
{
    const NodeDefinition* definition = nullptr;
    CoverageKind kind = CoverageKind::Covered;
    std::string reason; // empty when covered
};

// Names of the node graphs that stay in the library after the plug-in's pruning,
// in library order.
std::vector<std::string> remainingNodeGraphs(const NodeLibrary& library);

// One decision per definition, in library order.
std::vector<CoverageDecision> decideCoverage(const NodeLibrary& library);

} // namespace oslgen
