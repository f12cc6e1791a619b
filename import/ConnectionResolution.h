#pragma once
// How a connection through a node graph is followed (the Physical Material
// slot a connected input's map goes to: SurfaceMapping.h).

#include "plugin/MessageLog.h"

#include <MaterialXCore/Document.h>

#include <string>

namespace mx = MaterialX;

namespace rozo
{
/// Follows a "nodegraph" and "output" (empty: "out") of scope to the graph,
/// flattened in place, and the name of the node its output names. Logs what
/// is missing and answers false when it cannot be followed.
bool followGraphOutput(MessageLog& log, const mx::ElementPtr& scope, const std::string& graphName,
                       const std::string& outputName, mx::NodeGraphPtr& graph, std::string& nodeName);
} // namespace rozo
