#include "plugin/ScriptInterface.h"

#include "plugin/MtlXIOUtil.h"
#include "plugin/MtlXIOUtilClassDesc.h"
#include "plugin/HostCalls.h"
#include "plugin/StringTable.h"

namespace rozo
{
namespace
{
const Interface_ID SCRIPT_INTERFACE_ID(0x5BEEFB9F, 0xF001F3F1);
constexpr unsigned DESCRIPTOR_FLAGS = 8;
constexpr int PARAMETER_FLAGS = 4;

// The host hands the dispatch whatever the script passed; a list that does
// not have the parameters the function reads is refused before it is read.
bool hasParameters(const FPParams* p, int count)
{
    return count == 0 || (p && p->Count() >= count);
}

// ExportMtlX(filename, materials[, version]); false when anything was logged.
bool exportFromScript(FPParams& p)
{
    const MtlTab* given = p[1].asMtlTab();
    const Tab<Mtl*> materials = given ? *given : Tab<Mtl*>();
    const WStr fileName(p[0].asString());
    MtlXIOUtil* util = getMtlXIOUtil();
    // No version, or an empty one, follows the panel's option.
    const std::string versionText = p.Count() > 2 ? toUtf8(WStr(p[2].asString())) : std::string();
    const std::optional<DocumentVersionChoice> version =
        versionText.empty() ? util->settings().exportVersion : parseDocumentVersionChoice(versionText);
    if (!version)
    {
        MessageLog log;
        log.report("Unknown MaterialX version '" + versionText + "': use 1.38, 1.39 or auto\n");
        util->keepLog(std::move(log));
        return false;
    }
    return util->exportFile(fileName, materials, *version);
}
} // namespace

RozozazoZOVScriptInterface theScriptInterface;

RozozazoZOVScriptInterface::RozozazoZOVScriptInterface()
{
    LoadDescriptor(SCRIPT_INTERFACE_ID, L"MaterialX", INTERFACE_NAME_STRING, getClassDesc(), DESCRIPTOR_FLAGS,
                   importMtlXId, L"ImportMtlX", IMPORT_NAME_STRING, TYPE_MTL_TAB_BV, 0, 1,
                   L"filename", FILE_NAME_STRING, TYPE_STRING, FP_TAG_PARAM_FLAGS, PARAMETER_FLAGS,
                   exportMtlXId, L"ExportMtlX", EXPORT_NAME_STRING, TYPE_BOOL, 0, 3,
                   L"filename", FILE_NAME_STRING, TYPE_STRING, FP_TAG_PARAM_FLAGS, PARAMETER_FLAGS,
                   L"materials", MATERIALS_STRING, TYPE_MTL_TAB_BR, FP_TAG_PARAM_FLAGS, PARAMETER_FLAGS,
                   L"version", VERSION_STRING, TYPE_STRING, FP_TAG_PARAM_FLAGS, PARAMETER_FLAGS,
                   FP_TAG_DEFAULT, L"",
                   getErrorId, L"GetError", GET_ERROR_STRING, TYPE_STRING, 0, 0,
                   FP_TAG_END);
}

RozozazoZOVScriptInterface::~RozozazoZOVScriptInterface() = default;

int RozozazoZOVScriptInterface::_dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p)
{
    switch (static_cast<unsigned short>(fid))
    {
        case importMtlXId:
        {
            if (!hasParameters(p, 1))
                return FPS_FAIL;
            const WStr fileName((*p)[0].asString());
            const Tab<Mtl*> materials = getMtlXIOUtil()->importFile(fileName);
            result.Load(TYPE_MTL_TAB_BV, materials);
            return FPS_OK;
        }
        case exportMtlXId:
        {
            if (!hasParameters(p, 2))
                return FPS_FAIL;
            result.Load(TYPE_BOOL, exportFromScript(*p));
            return FPS_OK;
        }
        case getErrorId:
        {
            const WStr text = getMtlXIOUtil()->getErrorText();
            result.Load(TYPE_STRING, text.data());
            return FPS_OK;
        }
        default:
            return FPS_NO_SUCH_FUNCTION;
    }
}
} // namespace rozo
