#pragma once
// Loads plug-in modules (*.dlu) through their six exported entry points and
// keeps them loaded until shutdown.

#include <memory>
#include <string>
#include <vector>

#include "ClassID.h"
#include "NorvaneTypes.h"
#include "SdkVersion.h"

class ClassDesc;
class FPStaticInterface;

// The entry points every module exports unmangled.
namespace PluginEntry
{
using LibDescriptionFn = const wchar_t* (*) ();
using LibNumberClassesFn = int (*)();
using LibClassDescFn = ClassDesc* (*) (int);
using LibVersionFn = ULONG (*)();
using LibInitializeFn = int (*)();
using LibShutdownFn = int (*)();
} // namespace PluginEntry

struct PluginClassInfo
{
    ClassDesc* desc = nullptr;
    std::wstring name;
    std::wstring category;
    SClass_ID superClassID = 0;
    Class_ID classID;
};

class PluginModule
{
  public:
    const std::string& path() const { return path_; }
    const std::string& fileName() const { return fileName_; }
    const std::wstring& description() const { return description_; }
    const std::vector<PluginClassInfo>& classes() const { return classes_; }
    // Static interfaces the module published while it loaded.
    const std::vector<FPStaticInterface*>& interfaces() const { return interfaces_; }

  private:
    friend class PluginLoader;
    std::string path_;
    std::string fileName_;
    std::wstring description_;
    std::vector<PluginClassInfo> classes_;
    std::vector<FPStaticInterface*> interfaces_;
    void* handle_ = nullptr;
    PluginEntry::LibShutdownFn shutdown_ = nullptr;
    bool active_ = false; // initialised and not yet shut down
};

class PluginLoader
{
  public:
    PluginLoader() = default;
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // Loads every *.dlu in `folder`, in name order; a module that fails is
    // reported in problems() and skipped. Returns the number loaded.
    int loadFolder(const std::string& folder);
    // Loads one module; false (with a problem recorded) when it is rejected.
    bool loadModule(const std::string& file);
    // Withdraws the modules' classes and calls their LibShutdown, last loaded
    // first. The modules stay mapped, since the host may still hold their
    // objects; the destructor does this.
    void shutdown();
    // shutdown(), then unmaps every module and forgets it. Only for when no
    // object made by a module is alive any more.
    void unloadAll();

    const std::vector<std::unique_ptr<PluginModule>>& modules() const { return modules_; }
    const PluginModule* findModule(const std::string& fileName) const;
    // One line per problem, each naming the file and what is wrong.
    const std::vector<std::string>& problems() const { return problems_; }

  private:
    void report(std::string problem);
    void registerClasses(PluginModule& module, int count, PluginEntry::LibClassDescFn classDesc);
    // Records the interfaces registered since `before` as the module's.
    void collectInterfaces(PluginModule& module, const std::vector<FPStaticInterface*>& before);
    bool reject(const std::string& path, const std::string& what, void* handle);

    std::vector<std::unique_ptr<PluginModule>> modules_;
    std::vector<std::string> problems_;
};
