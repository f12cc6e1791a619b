#include "export/ExportOperations.h"

#include "export/ChildNames.h"
#include "export/HostParams.h"
#include "export/ShaderInputRows.h"
#include "export/StrippedDocumentWriter.h"
#include "export/ParameterValueString.h"
#include "plugin/PathParts.h"

#include <MaterialXFormat/XmlIo.h>

#include <QFile>

namespace
{

void exportRow(rozo::ExportOperations& util, IParamBlock2* block, const mx::DocumentPtr& doc, const mx::NodePtr& node,
               const ShaderInputRow& row)
{
    util.exportShaderInput(block, doc, node, row.input, row.type, row.valueParam, row.mapParam, row.amountParam);
}
} // namespace

bool rozo::ExportOperations::exportFile(WStr fileName, const Tab<Mtl*>& materials)
{
    MaterialSet materialSet;
    for (int i = 0; i < materials.Count(); ++i)
        materialSet.insert(materials[i]);
    exportMaterials(fileName, materialSet);
    return messageText().empty();
}

void rozo::ExportOperations::exportMaterials(WStr fileName, const MaterialSet& materialSet)
{
    clearMessages();
    forgetExportedMaps();
    exportNodeDefCache.clear();
    exportMatchingNodeDefCache.clear();
    exportChildNames.clear();

    const QString outputName = fileName.ToQString();
    exportFolder = rozo::folderWithSeparator(outputName);

    mx::DocumentPtr doc = mx::createDocument();
    if (libraryDocument)
        doc->importLibrary(libraryDocument);

    for (Mtl* material : materialSet)
        translateMaterial(material, doc);

    // The document never touches the disk before its library lines are gone:
    // a fixed temporary name beside the output could be the user's own file.
    bool written = false;
    try
    {
        mx::XmlWriteOptions options;
        options.writeXIncludeEnable = true;
        written = writeStrippedDocument([&](std::ostream& stream) { mx::writeToXmlStream(doc, stream, &options); },
                                        outputName);
    }
    catch (const mx::Exception&)
    {
    }
    if (!written)
        messageLog << "Unable to write file '" << fileName.ToUTF8().str() << "'\n";

    std::string message;
    if (!doc->validate(&message))
        messageLog << "Validation failed:\n"
                   << message;
}

void rozo::ExportOperations::translateMaterial(Mtl* material, const mx::DocumentPtr& doc)
{
    if (!material)
        return;
    if (auto* wrapper = static_cast<IWrapperMaterial*>(material->GetInterface(WRAPPER_MATERIAL_INTERFACE_ID)))
        if (Mtl* inner = wrapper->GetMaterial())
            material = inner;
    if (material->ClassID() != PHYSICAL_MATERIAL_CLASS_ID)
        return;

    const std::string name = material->GetName().ToUTF8().str();
    // Suffixes go on the raw host name; the library's name rules apply after.
    mx::NodePtr surfaceMaterial = doc->addNode("surfacematerial", uniqueChildName(doc, name, exportChildNames), "material");
    mx::NodePtr shader =
        doc->addNode("standard_surface", uniqueChildName(doc, name + "_surface", exportChildNames), "surfaceshader");
    surfaceMaterial->addInput("surfaceshader", "surfaceshader")->setConnectedNode(shader);

    IParamBlock2* block = material->GetParamBlock(0);
    if (texmapParameter(block, "displacement_map", 0))
    {
        mx::NodePtr displacement = doc->addNode(
            "displacement", uniqueChildName(doc, name + "_displacement", exportChildNames), "displacementshader");
        surfaceMaterial->addInput("displacementshader", "displacementshader")->setConnectedNode(displacement);
        exportRow(*this, block, doc, displacement, DISPLACEMENT_ROW);
        displacement->addInput("scale", "float")
            ->setAttribute("value", parameterValueString(block, "displacement_map_amt", "float"));
    }
    for (const ShaderInputRow& row : standardSurfaceRows)
        exportRow(*this, block, doc, shader, row);
}

void rozo::ExportOperations::forgetExportedMaps()
{
    exportMapCache.clear();
}
