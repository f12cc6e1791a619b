// Sets of documents that include each other (see FileSet.h): 0.mtlx is read
// with its XIncludes followed, validated, flattened and written back with its
// includes. Any input must end in an answer or a MaterialX exception.
#include "FileSet.h"

#include <MaterialXCore/Document.h>
#include <MaterialXFormat/XmlIo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace mx = MaterialX;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const rozo::fuzz::FuzzFolder folder;
    const std::string mainFile =
        rozo::fuzz::writeFileSet(folder, std::string_view(reinterpret_cast<const char*>(data), size));
    try
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlFile(doc, mx::FilePath(mainFile), mx::FileSearchPath(folder.path().string()));
        std::string message;
        doc->validate(&message);
        doc->flattenSubgraphs();
        doc->validate(&message);
        mx::writeToXmlString(doc);
    }
    catch (const mx::Exception&)
    {
    }
    return 0;
}
