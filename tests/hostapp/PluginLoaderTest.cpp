// Loading modules through their entry points: good, wrong version, missing entry points.
#include "ClassRegistry.h"
#include "FunctionPublishing.h"
#include "PluginLoader.h"
#include "TestModules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dlfcn.h>

namespace
{

bool anyContains(const std::vector<std::string>& lines, const std::string& a, const std::string& b = {})
{
    for (const std::string& l : lines)
        if (l.find(a) != std::string::npos && l.find(b) != std::string::npos)
            return true;
    return false;
}

// Calls a counter the good module exports, through the copy the loader mapped.
int goodModuleCounter(const std::string& path, const char* name)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return -1;
    auto fn = reinterpret_cast<int (*)()>(dlsym(handle, name));
    const int n = fn ? fn() : -1;
    dlclose(handle);
    return n;
}

class PluginLoaderTest : public ::testing::Test
{
  protected:
    void TearDown() override { loader.unloadAll(); }

    // A folder holding copies of the named test modules (and any extra files).
    std::string folderWith(std::initializer_list<const char*> modules)
    {
        for (const char* m : modules)
            EXPECT_TRUE(QFile::copy(QString::fromStdString(testModulePath(m)), dir.filePath(QString(m) + ".dlu")));
        return dir.path().toStdString();
    }

    QTemporaryDir dir;
    PluginLoader loader;
};

TEST_F(PluginLoaderTest, GoodModuleIsInitialisedAndListed)
{
    const std::string path = testModulePath("good_module");
    ASSERT_TRUE(loader.loadModule(path));
    EXPECT_TRUE(loader.problems().empty());
    ASSERT_EQ(loader.modules().size(), 1u);
    const PluginModule& m = *loader.modules()[0];
    EXPECT_EQ(m.fileName(), "good_module.dlu");
    EXPECT_EQ(m.description(), L"Module for the host's tests");
    ASSERT_EQ(m.classes().size(), 1u);
    EXPECT_EQ(m.classes()[0].name, L"GoodUtility");
    EXPECT_EQ(m.classes()[0].category, L"Testing");
    EXPECT_EQ(m.classes()[0].superClassID, UTILITY_CLASS_ID);
    EXPECT_EQ(m.classes()[0].classID, Class_ID(GOOD_CLASS_A, GOOD_CLASS_B));
    EXPECT_EQ(goodModuleCounter(path, "TestInitCount"), 1);
    EXPECT_EQ(goodModuleCounter(path, "TestShutdownCount"), 0);
}

TEST_F(PluginLoaderTest, ClassesReachTheRegistryUntilShutdown)
{
    const std::string path = testModulePath("good_module");
    ASSERT_TRUE(loader.loadModule(path));
    ClassDesc* desc = Norvane::ClassRegistry::Instance().Find(UTILITY_CLASS_ID, Class_ID(GOOD_CLASS_A, GOOD_CLASS_B));
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc, loader.modules()[0]->classes()[0].desc);
    loader.shutdown();
    EXPECT_EQ(goodModuleCounter(path, "TestShutdownCount"), 1);
    EXPECT_EQ(Norvane::ClassRegistry::Instance().Find(UTILITY_CLASS_ID, Class_ID(GOOD_CLASS_A, GOOD_CLASS_B)), nullptr);
    loader.shutdown();
    EXPECT_EQ(goodModuleCounter(path, "TestShutdownCount"), 1) << "a module is shut down once";
}

TEST_F(PluginLoaderTest, PublishedInterfacesBelongToTheirModule)
{
    ASSERT_TRUE(loader.loadModule(testModulePath("good_module")));
    const PluginModule& m = *loader.modules()[0];
    ASSERT_EQ(m.interfaces().size(), 1u);
    FPStaticInterface* fpi = FPInterfaceRegistry::instance().find(std::wstring(L"Doubler"));
    ASSERT_EQ(fpi, m.interfaces()[0]);
    EXPECT_EQ(fpi->ID, Interface_ID(GOOD_INTERFACE_A, GOOD_INTERFACE_B));
    FPValue result;
    FPParams args{ FPValue(TYPE_INT, 21) };
    EXPECT_EQ(fpi->Invoke(1, result, &args), FPS_OK);
    EXPECT_EQ(result.asInt(), 42);
    loader.unloadAll();
    EXPECT_EQ(FPInterfaceRegistry::instance().find(std::wstring(L"Doubler")), nullptr)
        << "unloading the module destroys its static interface";
}

