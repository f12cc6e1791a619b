#pragma once
// The scene: its nodes in creation order and the selection in selection order.
// Every change is undoable.
#include "Animatable.h"
#include "WStr.h"
#include <vector>

class INode;
class Object;

namespace Norvane
{

class Scene : public ReferenceMaker
{
  public:
    Scene() = default;
    ~Scene() override = default;

    const std::vector<INode*>& Nodes() const { return nodes_; }
    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    // A new node showing `obj`, named `name`.
    INode* CreateNode(Object* obj, const WStr& name);
    void AddNode(INode* node);
    // Takes the node out of the scene (and the selection); it lives on for undo.
    void RemoveNode(INode* node);
    // The first node with that name, none when absent.
    INode* FindNode(const WStr& name) const;

    const std::vector<INode*>& Selection() const { return selection_; }
    void Select(INode* node, bool clearFirst);
    void Deselect(INode* node);
    void ClearSelection();
    void SetSelection(const std::vector<INode*>& nodes);

    // Drops every node and the selection, without undo (a new scene).
    void Clear();
    // Installs nodes and selection, without undo (a loaded scene).
    void Install(const std::vector<INode*>& nodes, const std::vector<INode*>& selection);

    int NumRefs() override { return NodeCount(); }
    ReferenceTarget* GetReference(int i) override;
    void RefDeleted(ReferenceTarget* target) override;

  private:
    void Put(const std::vector<INode*>& nodes, const std::vector<INode*>& selection);
    void Change(const std::vector<INode*>& nodes, const std::vector<INode*>& selection, const wchar_t* what);
    std::vector<INode*> nodes_;
    std::vector<INode*> selection_;
};

} // namespace Norvane
