#pragma once
// Class descriptors: how the host learns about a class and makes instances.
#include "ClassID.h"
#include "NorvaneTypes.h"
#include <vector>

class ParamBlockDesc2;

class ClassDesc
{
  public:
    virtual ~ClassDesc() = default;
    // Non-zero when the class appears in the host's lists.
    virtual int IsPublic() = 0;
    // A new instance (or, for a single-instance class, the one instance).
    virtual void* Create(bool loading = false) = 0;
    virtual const wchar_t* ClassName() = 0;
    virtual const wchar_t* NonLocalizedClassName() { return ClassName(); }
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const wchar_t* Category() = 0;
    virtual const wchar_t* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
    virtual int NumActionTables() { return 0; }
    virtual void ResetClassParams(bool fileReset) {}
};

class ClassDesc2 : public ClassDesc
{
  public:
    // Parameter block descriptors of the class, by index or block ID.
    int NumParamBlockDescs() const { return static_cast<int>(pbDescs_.size()); }
    ParamBlockDesc2* GetParamBlockDesc(int i) const { return pbDescs_[static_cast<size_t>(i)]; }
    ParamBlockDesc2* GetParamBlockDescByID(short id) const;
    void AddParamBlockDesc(ParamBlockDesc2* pbd);

  private:
    std::vector<ParamBlockDesc2*> pbDescs_;
};
