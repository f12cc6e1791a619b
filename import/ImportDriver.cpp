#include "import/SurfaceMapping.h"
#include "plugin/HostCalls.h"
#include "plugin/contracts/SurfaceTable.h"
#include "import/FileColorSpace.h"
#include "import/ImportRun.h"
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
template <typename Step> void guarded(MessageLog& log, const std::string& elementPath, Step step)
{
    try
    {
        step();
    }
    catch (const std::exception& e)
    {
        log.report(std::string(e.what()) + "\n", elementPath);
    }
}
} // namespace

ImportRun::ImportRun(const PluginSettings& settings) :
    settings_(settings),
    shaderCache_(ownShaderCache_)
{
}

ImportRun::ImportRun(const PluginSettings& settings, PrecompiledShaderCache& shaderCache) :
    settings_(settings),
    shaderCache_(shaderCache)
{
}

Tab<Mtl*> ImportRun::importFile(WStr fileName)
{
    Tab<Mtl*> result;
    const std::string path = toUtf8(fileName);
    if (!mx::FilePath(path).exists())
    {
        messageLog.report("File does not exist: '" + path + "'\n");
        return result;
    }
    std::vector<Mtl*> materials;
    importMaterials(path, materials);
    for (Mtl* material : materials)
        result.Append(1, &material);
    return result;
}

bool ImportRun::importMaterials(const std::string& path, std::vector<Mtl*>& materials)
{
    readStarted_ = true;
    documentFolder = folderWithSeparator(QString::fromStdString(path));

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
        messageLog.report("Unable to read document: " + std::string(e.what()) + "\n");
    }

    if (doc)
    {
        guarded(messageLog, std::string(), [&] {
            for (const mx::NodePtr& materialNode : doc->getMaterialNodes())
                importMaterial(doc, materialNode, materials);
        });
    }

    if (recordUndo)
    {
        const wchar_t* recordName = getString(IMPORT_NAME_STRING);
        theHold.Accept(recordName ? recordName : L"ImportMtlX");
    }
    return messageLog.empty();
}

void ImportRun::importMaterial(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode,
                               std::vector<Mtl*>& materials)
{
    // Maps are shared within a material, never with the one before.
    nodeMapCache = {};

    mx::InputPtr surfaceInput = materialNode->getInput("surfaceshader");
    mx::NodePtr shader = surfaceInput ? doc->getNode(surfaceInput->getNodeName()) : nullptr;
    if (!shader)
    {
        messageLog.report(MATERIAL_PREFIX + std::string("ERROR - no surface shader for material ") +
                              materialNode->getName() + "\n",
                          materialNode->getNamePath());
        return;
    }
    if (shader->getCategory() != "standard_surface")
    {
        messageLog.report(MATERIAL_PREFIX + std::string("ERROR - don't understand shader ") + shader->getCategory() + "\n",
                          shader->getNamePath());
        return;
    }

    Mtl* material = createPhysicalMaterial();
    if (!material)
    {
        messageLog.report(MATERIAL_PREFIX + std::string("Unable to instantiate physical material\n"),
                          materialNode->getNamePath());
        return;
    }
    material->SetMtlFlag(MTL_TEX_DISPLAY_ENABLED | MTL_HW_MAT_ENABLED, TRUE);
    material->SetName(toWide(materialNode->getName()));
    materials.push_back(material);

    IParamBlock2* parameters = material->GetParamBlock(0);
    importDisplacement(doc, materialNode, parameters);

    presetImportedSurface(parameters);

    importShaderInputs(doc, shader, parameters);
}

void ImportRun::importDisplacement(const mx::DocumentPtr& doc, const mx::NodePtr& materialNode, IParamBlock2* parameters)
{
    mx::InputPtr displacementInput = materialNode->getInput("displacementshader");
    const std::string displacementName = displacementInput ? displacementInput->getNodeName() : std::string();
    if (mx::NodePtr displacement = displacementName.empty() ? nullptr : doc->getNode(displacementName))
    {
        guarded(messageLog, displacement->getNamePath(), [&] {
            if (mx::InputPtr scale = displacement->getInput("scale"))
                setParameterFromValue(parameters, DISPLACEMENT_AMOUNT_PARAMETER, scale->getValue());
        });
        guarded(messageLog, displacement->getNamePath(), [&] {
            if (mx::InputPtr source = displacement->getInput(DISPLACEMENT_ROW.input))
                ResolveConnectedInput(parameters, doc, source, DISPLACEMENT_ROW.import.parameter,
                                      DISPLACEMENT_ROW.import.amount);
        });
    }
}

void ImportRun::importShaderInputs(const mx::DocumentPtr& doc, const mx::NodePtr& shader, IParamBlock2* parameters)
{
    for (const mx::InputPtr& input : shader->getInputs())
    {
        guarded(messageLog, input->getNamePath(), [&] {
            const std::string parameter = mapSurfaceInputName(input->getName());
            const std::string amount = surfaceAmountParameter(input->getName());
            if (!ResolveConnectedInput(parameters, doc, input, parameter, amount))
                setParameterFromValue(parameters, parameter, workingSpaceValue(input, input->getValue()));
        });
    }
}
} // namespace rozo
