#pragma once
// The material editor's slots (24), each holding a material or map or nothing.
#include "Animatable.h"
#include "Interface.h"
#include <array>

class MtlBase;

namespace Norvane
{

class MaterialEditor : public ReferenceMaker
{
  public:
    MaterialEditor() { slots_.fill(nullptr); }
    ~MaterialEditor() override = default;

    static constexpr int SLOTS = NUM_MATERIAL_EDITOR_SLOTS;
    MtlBase* Slot(int i) const { return i >= 0 && i < SLOTS ? slots_[static_cast<size_t>(i)] : nullptr; }
    // Puts `m` into slot i (undoable); out-of-range slots are ignored.
    void Put(int i, MtlBase* m);
    // Empties every slot, without undo (a new scene).
    void Clear();

    int NumRefs() override { return SLOTS; }
    ReferenceTarget* GetReference(int i) override;

  protected:
    void SetReference(int i, ReferenceTarget* target) override;

  private:
    std::array<MtlBase*, SLOTS> slots_;
};

} // namespace Norvane