TEST_F(PluginLoaderTest, InterfaceIdTakenEarlierIsReported)
{
    FPStaticInterface first(Interface_ID(GOOD_INTERFACE_A, GOOD_INTERFACE_B), L"First", 0, nullptr, 0, FP_TAG_END);
    ASSERT_TRUE(loader.loadModule(testModulePath("good_module")));
    EXPECT_TRUE(anyContains(loader.problems(), "good_module.dlu: interface \"Doubler\" has the ID of the published "
                                               "interface \"First\", which keeps it"));
    EXPECT_EQ(GetFPStaticInterface(Interface_ID(GOOD_INTERFACE_A, GOOD_INTERFACE_B)), &first);
}

TEST_F(PluginLoaderTest, WrongVersionIsRejectedBeforeInitialising)
{
    EXPECT_FALSE(loader.loadModule(testModulePath("wrong_version_module")));
    EXPECT_TRUE(loader.modules().empty());
    ASSERT_EQ(loader.problems().size(), 1u);
    EXPECT_EQ(loader.problems()[0], testModulePath("wrong_version_module") +
                                        ": version stamp 0x5DC03B00 does not match the host's " + sdkVersionText() +
                                        "; module not loaded");
    EXPECT_EQ(FPInterfaceRegistry::instance().find(std::wstring(L"OldInterface")), nullptr)
        << "a rejected module is unloaded with what it published";
}

TEST_F(PluginLoaderTest, MissingEntryPointsAreNamed)
{
    EXPECT_FALSE(loader.loadModule(testModulePath("missing_entry_module")));
    ASSERT_EQ(loader.problems().size(), 1u);
    EXPECT_EQ(loader.problems()[0], testModulePath("missing_entry_module") +
                                        ": missing entry points LibClassDesc, LibInitialize, LibShutdown; "
                                        "module not loaded");
}

TEST_F(PluginLoaderTest, FolderLoadGoesOnPastBadModules)
{
    const std::string folder = folderWith({ "wrong_version_module", "good_module", "missing_entry_module" });
    QFile junk(dir.filePath("junk.dlu"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a module");
    junk.close();
    QFile other(dir.filePath("readme.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    EXPECT_EQ(loader.loadFolder(folder), 1);
    ASSERT_EQ(loader.modules().size(), 1u);
    EXPECT_EQ(loader.modules()[0]->fileName(), "good_module.dlu");
    ASSERT_EQ(loader.problems().size(), 3u);
    EXPECT_TRUE(anyContains(loader.problems(), "junk.dlu: cannot be opened"));
    EXPECT_TRUE(anyContains(loader.problems(), "missing_entry_module.dlu", "missing entry points"));
    EXPECT_TRUE(anyContains(loader.problems(), "wrong_version_module.dlu", "version stamp"));
}

TEST_F(PluginLoaderTest, SameModuleTwiceIsLoadedOnce)
{
    ASSERT_TRUE(loader.loadModule(testModulePath("good_module")));
    EXPECT_FALSE(loader.loadModule(testModulePath("good_module")));
    EXPECT_EQ(loader.modules().size(), 1u);
    EXPECT_TRUE(anyContains(loader.problems(), "already loaded"));
}

TEST_F(PluginLoaderTest, MissingFolderIsAProblem)
{
    EXPECT_EQ(loader.loadFolder(dir.filePath("absent").toStdString()), 0);
    ASSERT_EQ(loader.problems().size(), 1u);
    EXPECT_TRUE(anyContains(loader.problems(), "absent: plug-in folder does not exist"));
}

} // namespace
