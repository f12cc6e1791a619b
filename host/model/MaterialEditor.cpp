#include "MaterialEditor.h"

#include "MtlBase.h"
#include "RefKeeper.h"

namespace Norvane
{

ReferenceTarget* MaterialEditor::GetReference(int i)
{
    return Slot(i);
}

void MaterialEditor::SetReference(int i, ReferenceTarget* target)
{
    if (i >= 0 && i < SLOTS)
        slots_[static_cast<size_t>(i)] = dynamic_cast<MtlBase*>(target);
}

void MaterialEditor::Put(int i, MtlBase* m)
{
    if (i < 0 || i >= SLOTS)
        return;
    MtlBase* before = Slot(i);
    if (before == m)
        return;
    if (Recording())
    {
        theHold.Put(new FunctionRestore([this, i, before] { ReplaceReference(i, before); },
                                        [this, i, m] { ReplaceReference(i, m); }, { before, m }, L"editor slot"));
    }
    ReplaceReference(i, m);
}

void MaterialEditor::Clear()
{
    for (int i = 0; i < SLOTS; ++i)
        ReplaceReference(i, nullptr);
}

} // namespace Norvane
