#include "import/PrecompiledShaderCache.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

namespace rozo
{
WStr PrecompiledShaderCache::codeFor(const QString& sourceCode)
{
    const std::string key = sourceCode.toStdString();
    auto cached = codeBySource_.find(key);
    if (cached != codeBySource_.end())
        return cached->second;

    // The host compiles the code of a map: a temporary one serves, released at once.
    WStr precompiled;
    Texmap* compiler = createOslMap();
    if (compiler && hasOslInterface(compiler))
    {
        setTextByName(compiler->GetParamBlock(0), "OSLCode", toWide(sourceCode));
        precompiled = precompiledOslCode(compiler);
    }
    if (compiler)
        compiler->MaybeAutoDelete();
    codeBySource_.emplace(key, precompiled);
    return precompiled;
}
} // namespace rozo
