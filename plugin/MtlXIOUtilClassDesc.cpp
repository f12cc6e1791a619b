#include "plugin/MtlXIOUtilClassDesc.h"

#include "plugin/ModuleHandle.h"
#include "plugin/MtlXIOUtil.h"
#include "plugin/StringTable.h"

namespace rozo
{
namespace
{
const wchar_t* const CLASS_NAME = L"MtlXIOUtil";
const Class_ID UTILITY_CLASS(0x75559941, 0x7AF4F8E0);
} // namespace

int MtlXIOUtilClassDesc::IsPublic()
{
    return 1;
}

void* MtlXIOUtilClassDesc::Create(bool)
{
    return static_cast<UtilityObj*>(getMtlXIOUtil());
}

const wchar_t* MtlXIOUtilClassDesc::ClassName()
{
    return getString(CLASS_NAME_STRING);
}

const wchar_t* MtlXIOUtilClassDesc::NonLocalizedClassName()
{
    return CLASS_NAME;
}

SClass_ID MtlXIOUtilClassDesc::SuperClassID()
{
    return UTILITY_CLASS_ID;
}

Class_ID MtlXIOUtilClassDesc::ClassID()
{
    return UTILITY_CLASS;
}

const wchar_t* MtlXIOUtilClassDesc::Category()
{
    return getString(CATEGORY_STRING);
}

const wchar_t* MtlXIOUtilClassDesc::InternalName()
{
    return CLASS_NAME;
}

HINSTANCE MtlXIOUtilClassDesc::HInstance()
{
    return moduleHandle();
}

MtlXIOUtilClassDesc* getClassDesc()
{
    static MtlXIOUtilClassDesc classDesc;
    return &classDesc;
}
} // namespace rozo
