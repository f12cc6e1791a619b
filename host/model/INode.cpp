#include "INode.h"

#include "Interface.h"
#include "MtlBase.h"
#include "Object.h"
#include "RefKeeper.h"

INode::INode() = default;

void INode::SetName(const wchar_t* name)
{
    WStr after(name);
    if (after == name_)
        return;
    if (Norvane::Recording())
    {
        theHold.Put(new Norvane::FunctionRestore([this, before = name_] { name_ = before; },
                                                 [this, after] { name_ = after; }, { this }, L"rename node"));
    }
    name_ = after;
}

ReferenceTarget* INode::GetReference(int i)
{
    if (i == 0)
        return object_;
    if (i == 1)
        return mtl_;
    return nullptr;
}

void INode::SetReference(int i, ReferenceTarget* target)
{
    if (i == 0)
        object_ = dynamic_cast<Object*>(target);
    else if (i == 1)
        mtl_ = dynamic_cast<Mtl*>(target);
}

namespace
{

void ReplaceUndoably(INode* node, int slot, ReferenceTarget* after, const wchar_t* what)
{
    ReferenceTarget* before = node->GetReference(slot);
    if (before == after)
        return;
    if (Norvane::Recording())
    {
        theHold.Put(new Norvane::FunctionRestore([node, slot, before] { node->ReplaceReference(slot, before); },
                                                 [node, slot, after] { node->ReplaceReference(slot, after); },
                                                 { node, before, after }, what));
    }
    node->ReplaceReference(slot, after);
}

} // namespace

void INode::SetObjectRef(Object* o)
{
    ReplaceUndoably(this, 0, o, L"node object");
}

void INode::SetMtl(Mtl* m)
{
    ReplaceUndoably(this, 1, m, L"node material");
}

void INode::SetNodeTM(TimeValue, const Matrix3& tm)
{
    if (tm == tm_)
        return;
    if (Norvane::Recording())
    {
        theHold.Put(new Norvane::FunctionRestore([this, before = tm_] { tm_ = before; },
                                                 [this, tm] { tm_ = tm; }, { this }, L"move"));
    }
    tm_ = tm;
}

void INode::Move(TimeValue t, const Matrix3& tmAxis, const Point3& val, bool, bool, int, bool)
{
    Matrix3 tm = tm_;
    tm.Translate(tmAxis.VectorTransform(val));
    SetNodeTM(t, tm);
}

int INode::Selected()
{
    Interface* ip = GetCOREInterface();
    if (!ip)
        return 0;
    for (int i = 0; i < ip->GetSelNodeCount(); ++i)
        if (ip->GetSelNode(i) == this)
            return 1;
    return 0;
}
