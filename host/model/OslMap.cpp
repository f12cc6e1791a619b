#include "OslMap.h"

#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"
#include "DebugPrint.h"
#include "FileResolution.h"
#include "Hold.h"
#include "OslFrontEnd.h"
#include "ParamBlock2.h"
#include "SwatchRenderer.h"

#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <set>

namespace Norvane
{

using namespace Norvane::osl;

namespace
{

constexpr BlockID CODE_BLOCK_ID = 0;
constexpr BlockID SHADER_BLOCK_ID = 1;
constexpr int MATRIX_ENTRIES = 16;
constexpr const wchar_t* AUTOMATIC_COLOR_SPACE = L"auto";

std::vector<std::string>& configuredFolders()
{
    static std::vector<std::string> folders;
    return folders;
}

// <root>/osl/materialx, where <root>/lib holds this library.
std::string hostShaderFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&hostShaderFolder), &info) || !info.dli_fname)
        return {};
    const std::filesystem::path library = std::filesystem::absolute(info.dli_fname);
    return (library.parent_path().parent_path() / "osl" / "materialx").string();
}

// The parameter type of one element of an OSL type, TYPE_VOID for none.
int elementParamType(const OslParameter& parameter, const OslShaderInfo& info)
{
    switch (parameter.type.base)
    {
        case OslBaseType::Int:
            return TYPE_INT;
        case OslBaseType::Float:
            return TYPE_FLOAT;
        case OslBaseType::Matrix:
            return TYPE_FLOAT;
        case OslBaseType::Color:
            return TYPE_RGBA;
        case OslBaseType::Point:
        case OslBaseType::Vector:
        case OslBaseType::Normal:
            return TYPE_POINT3;
        case OslBaseType::String:
        {
            const OslMetadata* widget = parameter.findMetadata("widget");
            const bool isFile = widget && !widget->values.empty() && widget->values.front().text == "filename";
            return isFile ? TYPE_FILENAME : TYPE_STRING;
        }
        case OslBaseType::Struct:
        {
            const OslStructDecl* decl = info.findStruct(parameter.type.structName);
            if (!decl)
                return TYPE_VOID;
            bool hasColor = false;
            int components = 0;
            for (const OslStructField& field : decl->fields)
            {
                const bool floats = field.type == OslBaseType::Float || field.type == OslBaseType::Color ||
                                    field.type == OslBaseType::Point || field.type == OslBaseType::Vector ||
                                    field.type == OslBaseType::Normal;
                if (!floats)
                    return TYPE_VOID;
                hasColor = hasColor || field.type == OslBaseType::Color;
                components += componentCount(field.type);
            }
            switch (components)
            {
                case 1:
                    return TYPE_FLOAT;
                case 2:
                    return TYPE_POINT2;
                case 3:
                    return hasColor ? TYPE_RGBA : TYPE_POINT3;
                case 4:
                    return hasColor ? TYPE_FRGBA : TYPE_POINT4;
                default:
                    return TYPE_VOID;
            }
        }
        default:
            return TYPE_VOID; // closures
    }
}

// Entries of the value parameter: the array length, 16 for a matrix, else 1.
int entryCount(const OslParameter& parameter)
{
    const int elements = parameter.type.isArray() ? parameter.type.arrayLength : 1;
    return parameter.type.base == OslBaseType::Matrix ? elements * MATRIX_ENTRIES : elements;
}

int componentsPerEntry(int type)
{
    switch (type)
    {
        case TYPE_POINT2:
            return 2;
        case TYPE_RGBA:
        case TYPE_POINT3:
            return 3;
        case TYPE_POINT4:
        case TYPE_FRGBA:
            return 4;
        default:
            return 1;
    }
}

ParamValue entryValue(const std::vector<OslValue>& defaults, int entry, int type)
{
    const size_t first = static_cast<size_t>(entry * componentsPerEntry(type));
    if (first >= defaults.size())
        return ParamValue();
    if (type == TYPE_STRING || type == TYPE_FILENAME)
        return ParamValue::Text(WStr::FromUTF8(defaults[first].text));
    if (type == TYPE_INT)
        return ParamValue::Int(static_cast<int>(defaults[first].number));
    ParamValue value;
    for (int i = 0; i < componentsPerEntry(type) && first + i < defaults.size(); ++i)
        value.f[i] = static_cast<float>(defaults[first + i].number);
    return value;
}

