#include <MaterialXCore/Document.h>

MATERIALX_NAMESPACE_BEGIN

const string NodeDef::CATEGORY = "nodedef";
const string NodeDef::NODE_ATTRIBUTE = "node";
const string NodeDef::NODE_GROUP_ATTRIBUTE = "nodegroup";
const string Implementation::CATEGORY = "implementation";
const string Implementation::FILE_ATTRIBUTE = "file";
const string Implementation::FUNCTION_ATTRIBUTE = "function";
const string Implementation::NODE_GRAPH_ATTRIBUTE = "nodegraph";
const string TypeDef::CATEGORY = "typedef";
const string TypeDef::SEMANTIC_ATTRIBUTE = "semantic";
const string TypeDef::CONTEXT_ATTRIBUTE = "context";
const string Member::CATEGORY = "member";
const string TargetDef::CATEGORY = "targetdef";
const string UnitDef::CATEGORY = "unitdef";
const string UnitDef::UNITTYPE_ATTRIBUTE = "unittype";
const string UnitTypeDef::CATEGORY = "unittypedef";
const string AttributeDef::CATEGORY = "attributedef";

namespace
{

// True when two comma-separated target lists share a target; an empty list
// matches everything.
bool targetStringsMatch(const string& target1, const string& target2)
{
    if (target1.empty() || target2.empty())
        return true;
    StringVec list1 = splitString(target1, ",");
    StringVec list2 = splitString(target2, ",");
    for (const string& a : list1)
        for (const string& b : list2)
            if (trimSpaces(a) == trimSpaces(b))
                return true;
    return false;
}

} // anonymous namespace

//
// NodeDef
//

const string& NodeDef::findType() const
{
    Output* first = nullptr;
    size_t count = countActiveOutputs(&first);
    if (count > 1)
        return MULTI_OUTPUT_TYPE_STRING;
    return first ? first->getType() : EMPTY_STRING;
}

const string& NodeDef::getType() const
{
    Output* first = nullptr;
    size_t count = countActiveOutputs(&first);
    if (count > 1)
        return MULTI_OUTPUT_TYPE_STRING;
    if (!first)
        throw Exception("Nodedef " + getName() + " has no outputs");
    return first->getType();
}

const InterfaceElement* NodeDef::findImplementation(const string& target, bool resolveNodeGraph) const
{
    const Document* doc = elementCast<const Document>(root_);
    if (!doc)
        return nullptr;
    const auto& byNodeDef = doc->getCache().implementationsByNodeDef;
    auto it = byNodeDef.find(getQualifiedName(getName()));
    if (it == byNodeDef.end() || it->second.empty())
        return nullptr;
    auto resolved = [doc, resolveNodeGraph](const InterfaceElement* candidate) -> const InterfaceElement* {
        const Implementation* impl = resolveNodeGraph ? elementCast<const Implementation>(candidate) : nullptr;
        const string* graphName = impl ? impl->findAttribute(Implementation::NODE_GRAPH_ATTRIBUTE) : nullptr;
        if (!graphName || graphName->empty())
            return candidate;
        const NodeGraph* graph = elementCast<const NodeGraph>(doc->findChild(*graphName));
        return graph ? graph : candidate;
    };
    const vector<InterfaceElement*>& candidates = it->second;
    if (target.empty())
        return resolved(candidates.front());

    // A target-specific match first (the target or one it inherits from),
    // then one for any target; the target asked of a linked graph is its own.
    StringVec targets{ target };
    if (TargetDefPtr targetDef = doc->getTargetDef(target))
        targets = targetDef->getMatchingTargets();
    for (const string& candidateTarget : targets)
        for (const InterfaceElement* candidate : candidates)
        {
            const InterfaceElement* impl = resolved(candidate);
            if (!impl->getTarget().empty() && targetStringsMatch(impl->getTarget(), candidateTarget))
                return impl;
        }
    for (const InterfaceElement* candidate : candidates)
    {
        const InterfaceElement* impl = resolved(candidate);
        if (impl->getTarget().empty())
            return impl;
    }
    return nullptr;
}

InterfaceElementPtr NodeDef::getImplementation(const string& target, bool resolveNodeGraph) const
{
    const InterfaceElement* impl = findImplementation(target, resolveNodeGraph);
    return impl ? std::static_pointer_cast<InterfaceElement>(const_cast<InterfaceElement*>(impl)->getSelf()) : InterfaceElementPtr();
}

NodeDefPtr NodeDef::getDeclaration(const string&) const
{
    return std::static_pointer_cast<NodeDef>(const_cast<NodeDef*>(this)->getSelf());
}

bool NodeDef::validate(string* message) const
{
    bool res = true;
    validateRequire(!hasType(), res, message, "Nodedef should not have a type but an explicit output");
    return InterfaceElement::validate(message) && res;
}

//
// Implementation
//

void Implementation::setNodeDef(ConstNodeDefPtr nodeDef)
{
    if (nodeDef)
        setNodeDefString(nodeDef->getName());
    else
        removeAttribute(NODE_DEF_ATTRIBUTE);
}

NodeDefPtr Implementation::getNodeDef() const
{
    return resolveNameReference<NodeDef>(getNodeDefString());
}

bool Implementation::validate(string* message) const
{
    return InterfaceElement::validate(message);
}

//
// TypeDef, TargetDef
//

MemberPtr TypeDef::addMember(const string& name)
{
    return addChild<Member>(name);
}

StringVec TargetDef::getMatchingTargets() const
{
    StringVec targets{ getName() };
    const Element* elem = this;
    for (int depth = 0; depth < 64; ++depth)
    {
        const string* inherit = elem->findAttribute(INHERIT_ATTRIBUTE);
        Element* parent = elem->getParentRaw();
        Element* super = inherit && parent ? parent->findChild(*inherit) : nullptr;
        if (!super || !elementCast<TargetDef>(super))
            break;
        targets.push_back(super->getName());
        elem = super;
    }
    return targets;
}

MATERIALX_NAMESPACE_END
