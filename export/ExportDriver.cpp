#include "export/ExportOperations.h"

#include "export/ChildNames.h"
#include "plugin/ParameterAccess.h"
#include "export/LegacyDocumentForm.h"
#include "export/StrippedDocumentWriter.h"
#include "export/ParameterValueString.h"
#include "plugin/PathParts.h"
#include "plugin/contracts/SurfaceTable.h"

#include <MaterialXFormat/XmlIo.h>

#include <QFile>

#include <optional>

namespace
{

void exportRow(rozo::ExportOperations& util, IParamBlock2* block, const mx::DocumentPtr& doc, const mx::NodePtr& node,
               const rozo::SurfaceRow& row)
{
    util.exportShaderInput(block, doc, node, row.input, row.type, row.exported.value, row.exported.map,
                           row.exported.amount);
}
} // namespace

bool rozo::ExportOperations::exportFile(WStr fileName, const Tab<Mtl*>& materials)
{
    return exportFile(fileName, materials, exportVersion);
}

bool rozo::ExportOperations::exportFile(WStr fileName, const Tab<Mtl*>& materials, DocumentVersionChoice version)
{
    MaterialSet materialSet;
    for (int i = 0; i < materials.Count(); ++i)
        materialSet.insert(materials[i]);
    exportMaterials(fileName, materialSet, version);
    return messageText().empty();
}

void rozo::ExportOperations::exportMaterials(WStr fileName, const MaterialSet& materialSet)
{
    exportMaterials(fileName, materialSet, exportVersion);
}

void rozo::ExportOperations::exportMaterials(WStr fileName, const MaterialSet& materialSet,
                                             DocumentVersionChoice version)
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

    // Written as 1.38 unless a node needs 1.39 (or the user chose a version):
    // every reader takes 1.38, and 1.39 readers upgrade it to the same meaning.
    std::optional<rozo::LegacyFormPlan> legacyPlan;
    if (version != rozo::DocumentVersionChoice::V1_39)
    {
        legacyPlan = rozo::planLegacyForm(doc);
        if (version == rozo::DocumentVersionChoice::Oldest && !legacyPlan->withoutLegacyForm.empty())
            legacyPlan.reset();
    }
    if (legacyPlan)
    {
        for (const mx::NodePtr& node : legacyPlan->withoutLegacyForm)
            messageLog << "No MaterialX " << rozo::LEGACY_DOCUMENT_VERSION << " form for node " << node->getName()
                       << " (" << node->getCategory() << ")\n";
    }

    // The document never touches the disk before its library lines are gone:
    // a fixed temporary name beside the output could be the user's own file.
    bool written = false;
    try
    {
        std::optional<rozo::LegacyFormScope> legacyForm;
        if (legacyPlan)
            legacyForm.emplace(doc, *legacyPlan);
        else
            rozo::dropValuesBesideConnections(doc);
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

    // Validated as 1.39 reads it, whichever version was written.
    rozo::dropValuesBesideConnections(doc);
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
    if (texmapParameter(block, DISPLACEMENT_ROW.exported.map, 0))
    {
        mx::NodePtr displacement = doc->addNode(
            "displacement", uniqueChildName(doc, name + "_displacement", exportChildNames), "displacementshader");
        surfaceMaterial->addInput("displacementshader", "displacementshader")->setConnectedNode(displacement);
        exportRow(*this, block, doc, displacement, DISPLACEMENT_ROW);
        displacement->addInput("scale", "float")
            ->setValueString(parameterValueString(block, DISPLACEMENT_AMOUNT_PARAMETER, "float"));
    }
    for (const SurfaceRow& row : SURFACE_ROWS)
        exportRow(*this, block, doc, shader, row);
}

void rozo::ExportOperations::forgetExportedMaps()
{
    exportMapCache.clear();
}
