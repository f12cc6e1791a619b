// A stand-in for the MaterialX plug-in that misbehaves on request, for the
// batch commands' tests: a document's text says what its import does.
//   "crash"    the import dies of a segmentation fault
//   "hang"     the import never returns
//   "exit"     the import ends the process
//   "message"  the import logs a message (the document fails)
//   "stdout"   the import prints on the standard output
//   "slow"     the export takes half a second after writing
//   "stuck"    the module never finishes shutting down
// Anything else imports cleanly (no materials). An export writes which
// document it came from; reading back another document's export fails.
#include "FunctionPublishing.h"
#include "NorvaneTypes.h"
#include "SdkVersion.h"

#include "../TestClassDesc.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace
{

constexpr FunctionID IMPORT_ID = 1, EXPORT_ID = 2, GET_ERROR_ID = 3;

ClassDesc2& classDesc()
{
    static TestClassDesc desc(L"BatchStandIn", L"Testing", Class_ID(0xBA7C0001u, 0xBA7C0002u));
    return desc;
}

std::string narrow(const wchar_t* text)
{
    std::string s;
    for (; text && *text; ++text)
        s += static_cast<char>(*text);
    return s;
}

std::wstring messageLog;
std::string lastDocument, lastText;
bool stuck = false;
const std::string EXPORTED_PREFIX = "exported from ";

void import(const std::string& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string what = text.str();
    if (what.rfind(EXPORTED_PREFIX, 0) == 0)
    {
        if (what != EXPORTED_PREFIX + lastDocument)
            messageLog = L"read back the export of another document\n";
        return;
    }
    lastDocument = file;
    lastText = what;
    if (what.find("crash") != std::string::npos)
        std::raise(SIGSEGV);
    if (what.find("hang") != std::string::npos)
        for (;;)
            pause();
    if (what.find("exit") != std::string::npos)
        _exit(3);
    if (what.find("message") != std::string::npos)
        messageLog = L"this document is made to fail\n";
    stuck = stuck || what.find("stuck") != std::string::npos;
    if (what.find("stdout") != std::string::npos)
        std::printf("{not a result}\n"), std::fflush(stdout);
    if (what.find("chatty") != std::string::npos)
        for (int line = 0; line < 3000; ++line)
            std::fprintf(stderr, "{chatter}\n");
}

class BatchStandIn : public FPStaticInterface
{
  public:
    using FPStaticInterface::FPStaticInterface;

  protected:
    int _dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) override
    {
        switch (fid)
        {
            case IMPORT_ID:
            {
                messageLog.clear();
                import(narrow((*p)[0].asString()));
                result.Load(TYPE_MTL_TAB_BV, MtlTab());
                return FPS_OK;
            }
            case EXPORT_ID:
            {
                messageLog.clear();
                std::ofstream(narrow((*p)[0].asString())) << EXPORTED_PREFIX << lastDocument;
                if (lastText.find("slow") != std::string::npos)
                    usleep(500000);
                result.Load(TYPE_BOOL, true);
                return FPS_OK;
            }
            case GET_ERROR_ID:
                result.Load(TYPE_STRING, messageLog.c_str());
                return FPS_OK;
            default:
                return FPS_NO_SUCH_FUNCTION;
        }
    }
};

BatchStandIn theInterface(Interface_ID(0xBA7CF00Du, 0x00000001u), L"MaterialX", 1, &classDesc(), 0,
                          IMPORT_ID, L"ImportMtlX", 2, TYPE_MTL_TAB_BV, 0, 1,
                          L"filename", 3, TYPE_STRING, FP_TAG_PARAM_FLAGS, 4,
                          EXPORT_ID, L"ExportMtlX", 4, TYPE_BOOL, 0, 2,
                          L"filename", 3, TYPE_STRING, FP_TAG_PARAM_FLAGS, 4,
                          L"materials", 5, TYPE_MTL_TAB_BR, FP_TAG_PARAM_FLAGS, 4,
                          GET_ERROR_ID, L"GetError", 6, TYPE_STRING, 0, 0,
                          FP_TAG_END);

} // namespace

extern "C"
{
    __attribute__((visibility("default"))) const wchar_t* LibDescription()
    {
        return L"Misbehaving MaterialX stand-in";
    }
    __attribute__((visibility("default"))) int LibNumberClasses()
    {
        return 1;
    }
    __attribute__((visibility("default"))) ClassDesc* LibClassDesc(int i)
    {
        return i == 0 ? &classDesc() : nullptr;
    }
    __attribute__((visibility("default"))) ULONG LibVersion()
    {
        return NORVANE_SDK_VERSION;
    }
    __attribute__((visibility("default"))) int LibInitialize()
    {
        return 1;
    }
    __attribute__((visibility("default"))) int LibShutdown()
    {
        while (stuck)
            pause();
        return 1;
    }
}
