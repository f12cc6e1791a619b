#pragma once
// The host's precompiled form of each OSL source met in this session. It
// depends on the source alone, and compiling the shared include for every map
// would dominate an import, so it outlives the runs that fill it.

#include <NorvaneSDK.h>

#include <QString>

#include <map>
#include <string>

namespace rozo
{
class PrecompiledShaderCache
{
  public:
    /// The precompiled code of the source; empty when the host cannot compile it.
    WStr codeFor(const QString& sourceCode);

  private:
    std::map<std::string, WStr> codeBySource_;
};
} // namespace rozo
