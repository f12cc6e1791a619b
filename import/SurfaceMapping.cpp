#include "import/SurfaceMapping.h"

#include "plugin/HostCalls.h"
#include "import/ImportRun.h"
#include "plugin/ParameterAccess.h"
#include "plugin/contracts/SurfaceTable.h"

namespace rozo
{
std::string mapSurfaceInputName(const std::string& inputName)
{
    const SurfaceRow* row = findSurfaceRow(inputName);
    return row && *row->import.parameter ? row->import.parameter : inputName;
}

std::string mapSlotName(const std::string& mapParameter)
{
    auto exportsMapOf = [&](const SurfaceRow& row) {
        return *row.exported.map && mapParameter == row.import.parameter &&
               (!*row.exported.value || mapParameter == row.exported.value);
    };
    if (exportsMapOf(DISPLACEMENT_ROW))
        return DISPLACEMENT_ROW.exported.map;
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        if (exportsMapOf(row))
            return row.exported.map;
    }
    return mapParameter + "_map";
}

std::string surfaceAmountParameter(const std::string& inputName)
{
    const SurfaceRow* row = findSurfaceRow(inputName);
    return row ? row->import.amount : "";
}

void presetImportedSurface(IParamBlock2* parameters)
{
    for (const SurfaceRow& row : SURFACE_ROWS)
    {
        if (row.import.valuePreset)
            setFloatByName(parameters, row.import.parameter, *row.import.valuePreset);
        if (row.import.amountPreset)
            setFloatByName(parameters, row.import.amount, *row.import.amountPreset);
    }
}

void ImportRun::setParameterFromValue(IParamBlock2* block, const std::string& name, const mx::ValuePtr& value)
{
    std::optional<ParamID> id = parameterId(block, name);
    if (!id)
    {
        debugLine(L"Parameter %s not known and ignored.\n", name);
        return;
    }
    if (!value)
        return;

    // The value's own kind picks the setter; the parameter's declared type is not consulted.
    if (value->isA<int>())
        block->SetValue(*id, 0, value->asA<int>(), 0);
    else if (value->isA<bool>())
        block->SetValue(*id, 0, value->asA<bool>() ? 1 : 0, 0);
    else if (value->isA<float>())
        block->SetValue(*id, 0, value->asA<float>(), 0);
    else if (value->isA<mx::Vector2>())
    {
        const mx::Vector2& v = value->asA<mx::Vector2>();
        block->SetValue(*id, 0, Point2(v[0], v[1]), 0);
    }
    else if (value->isA<mx::Color3>())
    {
        const mx::Color3& c = value->asA<mx::Color3>();
        block->SetValue(*id, 0, AColor(c[0], c[1], c[2], 1.0f), 0);
    }
    else if (value->isA<mx::Vector3>())
    {
        const mx::Vector3& v = value->asA<mx::Vector3>();
        block->SetValue(*id, 0, Point3(v[0], v[1], v[2]), 0);
    }
    else if (value->isA<mx::Color4>())
    {
        const mx::Color4& c = value->asA<mx::Color4>();
        block->SetValue(*id, 0, AColor(c[0], c[1], c[2], c[3]), 0);
    }
    else if (value->isA<mx::Vector4>())
    {
        const mx::Vector4& v = value->asA<mx::Vector4>();
        block->SetValue(*id, 0, Point4(v[0], v[1], v[2], v[3]), 0);
    }
    else if (value->isA<std::string>())
    {
        WStr path = toWide(value->asA<std::string>());
        if (name == "file" && settings_.resolveTexturePaths)
        {
            WStr full = resolveFilePath(path);
            if (full.Length() == 0)
                full = resolveFilePath(toWide(documentFolder.toStdString()) + path);
            if (full.Length() != 0)
                path = full;
        }
        block->SetValue(*id, 0, path.data(), 0);
    }
}
} // namespace rozo