void writeEntry(IParamBlock2* block, ParamID id, int type, const ParamValue& v, int entry)
{
    switch (type)
    {
        case TYPE_INT:
            block->SetValue(id, 0, v.i, entry);
            break;
        case TYPE_FLOAT:
            block->SetValue(id, 0, v.f[0], entry);
            break;
        case TYPE_POINT2:
            block->SetValue(id, 0, Point2(v.f[0], v.f[1]), entry);
            break;
        case TYPE_RGBA:
            block->SetValue(id, 0, Color(v.f[0], v.f[1], v.f[2]), entry);
            break;
        case TYPE_POINT3:
            block->SetValue(id, 0, Point3(v.f[0], v.f[1], v.f[2]), entry);
            break;
        case TYPE_POINT4:
            block->SetValue(id, 0, Point4(v.f[0], v.f[1], v.f[2], v.f[3]), entry);
            break;
        case TYPE_FRGBA:
            block->SetValue(id, 0, AColor(v.f[0], v.f[1], v.f[2], v.f[3]), entry);
            break;
        default:
            block->SetValue(id, 0, v.s, entry);
            break;
    }
}

struct ShaderBlockParam
{
    ParamDef def;
    std::vector<ParamValue> entries; // per-entry defaults of a table
};

std::vector<ShaderBlockParam> shaderBlockParams(const OslShaderInfo& info)
{
    std::set<std::string> names;
    for (const OslParameter& parameter : info.parameters)
        names.insert(parameter.name);

    std::vector<ShaderBlockParam> params;
    ParamID next = 0;
    for (const OslParameter& parameter : info.parameters)
    {
        if (parameter.isOutput)
            continue;
        const int type = elementParamType(parameter, info);
        if (type != TYPE_VOID)
        {
            ShaderBlockParam value;
            const int flags = (type == TYPE_STRING || type == TYPE_FILENAME || type == TYPE_INT) ? 0 : P_ANIMATABLE;
            value.def = ParamDef(next++, WStr::FromUTF8(parameter.name), type, entryValue(parameter.defaults, 0, type), flags);
            const bool table = parameter.type.isArray() || parameter.type.base == OslBaseType::Matrix;
            if (table)
            {
                value.def.flags |= P_TABLE;
                value.def.tab_size = entryCount(parameter);
                for (int entry = 0; entry < value.def.tab_size; ++entry)
                    value.entries.push_back(entryValue(parameter.defaults, entry, type));
            }
            params.push_back(value);
        }
        const std::string mapName = parameter.name + "_map";
        if (names.count(mapName))
        {
            DebugPrint(L"OSL Map: no map parameter for %s, the shader has a parameter %s\n",
                       WStr::FromUTF8(parameter.name).data(), WStr::FromUTF8(mapName).data());
            continue;
        }
        ShaderBlockParam map;
        map.def = ParamDef(next++, WStr::FromUTF8(mapName), TYPE_TEXMAP, ParamValue(), 0);
        params.push_back(map);
    }
    return params;
}

ParamBlockDesc2& shaderBlockDesc();

} // namespace

// What one code text makes; immutable once made, so every map with the same
// text shares it (an import makes thousands of maps from a handful of shaders).
struct OslMap::Shader
{
    bool valid = false;
    OslShaderInfo info;
    std::string precompiled;
    std::string error;
    std::vector<ShaderBlockParam> params;
    std::shared_ptr<ParamBlockDesc2> blockDesc; // block 1's definitions
};

