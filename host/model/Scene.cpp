#include "Scene.h"

#include "INode.h"
#include "Object.h"
#include "RefKeeper.h"

#include <algorithm>

namespace Norvane
{

ReferenceTarget* Scene::GetReference(int i)
{
    return i >= 0 && i < NodeCount() ? nodes_[static_cast<size_t>(i)] : nullptr;
}

void Scene::RefDeleted(ReferenceTarget* target)
{
    nodes_.erase(std::remove(nodes_.begin(), nodes_.end(), target), nodes_.end());
    selection_.erase(std::remove(selection_.begin(), selection_.end(), target), selection_.end());
}

void Scene::Put(const std::vector<INode*>& nodes, const std::vector<INode*>& selection)
{
    // Nodes added at the end (one by one, as an import does) are all that
    // changes hands: handing every node over again made that cost the cube of
    // their number. The references held come out the same either way.
    const bool appended = nodes.size() >= nodes_.size() && std::equal(nodes_.begin(), nodes_.end(), nodes.begin());
    for (size_t i = appended ? nodes_.size() : 0; i < nodes.size(); ++i)
        Acquire(nodes[i]);
    if (!appended)
        for (INode* n : nodes_)
            Release(n);
    nodes_ = nodes;
    selection_ = selection;
}

void Scene::Change(const std::vector<INode*>& nodes, const std::vector<INode*>& selection, const wchar_t* what)
{
    if (Recording())
    {
        auto* rec = new FunctionRestore([this, n = nodes_, s = selection_] { Put(n, s); },
                                        [this, nodes, selection] { Put(nodes, selection); }, {}, what);
        for (INode* n : nodes_)
            rec->KeepAlso(n);
        for (INode* n : nodes)
            rec->KeepAlso(n);
        theHold.Put(rec);
    }
    Put(nodes, selection);
}

INode* Scene::CreateNode(Object* obj, const WStr& name)
{
    auto* node = new INode();
    theHold.Suspend();
    node->SetName(name);
    node->SetObjectRef(obj);
    theHold.Resume();
    AddNode(node);
    return node;
}

void Scene::AddNode(INode* node)
{
    if (!node || std::find(nodes_.begin(), nodes_.end(), node) != nodes_.end())
        return;
    std::vector<INode*> nodes = nodes_;
    nodes.push_back(node);
    Change(nodes, selection_, L"create node");
}

void Scene::RemoveNode(INode* node)
{
    if (std::find(nodes_.begin(), nodes_.end(), node) == nodes_.end())
        return;
    std::vector<INode*> nodes = nodes_, selection = selection_;
    nodes.erase(std::remove(nodes.begin(), nodes.end(), node), nodes.end());
    selection.erase(std::remove(selection.begin(), selection.end(), node), selection.end());
    Change(nodes, selection, L"delete node");
}

INode* Scene::FindNode(const WStr& name) const
{
    for (INode* n : nodes_)
        if (name == n->GetName())
            return n;
    return nullptr;
}

void Scene::Select(INode* node, bool clearFirst)
{
    if (!node || std::find(nodes_.begin(), nodes_.end(), node) == nodes_.end())
        return;
    std::vector<INode*> selection = clearFirst ? std::vector<INode*>() : selection_;
    if (std::find(selection.begin(), selection.end(), node) == selection.end())
        selection.push_back(node);
    SetSelection(selection);
}

void Scene::Deselect(INode* node)
{
    std::vector<INode*> selection = selection_;
    selection.erase(std::remove(selection.begin(), selection.end(), node), selection.end());
    SetSelection(selection);
}

void Scene::ClearSelection()
{
    SetSelection({});
}

void Scene::SetSelection(const std::vector<INode*>& nodes)
{
    std::vector<INode*> selection;
    for (INode* n : nodes)
        if (n && std::find(nodes_.begin(), nodes_.end(), n) != nodes_.end() &&
            std::find(selection.begin(), selection.end(), n) == selection.end())
            selection.push_back(n);
    if (selection != selection_)
        Change(nodes_, selection, L"select");
}

void Scene::Clear()
{
    Put({}, {});
}

void Scene::Install(const std::vector<INode*>& nodes, const std::vector<INode*>& selection)
{
    Put(nodes, selection);
}

} // namespace Norvane
