// The host's scene and material-library file readers: the input is written to
// a file and loaded as a scene and as a library, then the scene is emptied
// again. Any input must load or be refused with a message, never a crash.
#include "FuzzFolder.h"

#include <HostCore.h>
#include <MtlBase.h>

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
rozo::fuzz::FuzzFolder* files = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    files = new rozo::fuzz::FuzzFolder;
    static int qtArgc = 1;
    static char name[] = "scene_file_fuzzer";
    static char* qtArgv[] = { name, nullptr };
    new QCoreApplication(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path =
        QString::fromStdString(files->write("scene.json", reinterpret_cast<const char*>(data), size));
    Norvane::HostCore& host = Norvane::Host();
    QString error;
    host.LoadScene(path, &error);
    host.LoadLibrary(path, nullptr, &error);
    host.GetMaterialLibrary().Empty();
    host.NewScene();
    return 0;
}