namespace
{

using ReadShader = OslMap::Shader;

std::shared_ptr<const ReadShader> readShader(const std::string& code, const std::vector<std::string>& folders,
                                             std::vector<std::string>& includedFiles)
{
    auto shader = std::make_shared<ReadShader>();
    if (code.find_first_not_of(" \t\r\n") != std::string::npos)
    {
        OslParseResult parsed = parseOslCode(code, std::string(), folders);
        includedFiles = parsed.includedFiles;
        if (parsed.ok())
        {
            shader->valid = true;
            shader->precompiled = compileToPrecompiled(parsed.shader);
            shader->info = std::move(parsed.shader);
        }
        else
        {
            shader->error = parsed.error;
        }
    }
    shader->params = shaderBlockParams(shader->info);
    shader->blockDesc = std::make_shared<ParamBlockDesc2>(shaderBlockDesc().ID, shaderBlockDesc().int_name);
    shader->blockDesc->cd = shaderBlockDesc().cd;
    for (const ShaderBlockParam& param : shader->params)
        shader->blockDesc->AddParam(param.def);
    return shader;
}

// Successful reads are kept, checked against the modification times of the
// files a source included; a source that includes a large header takes
// milliseconds to read.
class ShaderCache
{
  public:
    std::shared_ptr<const ReadShader> Get(const std::string& code, const std::vector<std::string>& folders)
    {
        const bool precompiled = isPrecompiled(code);
        const Key key{ code, precompiled ? std::vector<std::string>() : folders };
        const auto found = entries_.find(key);
        if (found != entries_.end() && Unchanged(found->second.files))
            return found->second.shader;
        std::vector<std::string> included;
        std::shared_ptr<const ReadShader> shader = readShader(code, folders, included);
        if (!shader->valid)
            return shader;
        if (entries_.size() >= MAX_ENTRIES)
            entries_.clear();
        Entry& entry = entries_[key];
        entry.shader = shader;
        entry.files.clear();
        for (const std::string& file : included)
            entry.files.push_back({ file, WriteTime(file) });
        return shader;
    }

  private:
    static constexpr size_t MAX_ENTRIES = 512;
    using Key = std::pair<std::string, std::vector<std::string>>;
    using Stamp = std::pair<std::string, std::filesystem::file_time_type>;
    struct Entry
    {
        std::shared_ptr<const ReadShader> shader;
        std::vector<Stamp> files;
    };
    static std::filesystem::file_time_type WriteTime(const std::string& file)
    {
        std::error_code ignored;
        return std::filesystem::last_write_time(file, ignored);
    }
    static bool Unchanged(const std::vector<Stamp>& files)
    {
        for (const Stamp& stamp : files)
            if (WriteTime(stamp.first) != stamp.second)
                return false;
        return true;
    }
    std::map<Key, Entry> entries_;
};

ShaderCache& shaderCache()
{
    static ShaderCache cache;
    return cache;
}

ParamBlockDesc2& codeBlockDesc()
{
    static ParamBlockDesc2 desc = [] {
        ParamBlockDesc2 d(CODE_BLOCK_ID, WStr(L"OSLCodeParams"));
        d.AddParam(ParamDef(OslMap::CodeParam, WStr(L"OSLCode"), TYPE_STRING, ParamValue::Text(WStr()), 0));
        d.AddParam(ParamDef(OslMap::ColorSpaceParam, WStr(L"ColorSpace"), TYPE_STRING,
                            ParamValue::Text(WStr(AUTOMATIC_COLOR_SPACE)), 0));
        return d;
    }();
    return desc;
}

// Empty until an instance's code fills its own copy.
ParamBlockDesc2& shaderBlockDesc()
{
    static ParamBlockDesc2 desc(SHADER_BLOCK_ID, WStr(L"OSLShaderParams"));
    return desc;
}

} // namespace

ClassDesc2* OslMap::GetClassDesc()
{
    static BuiltinClassDesc<OslMap> desc = [] {
        BuiltinClassDesc<OslMap> d(L"OSL Map", L"OSLMap", TEXMAP_CLASS_ID, OSL_MAP_CLASS_ID, L"Maps");
        d.AddParamBlockDesc(&codeBlockDesc());
        d.AddParamBlockDesc(&shaderBlockDesc());
        return d;
    }();
    return &desc;
}

static ClassRegistrar oslMapRegistrar(OslMap::GetClassDesc());

OslMap::OslMap(bool)
{
    static const std::shared_ptr<const ReadShader> none = std::make_shared<ReadShader>();
    shader_ = none;
    codeBlock_ = CreateParamBlock(&codeBlockDesc());
    shaderBlock_ = CreateParamBlock(&shaderBlockDesc());
    InitName(L"OSL Map");
}

OslMap::~OslMap() = default;

void* OslMap::GetInterface(ULONG id)
{
    if (id == NorvaneSDK::OSL::IOSLMAP_INTERFACE_ID)
        return static_cast<NorvaneSDK::OSL::IOSLMapInterface*>(this);
    return Texmap::GetInterface(id);
}

BaseInterface* OslMap::GetInterface(Interface_ID id)
{
    if (id == NorvaneSDK::OSL::IOSLMAP_INTERFACE)
        return static_cast<NorvaneSDK::OSL::IOSLMapInterface*>(this);
    return Texmap::GetInterface(id);
}

