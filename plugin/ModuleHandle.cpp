#include "plugin/ModuleHandle.h"

#include <QFileInfo>
#include <QString>

#include <dlfcn.h>

namespace rozo
{
namespace
{
HINSTANCE storedHandle = nullptr;

// The loader runs this when it maps the module: the base address it chose
// serves as the module's handle.
__attribute__((constructor)) void attachModule()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&attachModule), &info) == 0)
        return;
    UseLanguagePackLocale(info.dli_fbase);
    storedHandle = info.dli_fbase;
}
} // namespace

HINSTANCE moduleHandle()
{
    return storedHandle;
}

MaterialX::FilePath moduleFilePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&attachModule), &info) == 0 || !info.dli_fname)
        return MaterialX::FilePath();
    // The loader reports the path as it was given, which may be relative.
    return MaterialX::FilePath(QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath().toStdString());
}
} // namespace rozo
