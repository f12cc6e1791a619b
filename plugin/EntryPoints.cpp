// The six functions the host looks up by name when it loads the module.

#include "plugin/MtlXIOUtilClassDesc.h"
#include "plugin/StringTable.h"

#include <SdkVersion.h>

#define ROZO_ENTRY_POINT extern "C" __attribute__((visibility("default")))

ROZO_ENTRY_POINT const wchar_t* LibDescription()
{
    return rozo::getString(rozo::DESCRIPTION_STRING);
}

ROZO_ENTRY_POINT int LibNumberClasses()
{
    return 1;
}

ROZO_ENTRY_POINT ClassDesc* LibClassDesc(int i)
{
    return i == 0 ? rozo::getClassDesc() : nullptr;
}

ROZO_ENTRY_POINT ULONG LibVersion()
{
    return NORVANE_SDK_VERSION;
}

ROZO_ENTRY_POINT int LibInitialize()
{
    return 1;
}

ROZO_ENTRY_POINT int LibShutdown()
{
    return 1;
}