void OslMap::ParamChanged(IParamBlock2* block, ParamID id, int tabIndex)
{
    // Undo and redo put block 1 back by themselves; only the shader is read
    // again. A negative ID stands for the whole block (an undo of it).
    if (block == codeBlock_ && (id == CodeParam || id < 0))
        ReadCode(!theHold.RestoreOrRedoing());
}

void OslMap::ReadCode(bool rebuildBlock)
{
    const std::string code = WStr(codeBlock_->GetStr(CodeParam)).ToUTF8().str();
    std::shared_ptr<const ReadShader> shader = shaderCache().Get(code, IncludeFolders());
    if (!shader->error.empty())
        DebugPrint(L"OSL Map %s: %s\n", GetName().data(), WStr::FromUTF8(shader->error).data());
    shader_ = std::move(shader);
    if (rebuildBlock)
        RebuildShaderBlock();
}

void OslMap::RebuildShaderBlock()
{
    const std::vector<ShaderBlockParam>& params = shader_->params;
    // Tables whose shape stays keep their values, as plain parameters do.
    std::set<std::pair<std::wstring, int>> keptTables;
    for (const ParamDef& def : shaderBlock_->GetDesc()->paramdefs)
        if (def.IsTable())
            keptTables.insert({ def.int_name.str(), def.type * 1000 + def.tab_size });

    shaderBlock_->Rebuild(shader_->blockDesc);

    for (const ShaderBlockParam& param : params)
    {
        if (!param.def.IsTable() || keptTables.count({ param.def.int_name.str(), param.def.type * 1000 + param.def.tab_size }))
            continue;
        shaderBlock_->SetCount(param.def.ID, param.def.tab_size);
        for (int entry = 0; entry < param.def.tab_size; ++entry)
            writeEntry(shaderBlock_, param.def.ID, param.def.type, param.entries[static_cast<size_t>(entry)], entry);
    }
}

std::vector<ParamID> OslMap::TexmapParams()
{
    std::vector<ParamID> ids;
    for (const ParamDef& def : shaderBlock_->GetDesc()->paramdefs)
        if (def.type == TYPE_TEXMAP)
            ids.push_back(def.ID);
    return ids;
}

int OslMap::NumSubTexmaps()
{
    return static_cast<int>(TexmapParams().size());
}

Texmap* OslMap::GetSubTexmap(int i)
{
    const std::vector<ParamID> ids = TexmapParams();
    return i >= 0 && i < static_cast<int>(ids.size()) ? shaderBlock_->GetTexmap(ids[static_cast<size_t>(i)]) : nullptr;
}

void OslMap::SetSubTexmap(int i, Texmap* m)
{
    const std::vector<ParamID> ids = TexmapParams();
    if (i >= 0 && i < static_cast<int>(ids.size()))
        shaderBlock_->SetValue(ids[static_cast<size_t>(i)], 0, m);
}

WStr OslMap::GetSubTexmapSlotName(int i)
{
    const std::vector<ParamID> ids = TexmapParams();
    if (i < 0 || i >= static_cast<int>(ids.size()))
        return WStr();
    const ParamDef* def = shaderBlock_->GetDesc()->FindParamDef(ids[static_cast<size_t>(i)]);
    return def ? def->int_name : WStr();
}

WStr OslMap::GetShaderName()
{
    return shader_->valid ? WStr::FromUTF8(shader_->info.name) : WStr();
}
WStr OslMap::GetPrecompiledCode()
{
    return WStr::FromUTF8(shader_->precompiled);
}
WStr OslMap::GetCodeError()
{
    return WStr::FromUTF8(shader_->error);
}

AColor OslMap::EvalColor(float u, float v)
{
    return EvaluateMap(this, u, v);
}

void OslMap::SetIncludeFolders(const std::vector<std::string>& folders)
{
    configuredFolders() = folders;
}

std::vector<std::string> OslMap::IncludeFolders()
{
    std::vector<std::string> folders = configuredFolders();
    static const std::string hostFolder = hostShaderFolder();
    if (!hostFolder.empty())
        folders.push_back(hostFolder);
    if (IFileResolutionManager* resolver = IFileResolutionManager::GetInstance())
        for (int i = 0; i < resolver->GetNumSearchPaths(ASSET_TYPE_OTHER); ++i)
            folders.push_back(resolver->GetSearchPath(i, ASSET_TYPE_OTHER).ToUTF8().str());
    return folders;
}

} // namespace Norvane
