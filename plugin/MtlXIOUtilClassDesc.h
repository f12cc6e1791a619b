#pragma once
// What the host learns about the utility class.

#include <NorvaneSDK.h>

namespace rozo
{
class MtlXIOUtilClassDesc : public ClassDesc2
{
  public:
    int IsPublic() override;
    void* Create(bool loading = false) override;
    const wchar_t* ClassName() override;
    const wchar_t* NonLocalizedClassName() override;
    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    const wchar_t* Category() override;
    const wchar_t* InternalName() override;
    HINSTANCE HInstance() override;
};

/// The one class descriptor, created on first use.
MtlXIOUtilClassDesc* getClassDesc();
} // namespace rozo
