// The document reader and the steps an import takes after it: validation,
// flattening and validation again. Any input must end in an answer or a
// MaterialX exception.
#include <MaterialXCore/Document.h>
#include <MaterialXFormat/XmlIo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace mx = MaterialX;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try
    {
        mx::DocumentPtr doc = mx::createDocument();
        mx::readFromXmlString(doc, std::string(reinterpret_cast<const char*>(data), size));
        std::string message;
        doc->validate(&message);
        doc->flattenSubgraphs();
        doc->validate(&message);
    }
    catch (const mx::Exception&)
    {
    }
    return 0;
}
