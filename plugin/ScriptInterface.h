#pragma once
// The static script interface "MaterialX": ImportMtlX, ExportMtlX, GetError.

#include <NorvaneSDK.h>

namespace rozo
{
class RozozazoZOVScriptInterface : public FPStaticInterface
{
  public:
    enum FunctionIds : FunctionID
    {
        importMtlXId = 1,
        exportMtlXId = 2,
        getErrorId = 3,
    };

    RozozazoZOVScriptInterface();
    ~RozozazoZOVScriptInterface() override;

  protected:
    int _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) override;
};

/// The one instance, built during the module's static initialisation.
extern RozozazoZOVScriptInterface theScriptInterface;
} // namespace rozo
