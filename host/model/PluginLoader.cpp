#include "PluginLoader.h"

#include "ClassDesc.h"
#include "ClassRegistry.h"
#include "DebugPrint.h"
#include "WStr.h"
#include "FunctionPublishing.h"
#include "Utf8Text.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace
{

std::string hex8(ULONG v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

bool hasModuleSuffix(const fs::path& p)
{
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dlu";
}

template <typename Fn>
Fn entry(void* handle, const char* name, std::vector<std::string>& missing)
{
    void* sym = dlsym(handle, name);
    if (!sym)
        missing.emplace_back(name);
    return reinterpret_cast<Fn>(sym);
}

std::wstring text(const wchar_t* s)
{
    return s ? std::wstring(s) : std::wstring();
}

} // namespace

PluginLoader::~PluginLoader()
{
    shutdown();
}

int PluginLoader::loadFolder(const std::string& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
    {
        report(folder + ": plug-in folder does not exist");
        return 0;
    }
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (hasModuleSuffix(it->path()) && it->is_regular_file(ec))
            files.push_back(it->path());
    if (ec)
        report(folder + ": cannot read the plug-in folder: " + ec.message());
    std::sort(files.begin(), files.end());
    int loaded = 0;
    for (const fs::path& f : files)
        loaded += loadModule(f.string()) ? 1 : 0;
    return loaded;
}

void PluginLoader::report(std::string problem)
{
    DebugPrint(L"Plug-in loader: %hs\n", problem.c_str());
    problems_.push_back(std::move(problem));
}

bool PluginLoader::reject(const std::string& path, const std::string& what, void* handle)
{
    report(path + ": " + what + "; module not loaded");
    if (handle)
        dlclose(handle);
    return false;
}

bool PluginLoader::loadModule(const std::string& file)
{
    // Messages name the file by its full path, as the loader opens it.
    std::error_code ec;
    std::string path = fs::weakly_canonical(file, ec).string();
    if (ec || path.empty())
        path = file;
    for (const auto& m : modules_)
        if (m->path_ == path)
        {
            report(path + ": already loaded");
            return false;
        }

    // Interfaces that register during static initialisation belong to this module.
    const std::vector<FPStaticInterface*> before = FPInterfaceRegistry::instance().interfaces();
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* why = dlerror();
        return reject(path, std::string("cannot be opened: ") + (why ? why : "unknown reason"), nullptr);
    }

    std::vector<std::string> missing;
    auto libDescription = entry<PluginEntry::LibDescriptionFn>(handle, "LibDescription", missing);
    auto libNumberClasses = entry<PluginEntry::LibNumberClassesFn>(handle, "LibNumberClasses", missing);
    auto libClassDesc = entry<PluginEntry::LibClassDescFn>(handle, "LibClassDesc", missing);
    auto libVersion = entry<PluginEntry::LibVersionFn>(handle, "LibVersion", missing);
    auto libInitialize = entry<PluginEntry::LibInitializeFn>(handle, "LibInitialize", missing);
    auto libShutdown = entry<PluginEntry::LibShutdownFn>(handle, "LibShutdown", missing);
    if (!missing.empty())
    {
        std::string names;
        for (const std::string& n : missing)
            names += (names.empty() ? "" : ", ") + n;
        return reject(path, (missing.size() == 1 ? "missing entry point " : "missing entry points ") + names, handle);
    }

    const ULONG version = libVersion();
    if (version != NORVANE_SDK_VERSION)
        return reject(path, "version stamp " + hex8(version) + " does not match the host's " + hex8(NORVANE_SDK_VERSION),
                      handle);
    if (!libInitialize())
        return reject(path, "LibInitialize reported failure", handle);

    auto module = std::make_unique<PluginModule>();
    module->path_ = path;
    module->fileName_ = fs::path(path).filename().string();
    module->description_ = text(libDescription());
    module->handle_ = handle;
    module->shutdown_ = libShutdown;
    module->active_ = true;

    registerClasses(*module, libNumberClasses(), libClassDesc);
    collectInterfaces(*module, before);
    modules_.push_back(std::move(module));
    return true;
}

void PluginLoader::registerClasses(PluginModule& module, int count, PluginEntry::LibClassDescFn classDesc)
{
    Norvane::ClassRegistry& registry = Norvane::ClassRegistry::Instance();
    for (int i = 0; i < count; ++i)
    {
        ClassDesc* desc = classDesc(i);
        if (!desc)
        {
            report(module.path_ + ": class " + std::to_string(i) + " of " + std::to_string(count) +
                   " has no descriptor; skipped");
            continue;
        }
        ClassDesc* known = registry.Find(desc->SuperClassID(), desc->ClassID());
        if (known && known != desc)
        {
            report(module.path_ + ": class \"" + Norvane::Utf8FromWide(text(desc->ClassName())) + "\" has the IDs of the known class \"" +
                   Norvane::Utf8FromWide(text(known->ClassName())) + "\"; skipped");
            continue;
        }
        registry.Register(desc);
        PluginClassInfo info;
        info.desc = desc;
        info.name = text(desc->ClassName());
        info.category = text(desc->Category());
        info.superClassID = desc->SuperClassID();
        info.classID = desc->ClassID();
        module.classes_.push_back(std::move(info));
    }
}

void PluginLoader::collectInterfaces(PluginModule& module, const std::vector<FPStaticInterface*>& before)
{
    const std::set<FPStaticInterface*> earlier(before.begin(), before.end());
    for (FPStaticInterface* fpi : FPInterfaceRegistry::instance().interfaces())
    {
        if (earlier.count(fpi))
            continue;
        const std::string name = "interface \"" + Norvane::Utf8FromWide(fpi->internal_name) + "\"";
        if (!fpi->isValid())
            report(module.path_ + ": " + fpi->loadError());
        for (FPStaticInterface* other : before)
            if (other->ID == fpi->ID)
                report(module.path_ + ": " + name + " has the ID of the published interface \"" +
                       Norvane::Utf8FromWide(other->internal_name) + "\", which keeps it");
        module.interfaces_.push_back(fpi);
    }
}

void PluginLoader::shutdown()
{
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
    {
        PluginModule& m = **it;
        if (!m.active_)
            continue;
        m.active_ = false;
        for (const PluginClassInfo& c : m.classes_)
            Norvane::ClassRegistry::Instance().Unregister(c.desc);
        m.shutdown_();
    }
}

void PluginLoader::unloadAll()
{
    shutdown();
    while (!modules_.empty())
    {
        dlclose(modules_.back()->handle_);
        modules_.pop_back();
    }
}

const PluginModule* PluginLoader::findModule(const std::string& fileName) const
{
    for (const auto& m : modules_)
        if (m->fileName_ == fileName)
            return m.get();
    return nullptr;
}
