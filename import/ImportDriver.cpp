#include "import/SurfaceMapping.h"
#include "plugin/HostCalls.h"
#include "plugin/contracts/SurfaceTable.h"
#include "import/FileColorSpace.h"
#include "import/ImportOperations.h"
#include "plugin/PathParts.h"
#include "plugin/StringTable.h"

#include <exception>

namespace rozo
{
namespace
{
const char* const MATERIAL_PREFIX = ":   ";

// The document library reports bad values by exceptions; one bad input costs
// only itself.
template <typename Step> void guarded(std::ostream& log, Step step)
{
    try
    {
        step();
    }
    catch (const std::exception& e)
    {
        log << e.what() << "\n";
    }
}
} // namespace
} // namespace rozo

Tab<Mtl*> rozo::ImportOperations::importFile(WStr fileName)
{
    Tab<Mtl*> result;
    const std::string path = rozo::toUtf8(fileName);
    if (!mx::FilePath(path).exists())
    {
        messageLog << "File does not exist: '" << path << "'\n";
        return result;
    }
    std::vector<Mtl*> materials;
    importMaterials(path, materials);
    for (Mtl* material : materials)
        result.Append(1, &material);
    return result;
}

bool rozo::ImportOperations::importMaterials(const std::string& path, std::vector<Mtl*>& materials)
{
    documentFolder = rozo::folderWithSeparator(QString::fromStdString(path));
    clearMessages();
    forgetExportedMaps();

    const bool recordUndo = !theHold.RestoreOrRedoing();
    if (recordUndo)
        theHold.Begin();

    mx::DocumentPtr doc;
    try
    {
        doc = readImportDocument(path);
    }
    catch (const std::exception& e)
    {
        messageLog << "Unable to read document: " << e.what() << "\n";
    }

    if (doc)
    {
        rozo::guarded(messageLog, [&] {
            for (const mx::NodePtr& materialNode : doc->getMaterialNodes())
                importMaterial(doc, materialNode, materials);
        });
    }

    if (recordUndo)
    {
        const wchar_t* recordName = rozo::getString(rozo::IMPORT_NAME_STRING);
        theHold.Accept(recordName ? recordName : L"ImportMtlX");
    }
    return messageText().empty();
}

void rozo::ImportOperations::importMaterial(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode,
                                            std::vector<Mtl*>& materials)
{
    mx::InputPtr surfaceInput = materialNode->getInput("surfaceshader");
    mx::NodePtr shader = surfaceInput ? doc->getNode(surfaceInput->getNodeName()) : nullptr;
    if (!shader)
    {
        messageLog << rozo::MATERIAL_PREFIX << "ERROR - no surface shader for material " << materialNode->getName()
                   << "\n";
        return;
    }
    if (shader->getCategory() != "standard_surface")
    {
        messageLog << rozo::MATERIAL_PREFIX << "ERROR - don't understand shader " << shader->getCategory() << "\n";
        return;
    }

    Mtl* material = rozo::createPhysicalMaterial();
    if (!material)
    {
        messageLog << rozo::MATERIAL_PREFIX << "Unable to instantiate physical material\n";
        return;
    }
    material->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED, TRUE);
    material->SetName(rozo::toWide(materialNode->getName()));
    materials.push_back(material);

    IParamBlock2* parameters = material->GetParamBlock(0);

    mx::InputPtr displacementInput = materialNode->getInput("displacementshader");
    const std::string displacementName = displacementInput ? displacementInput->getNodeName() : std::string();
    if (mx::NodePtr displacement = displacementName.empty() ? nullptr : doc->getNode(displacementName))
    {
        rozo::guarded(messageLog, [&] {
            if (mx::InputPtr scale = displacement->getInput("scale"))
                setParameterFromValue(parameters, rozo::DISPLACEMENT_AMOUNT_PARAMETER, scale->getValue());
        });
        rozo::guarded(messageLog, [&] {
            if (mx::InputPtr source = displacement->getInput(rozo::DISPLACEMENT_ROW.input))
                ResolveConnectedInput(parameters, doc, source, rozo::DISPLACEMENT_ROW.import.parameter,
                                      rozo::DISPLACEMENT_ROW.import.amount);
        });
    }

    rozo::presetImportedSurface(parameters);

    for (const mx::InputPtr& input : shader->getInputs())
    {
        rozo::guarded(messageLog, [&] {
            const std::string parameter = rozo::mapSurfaceInputName(input->getName());
            const std::string amount = rozo::surfaceAmountParameter(input->getName());
            if (!ResolveConnectedInput(parameters, doc, input, parameter, amount))
                setParameterFromValue(parameters, parameter, rozo::workingSpaceValue(input, input->getValue()));
        });
    }

    nodeMapCache.clear();
}
