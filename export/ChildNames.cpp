#include "export/ChildNames.h"

#include <MaterialXCore/Util.h>

namespace rozo
{
std::string uniqueChildName(const MaterialX::ElementPtr& parent, const std::string& name,
                            std::map<std::string, std::string>& lastGiven)
{
    const std::string start = MaterialX::createValidName(name.empty() ? "_" : name);
    auto chain = lastGiven.try_emplace(start, start);
    std::string candidate = chain.first->second;
    while (parent->getChild(candidate))
        candidate = MaterialX::incrementName(candidate);
    chain.first->second = candidate;
    return candidate;
}
} // namespace rozo
