#include "MaterialXCalls.h"

#include "CommandContext.h"
#include "FunctionPublishing.h"
#include "Utf8Text.h"

#include <QString>

namespace
{

// Calls the function named `name`: arguments checked against its descriptor first.
bool call(FPStaticInterface& fpi, const wchar_t* name, FPParams& params, FPValue& result, std::string& problem)
{
    const FPFunctionDef* fn = fpi.function(std::wstring(name));
    if (!fn)
    {
        problem = "the MaterialX interface has no function " + QString::fromWCharArray(name).toStdString();
        return false;
    }
    fpi.completeArguments(fn->ID, params);
    problem = fpi.checkArguments(fn->ID, &params);
    if (!problem.empty())
        return false;
    if (fpi.Invoke(fn->ID, result, &params) != FPS_OK)
    {
        problem = "MaterialX." + QString::fromWCharArray(name).toStdString() + " failed";
        return false;
    }
    return true;
}

} // namespace

FPStaticInterface* MaterialXCalls::find()
{
    return GetFPStaticInterface(L"MaterialX");
}

FPStaticInterface* MaterialXCalls::require(CommandContext& context)
{
    context.plugins();
    FPStaticInterface* fpi = find();
    if (!fpi)
        context.error("no loaded plug-in publishes the MaterialX interface (plug-in folder " + context.pluginFolder() + ")");
    return fpi;
}

bool MaterialXCalls::importMtlX(const std::string& file, std::vector<Mtl*>& materials, std::string& problem)
{
    FPParams params;
    params.Append(FPValue(TYPE_STRING, Norvane::WideFromUtf8(file).c_str()));
    FPValue result;
    if (!call(fpi_, L"ImportMtlX", params, result, problem))
        return false;
    const MtlTab* tab = result.asMtlTab();
    if (!tab)
    {
        problem = "MaterialX.ImportMtlX gave no material table";
        return false;
    }
    for (int k = 0; k < tab->Count(); ++k)
        materials.push_back((*tab)[k]);
    return true;
}

bool MaterialXCalls::exportMtlX(const std::string& file, const std::vector<Mtl*>& materials, bool& clean,
                                std::string& problem, const std::string& version)
{
    MtlTab tab;
    for (Mtl* m : materials)
        tab.Append(m);
    FPParams params;
    params.Append(FPValue(TYPE_STRING, Norvane::WideFromUtf8(file).c_str()));
    FPValue table;
    table.Load(TYPE_MTL_TAB_BR, tab);
    params.Append(table);
    if (!version.empty())
        params.Append(FPValue(TYPE_STRING, Norvane::WideFromUtf8(version).c_str()));
    FPValue result;
    if (!call(fpi_, L"ExportMtlX", params, result, problem))
        return false;
    clean = result.asBool();
    return true;
}

std::string MaterialXCalls::getError()
{
    FPParams params;
    FPValue result;
    std::string problem;
    if (!call(fpi_, L"GetError", params, result, problem))
        return problem + "\n";
    return QString::fromWCharArray(result.asString()).toStdString();
}

std::vector<std::string> messageLines(const std::string& log)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < log.size())
    {
        std::size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
