// The real module, loaded the way the host loads it, answers the host's queries.

#include <NorvaneSDK.h>

#include "TestApplication.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

// Qt's font set-up for the panel widget keeps a few blocks for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

namespace
{
const char* moduleUnderTest()
{
    // The module of the build tree's layout, or of an installed one when named.
    const char* module = std::getenv("ROZO_PLUGIN_UNDER_TEST");
    return module && *module ? module : ROZO_PLUGIN_MODULE;
}

// What a shared object offers the programs that load it: the defined,
// non-local, visible entries of its dynamic symbol table. Empty when the
// file is not a 64-bit ELF object.
std::set<std::string> exportedSymbols(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    Elf64_Ehdr header;
    if (bytes.size() < sizeof header)
        return names;
    std::memcpy(&header, bytes.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shoff + size_t(header.e_shnum) * sizeof(Elf64_Shdr) > bytes.size())
        return names;
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), bytes.data() + header.e_shoff, sections.size() * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& table : sections)
    {
        if (table.sh_type != SHT_DYNSYM || table.sh_link >= sections.size())
            continue;
        const Elf64_Shdr& strings = sections[table.sh_link];
        if (table.sh_offset + table.sh_size > bytes.size() || strings.sh_offset + strings.sh_size > bytes.size())
            return names;
        for (size_t i = 0; i < table.sh_size / sizeof(Elf64_Sym); ++i)
        {
            Elf64_Sym symbol;
            std::memcpy(&symbol, bytes.data() + table.sh_offset + i * sizeof symbol, sizeof symbol);
            const bool defined = symbol.st_shndx != SHN_UNDEF;
            const bool local = ELF64_ST_BIND(symbol.st_info) == STB_LOCAL;
            const unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
            if (!defined || local || visibility == STV_HIDDEN || visibility == STV_INTERNAL ||
                symbol.st_name >= strings.sh_size)
                continue;
            const char* name = bytes.data() + strings.sh_offset + symbol.st_name;
            names.insert(std::string(name, strnlen(name, strings.sh_size - symbol.st_name)));
        }
    }
    return names;
}

class PluginFrame : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        rozo::test::ensureApplication();
        handle = dlopen(moduleUnderTest(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }

    template <typename Function> static Function entry(const char* name)
    {
        void* symbol = dlsym(handle, name);
        EXPECT_NE(symbol, nullptr) << name << " is not exported";
        return reinterpret_cast<Function>(symbol);
    }

    static ClassDesc* classDesc() { return entry<ClassDesc* (*) (int)>("LibClassDesc")(0); }

    static void* handle;
};

void* PluginFrame::handle = nullptr;

TEST_F(PluginFrame, ExportsTheSixEntryPointsUnmangled)
{
    for (const char* name :
         { "LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion", "LibInitialize", "LibShutdown" })
        EXPECT_NE(dlsym(handle, name), nullptr) << name;
}

TEST_F(PluginFrame, ExportsNothingElse)
{
    // The plug-in's own classes, its MaterialX copy and the standard library
    // code compiled into it all stay private.
    EXPECT_EQ(exportedSymbols(moduleUnderTest()),
              (std::set<std::string>{ "LibClassDesc", "LibDescription", "LibInitialize", "LibNumberClasses", "LibShutdown",
                                      "LibVersion" }));
}

TEST_F(PluginFrame, ReportsVersionClassCountAndDescription)
{
    EXPECT_EQ(entry<ULONG (*)()>("LibVersion")(), NORVANE_SDK_VERSION);
    EXPECT_EQ(entry<int (*)()>("LibNumberClasses")(), 1);
    EXPECT_EQ(entry<int (*)()>("LibInitialize")(), 1);
    const wchar_t* description = entry<const wchar_t* (*) ()>("LibDescription")();
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(std::wstring(description), L"MaterialX for Norvane");
}

TEST_F(PluginFrame, HasOneClassDescriptor)
{
    auto libClassDesc = entry<ClassDesc* (*) (int)>("LibClassDesc");
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
