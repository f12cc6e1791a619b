#pragma once

#include <MaterialXCore/Element.h>

#include <map>
#include <string>

namespace rozo
{
// The name createValidChildName gives `name` among the parent's children,
// found without walking the whole chain name, name2, name3, ... again each
// time: `lastGiven` remembers where each chain stopped. Exact as long as the
// parent only gains children while `lastGiven` is in use.
std::string uniqueChildName(const MaterialX::ElementPtr& parent, const std::string& name,
                            std::map<std::string, std::string>& lastGiven);
} // namespace rozo
