#pragma once
// The interface of the host's OSL Map: the shader its "OSLCode" parameter holds.
#include "Animatable.h"
#include "ClassID.h"
#include "NorvaneTypes.h"
#include "WStr.h"

namespace NorvaneSDK
{
namespace OSL
{

// Numeric ID for Animatable::GetInterface(ULONG); the Interface_ID form below
// answers the same interface.
constexpr ULONG IOSLMAP_INTERFACE_ID = 0x4F534C31; // "OSL1"
constexpr Interface_ID IOSLMAP_INTERFACE(0x7f9a7b9d, 0x4F534C31);

class IOSLMapInterface : public BaseInterface
{
  public:
    Interface_ID GetID() override { return IOSLMAP_INTERFACE; }

    // Name of the shader in "OSLCode"; empty when the code is empty or bad.
    virtual WStr GetShaderName() = 0;
    // The code of "OSLCode" in its precompiled form, whichever form it was set
    // in; its shader line carries the shader metadata as %meta{...}, e.g.
    // %meta{string,mtlx_node,"image"}. Empty when the code is empty or bad.
    virtual WStr GetPrecompiledCode() = 0;
    // Why the code could not be read ("FILE:LINE: error: ..."), empty when it could.
    virtual WStr GetCodeError() = 0;

    // The interface of an OSL Map, none for any other object.
    static IOSLMapInterface* Of(Animatable* object)
    {
        return object ? static_cast<IOSLMapInterface*>(object->GetInterface(IOSLMAP_INTERFACE_ID)) : nullptr;
    }
};

} // namespace OSL
} // namespace NorvaneSDK
