#pragma once
// Which Physical Material parameter receives the map for a connected input,
// and how a connection through a node graph is followed.

#include "plugin/MessageLog.h"

#include <MaterialXCore/Document.h>

#include <string>

namespace mx = MaterialX;

namespace rozo
{
/// The map slot of a host parameter: its name + "_map", except "coat_roughness",
/// whose slot is "coat_rough_map".
std::string mapSlotName(const std::string& mapParameter);

/// Follows a "nodegraph" and "output" (empty: "out") of scope to the graph,
/// flattened in place, and the name of the node its output names. Logs what
/// is missing and answers false when it cannot be followed.
bool followGraphOutput(MessageLog& log, const mx::ElementPtr& scope, const std::string& graphName,
                       const std::string& outputName, mx::NodeGraphPtr& graph, std::string& nodeName);
} // namespace rozo
