#include "plugin/MtlXIOUtil.h"

#include "plugin/HostCalls.h"

#include <QWidget>

namespace
{
const wchar_t* const PANEL_TITLE = L"MaterialX Import/Export";
}

MtlXIOUtil::MtlXIOUtil() : QObject(nullptr)
{
    initLibraries();
}

MtlXIOUtil::MtlXIOUtil(const mx::FilePath& moduleFile) : QObject(nullptr)
{
    initLibraries(moduleFile);
}

// The panel widget belongs to the host's panel; it is not touched here.
MtlXIOUtil::~MtlXIOUtil() = default;

void MtlXIOUtil::BeginEditParams(Interface* ip, IUtil* iu)
{
    utilityHost = iu;
    panelWidget = new QWidget(nullptr);
    if (utilityHost)
        utilityHost->AddRollupPage(panelWidget, WStr(PANEL_TITLE), 0, ROLLUP_CAT_STANDARD);
}

void MtlXIOUtil::EndEditParams(Interface* ip, IUtil* iu)
{
    IUtil* host = utilityHost ? utilityHost : iu;
    utilityHost = nullptr;
    if (host && panelWidget)
        host->DeleteRollupPage(panelWidget);
    panelWidget = nullptr;
}

MtlXIOUtil* getMtlXIOUtil()
{
    static MtlXIOUtil util;
    return &util;
}
