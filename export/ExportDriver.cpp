#include "export/ExportRun.h"

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

namespace rozo
{
namespace
{
void exportRow(ExportRun& run, IParamBlock2* block, const mx::DocumentPtr& doc, const mx::NodePtr& node,
               const SurfaceRow& row)
{
    run.exportShaderInput(block, doc, node, row.input, row.type, row.exported.value, row.exported.map,
                          row.exported.amount);
}

// Written as 1.38 unless a node needs 1.39 (or the user chose a version):
// every reader takes 1.38, and 1.39 readers upgrade it to the same meaning.
// No plan means the document is written as it is.
std::optional<LegacyFormPlan> planDocumentVersion(const mx::DocumentPtr& doc, DocumentVersionChoice version,
                                                  MessageLog& log)
{
    std::optional<LegacyFormPlan> legacyPlan;
    if (version != DocumentVersionChoice::V1_39)
    {
        legacyPlan = planLegacyForm(doc);
        if (version == DocumentVersionChoice::Oldest && !legacyPlan->withoutLegacyForm.empty())
            legacyPlan.reset();
    }
    if (legacyPlan)
    {
        for (const mx::NodePtr& node : legacyPlan->withoutLegacyForm)
            log.report("No MaterialX " + std::string(LEGACY_DOCUMENT_VERSION) + " form for node " +
                           node->getName() + " (" + node->getCategory() + ")\n",
                       node->getNamePath());
    }
    return legacyPlan;
}

// The document never touches the disk before its library lines are gone:
// a fixed temporary name beside the output could be the user's own file.
void writeDocument(const mx::DocumentPtr& doc, const std::optional<LegacyFormPlan>& legacyPlan, WStr fileName,
                   MessageLog& log)
{
    bool written = false;
    std::string writeFailure;
    try
    {
        std::optional<LegacyFormScope> legacyForm;
        if (legacyPlan)
            legacyForm.emplace(doc, *legacyPlan);
        else
            dropValuesBesideConnections(doc);
        mx::XmlWriteOptions options;
        options.writeXIncludeEnable = true;
        written = writeStrippedDocument([&](std::ostream& stream) { mx::writeToXmlStream(doc, stream, &options); },
                                        fileName.ToQString());
    }
    catch (const mx::Exception& e)
    {
        writeFailure = e.what();
    }
    if (!written)
        log.report("Unable to write file '" + fileName.ToUTF8().str() + "'\n", std::string(), writeFailure);
}
} // namespace

ExportRun::ExportRun(const PluginSettings& settings) :
    settings_(settings)
{
}

bool ExportRun::exportFile(WStr fileName, const Tab<Mtl*>& materials)
{
    return exportFile(fileName, materials, settings_.exportVersion);
}

bool ExportRun::exportFile(WStr fileName, const Tab<Mtl*>& materials, DocumentVersionChoice version)
{
    MaterialSet materialSet;
    for (int i = 0; i < materials.Count(); ++i)
        materialSet.insert(materials[i]);
    exportMaterials(fileName, materialSet, version);
    return messageLog.empty();
}

void ExportRun::exportMaterials(WStr fileName, const MaterialSet& materialSet)
{
    exportMaterials(fileName, materialSet, settings_.exportVersion);
}

void ExportRun::exportMaterials(WStr fileName, const MaterialSet& materialSet,
                                DocumentVersionChoice version)
{
    const QString outputName = fileName.ToQString();
    exportFolder = folderWithSeparator(outputName);

    mx::DocumentPtr doc = mx::createDocument();
    if (settings_.libraryDocument)
        doc->importLibrary(settings_.libraryDocument);

    for (Mtl* material : materialSet)
        translateMaterial(material, doc);

    const std::optional<LegacyFormPlan> legacyPlan = planDocumentVersion(doc, version, messageLog);
    writeDocument(doc, legacyPlan, fileName, messageLog);

    // Validated as 1.39 reads it, whichever version was written.
    dropValuesBesideConnections(doc);
    std::string message;
    if (!doc->validate(&message))
        messageLog.report("Validation failed:\n" + message, doc->getNamePath());
}

void ExportRun::translateMaterial(Mtl* material, const mx::DocumentPtr& doc)
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
    mx::NodePtr surfaceMaterial = doc->addNode("surfacematerial", uniqueChildName(doc, name, childNames_), "material");
    mx::NodePtr shader =
        doc->addNode("standard_surface", uniqueChildName(doc, name + "_surface", childNames_), "surfaceshader");
    surfaceMaterial->addInput("surfaceshader", "surfaceshader")->setConnectedNode(shader);

    IParamBlock2* block = material->GetParamBlock(0);
    if (texmapParameter(block, DISPLACEMENT_ROW.exported.map, 0))
    {
        mx::NodePtr displacement = doc->addNode(
            "displacement", uniqueChildName(doc, name + "_displacement", childNames_), "displacementshader");
        surfaceMaterial->addInput("displacementshader", "displacementshader")->setConnectedNode(displacement);
        exportRow(*this, block, doc, displacement, DISPLACEMENT_ROW);
        displacement->addInput("scale", "float")
            ->setValueString(parameterValueString(block, DISPLACEMENT_AMOUNT_PARAMETER, "float"));
    }
    for (const SurfaceRow& row : SURFACE_ROWS)
        exportRow(*this, block, doc, shader, row);
}
} // namespace rozo
