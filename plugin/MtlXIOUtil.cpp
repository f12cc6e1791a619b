#include "plugin/MtlXIOUtil.h"

#include "plugin/HostCalls.h"

#include <QWidget>

MtlXIOUtil::MtlXIOUtil() :
    QObject(nullptr)
{
    initLibraries();
}

MtlXIOUtil::MtlXIOUtil(const mx::FilePath& moduleFile) :
    QObject(nullptr)
{
    initLibraries(moduleFile);
}

// The panel widget belongs to the host's panel; it is not touched here.
MtlXIOUtil::~MtlXIOUtil() = default;

// Opening and closing the panel are the panel's own (ui/PanelOpen.cpp).

MtlXIOUtil* getMtlXIOUtil()
{
    static MtlXIOUtil util;
    return &util;
}
