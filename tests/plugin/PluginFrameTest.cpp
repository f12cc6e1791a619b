// The real module, loaded the way the host loads it, answers the host's queries.

#include <NorvaneSDK.h>

#include "TestApplication.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

// Qt's font set-up for the panel widget keeps a few blocks for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace
{
class PluginFrame : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        rozo::test::ensureApplication();
        // The module of the build tree's layout, or of an installed one when named.
        const char* module = std::getenv("ROZO_PLUGIN_UNDER_TEST");
        handle = dlopen(module && *module ? module : ROZO_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }

    template <typename Function> static Function entry(const char* name)
    {
        void* symbol = dlsym(handle, name);
        EXPECT_NE(symbol, nullptr) << name << " is not exported";
        return reinterpret_cast<Function>(symbol);
    }

    static ClassDesc* classDesc() { return entry<ClassDesc* (*)(int)>("LibClassDesc")(0); }

    static void* handle;
};

void* PluginFrame::handle = nullptr;

TEST_F(PluginFrame, ExportsTheSixEntryPointsUnmangled)
{
    for (const char* name :
         {"LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion", "LibInitialize", "LibShutdown"})
        EXPECT_NE(dlsym(handle, name), nullptr) << name;
}

TEST_F(PluginFrame, ExportsNothingElse)
{
    // Hidden visibility keeps the plug-in's own classes and its MaterialX copy private.
    EXPECT_EQ(dlsym(handle, "_Z13getMtlXIOUtilv"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN9MaterialX14createDocumentEv"), nullptr);
}

TEST_F(PluginFrame, ReportsVersionClassCountAndDescription)
{
    EXPECT_EQ(entry<ULONG (*)()>("LibVersion")(), 0x5DC03C00u);
    EXPECT_EQ(entry<int (*)()>("LibNumberClasses")(), 1);
    EXPECT_EQ(entry<int (*)()>("LibInitialize")(), 1);
    const wchar_t* description = entry<const wchar_t* (*)()>("LibDescription")();
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(std::wstring(description), L"MaterialX for Norvane");
}

TEST_F(PluginFrame, HasOneClassDescriptor)
{
    auto libClassDesc = entry<ClassDesc* (*)(int)>("LibClassDesc");
    ClassDesc* first = libClassDesc(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(libClassDesc(0), first);
    EXPECT_EQ(libClassDesc(1), nullptr);
    EXPECT_EQ(libClassDesc(-1), nullptr);
}

TEST_F(PluginFrame, DescriptorDescribesThePublicUtilityClass)
{
    ClassDesc* desc = classDesc();
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->IsPublic(), 1);
    EXPECT_EQ(desc->SuperClassID(), 0x1020u);
    EXPECT_EQ(desc->ClassID(), Class_ID(0x75559941, 0x7AF4F8E0));
    EXPECT_EQ(std::wstring(desc->Category()), L"MaterialX");
    EXPECT_EQ(std::wstring(desc->ClassName()), L"MtlXIOUtil");
    EXPECT_EQ(std::wstring(desc->NonLocalizedClassName()), L"MtlXIOUtil");
    EXPECT_EQ(std::wstring(desc->InternalName()), L"MtlXIOUtil");
    EXPECT_NE(desc->HInstance(), nullptr);
}

TEST_F(PluginFrame, CreatingTwiceGivesTheOneUtilityObject)
{
    ClassDesc* desc = classDesc();
    void* first = desc->Create(false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(desc->Create(true), first);
}

TEST_F(PluginFrame, UtilityOpensAndClosesOnTheHostPanel)
{
    struct RecordingPanel : IUtil
    {
        int AddRollupPage(QWidget* page, const WStr& title, DWORD flags, int category) override
        {
            added = page;
            this->title = title;
            this->category = category;
            this->flags = flags;
            return 0;
        }
        void DeleteRollupPage(QWidget* page) override
        {
            deleted = page;
            delete page;
        }
        QWidget* added = nullptr;
        QWidget* deleted = nullptr;
        WStr title;
        int category = 0;
        DWORD flags = 1;
    } panel;

    auto* utility = static_cast<UtilityObj*>(classDesc()->Create(false));
    utility->BeginEditParams(nullptr, &panel);
    ASSERT_NE(panel.added, nullptr);
    EXPECT_EQ(panel.title, WStr(L"MaterialX Import/Export"));
    EXPECT_EQ(panel.category, 4000);
    EXPECT_EQ(panel.flags, 0u);
    utility->EndEditParams(nullptr, &panel);
    EXPECT_EQ(panel.deleted, panel.added);
}
} // namespace
