#pragma once
// Descriptor of a class built into the host: T is made with `new T(loading)`.
#include "ClassDesc.h"

namespace Norvane
{

template <class T> class BuiltinClassDesc : public ClassDesc2
{
  public:
    BuiltinClassDesc(const wchar_t* name, const wchar_t* internalName, SClass_ID sclass, Class_ID cid,
                     const wchar_t* category = L"Norvane") :
        name_(name),
        internal_(internalName),
        sclass_(sclass),
        cid_(cid),
        category_(category) {}
    int IsPublic() override { return 1; }
    void* Create(bool loading) override { return new T(loading); }
    const wchar_t* ClassName() override { return name_; }
    const wchar_t* NonLocalizedClassName() override { return name_; }
    const wchar_t* InternalName() override { return internal_; }
    SClass_ID SuperClassID() override { return sclass_; }
    Class_ID ClassID() override { return cid_; }
    const wchar_t* Category() override { return category_; }

  private:
    const wchar_t* name_;
    const wchar_t* internal_;
    SClass_ID sclass_;
    Class_ID cid_;
    const wchar_t* category_;
};

} // namespace Norvane
