// The plug-in's import of a document into the host model, in-process, the
// way the host's ImportMtlX call runs it: the file set of the input (see
// FileSet.h) is imported from 0.mtlx, then the scene is emptied again. Any
// input must end in materials and messages, never a crash.
#include "FileSet.h"

#include "plugin/HostCalls.h"
#include "plugin/MtlXIOUtil.h"

#include <HostCore.h>

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
rozo::fuzz::FuzzFolder* documents = nullptr;
rozo::MtlXIOUtil* util = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static rozo::fuzz::FuzzFolder diagnostics;
    documents = new rozo::fuzz::FuzzFolder;
    // The import's diagnostic copies go to the temporary folder: keep them private.
    setenv("TMPDIR", diagnostics.path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qtArgc = 1;
    static char name[] = "import_fuzzer";
    static char* qtArgv[] = { name, nullptr };
    new QApplication(qtArgc, qtArgv);
    util = new rozo::MtlXIOUtil(mx::FilePath(ROZO_PLUGIN_MODULE));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string mainFile =
        rozo::fuzz::writeFileSet(*documents, std::string_view(reinterpret_cast<const char*>(data), size));
    util->importFile(rozo::toWide(mainFile));
    util->lastLog().text();
    Norvane::Host().NewScene();
    return 0;
}
