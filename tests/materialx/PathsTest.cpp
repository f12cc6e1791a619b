#include <MaterialXFormat/File.h>
#include <MaterialXFormat/Util.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace mx = MaterialX;
namespace fs = std::filesystem;

namespace
{

TEST(FilePathSyntax, PosixAndWindowsForms)
{
    const mx::FilePath abs("/usr/share/libraries/stdlib");
    EXPECT_TRUE(abs.isAbsolute());
    EXPECT_EQ(abs.size(), 4u);
    EXPECT_EQ(abs.asString(), "/usr/share/libraries/stdlib");
    EXPECT_EQ(abs.asString(mx::FilePath::FormatPosix), "/usr/share/libraries/stdlib");
    EXPECT_EQ(abs.asString(mx::FilePath::FormatWindows), "usr\\share\\libraries\\stdlib");

    // A backslash separates parts too.
    const mx::FilePath mixed("libraries\\stdlib/genosl");
    EXPECT_FALSE(mixed.isAbsolute());
    EXPECT_EQ(mixed.asString(), "libraries/stdlib/genosl");
    EXPECT_EQ(mixed.asString(mx::FilePath::FormatWindows), "libraries\\stdlib\\genosl");
    EXPECT_EQ(mx::FilePath(mixed.asString(mx::FilePath::FormatWindows)), mixed);

    mx::FilePath win;
    win.assign("C:\\Program Files\\Host\\plugins\\x.dlu", mx::FilePath::FormatWindows);
    EXPECT_TRUE(win.isAbsolute());
    EXPECT_EQ(win.asString(mx::FilePath::FormatWindows), "C:\\Program Files\\Host\\plugins\\x.dlu");
    EXPECT_EQ(win.getParentPath().getParentPath().getBaseName(), "Host");

    mx::FilePath unc;
    unc.assign("\\\\server\\share\\a.mtlx", mx::FilePath::FormatWindows);
    EXPECT_TRUE(unc.isAbsolute());
    EXPECT_EQ(unc.asString(mx::FilePath::FormatWindows), "\\\\server\\share\\a.mtlx");

    // Repeated and trailing separators carry no empty parts.
    EXPECT_EQ(mx::FilePath("a//b/").asString(), "a/b");
    EXPECT_EQ(mx::FilePath("/").asString(), "/");
    EXPECT_TRUE(mx::FilePath("/").isEmpty());
    EXPECT_TRUE(mx::FilePath("").isEmpty());
    EXPECT_TRUE(mx::FilePath(static_cast<const char*>(nullptr)).isEmpty());
}

TEST(FilePathSyntax, ParentBaseNameAndExtension)
{
    mx::FilePath p("/a/b/wood.tiled.png");
    EXPECT_EQ(p.getBaseName(), "wood.tiled.png");
    EXPECT_EQ(p.getExtension(), "png");
    EXPECT_EQ(p.getParentPath().asString(), "/a/b");
    EXPECT_TRUE(p.getParentPath().isAbsolute());
    EXPECT_EQ(p.getParentPath().getParentPath().getParentPath().asString(), "/");
    EXPECT_EQ(mx::FilePath("x").getParentPath().asString(), "");
    EXPECT_EQ(mx::FilePath().getParentPath(), mx::FilePath());
    EXPECT_EQ(mx::FilePath("noext").getExtension(), "");
    EXPECT_EQ(mx::FilePath().getBaseName(), "");

    p.removeExtension();
    EXPECT_EQ(p.asString(), "/a/b/wood.tiled");
    p.addExtension("mtlx");
    EXPECT_EQ(p.asString(), "/a/b/wood.tiled.mtlx");
    mx::FilePath none("file");
    none.removeExtension();
    EXPECT_EQ(none.asString(), "file");
}

TEST(FilePathSyntax, JoiningAndNormalizing)
{
    const mx::FilePath root("/install/root");
    EXPECT_EQ((root / mx::FilePath("libraries/stdlib")).asString(), "/install/root/libraries/stdlib");
    EXPECT_EQ((root / mx::FilePath("a\\b")).asString(), "/install/root/a/b");
    EXPECT_EQ((mx::FilePath() / mx::FilePath("a")).asString(), "a");
    EXPECT_EQ((root / mx::FilePath()).asString(), "/install/root");
    EXPECT_THROW(root / mx::FilePath("/abs"), mx::Exception);

    EXPECT_EQ(mx::FilePath("a/./b/../c").getNormalized().asString(), "a/c");
    EXPECT_EQ(mx::FilePath("../../a").getNormalized().asString(), "../../a");
    EXPECT_EQ(mx::FilePath("/x/y/..").getNormalized().asString(), "/x");

    EXPECT_EQ(static_cast<std::string>(root), "/install/root");
    EXPECT_EQ(root[1], "root");
}

// A scratch folder per test, removed afterwards.
class FileSystemTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/mx_paths_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        _dir = pattern;
        _root = mx::FilePath(_dir.string());
    }
    void TearDown() override { fs::remove_all(_dir); }

    void touch(const std::string& relative)
    {
        fs::create_directories((_dir / relative).parent_path());
        std::ofstream(_dir / relative) << "x";
    }

    fs::path _dir;
    mx::FilePath _root;
};

TEST_F(FileSystemTest, ExistsAndIsDirectory)
{
    touch("a.mtlx");
    EXPECT_TRUE(_root.exists());
    EXPECT_TRUE(_root.isDirectory());
    EXPECT_TRUE((_root / "a.mtlx").exists());
    EXPECT_FALSE((_root / "a.mtlx").isDirectory());
    EXPECT_FALSE((_root / "missing").exists());
    EXPECT_FALSE((_root / "missing").isDirectory());

    const mx::FilePath made = _root / "made";
    made.createDirectory();
    EXPECT_TRUE(made.isDirectory());

    // Missing parents are made only when asked for.
    const mx::FilePath deep = _root / "x" / "y" / "z";
    deep.createDirectory();
    EXPECT_FALSE(deep.exists());
    deep.createDirectory(true);
    EXPECT_TRUE(deep.isDirectory());
    EXPECT_NO_THROW(deep.createDirectory(true));
}

TEST_F(FileSystemTest, FilesInDirectoryKeepEnumerationOrderAndSkipFolders)
{
    // Enough names that a sorted listing would differ from the file system's.
    for (const char* name : { "zeta.mtlx", "alpha.mtlx", "mid.mtlx", "beta.mtlx", "omega.mtlx", "gamma.mtlx",
                              "Upper.MTLX", "notes.txt", "old.mtlx.bak", "noext" })
        touch(name);
    touch("sub.mtlx/inner.mtlx"); // a folder named like a library file, with a file inside
    touch("pbrlib/deep.mtlx");

    std::vector<std::string> expected;
    for (const fs::directory_entry& e : fs::directory_iterator(_dir))
    {
        const std::string name = e.path().filename().string();
        if (!e.is_directory() && e.path().extension() == ".mtlx")
            expected.push_back(name);
    }

    std::vector<std::string> got;
    for (const mx::FilePath& f : _root.getFilesInDirectory("mtlx"))
    {
        EXPECT_FALSE(f.isAbsolute());
        EXPECT_EQ(f.size(), 1u) << "plain file names only";
        got.push_back(f.asString());
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.size(), 6u);

    // No extension: every file, still no folders.
    EXPECT_EQ(_root.getFilesInDirectory().size(), 10u);
    EXPECT_TRUE((_root / "missing").getFilesInDirectory("mtlx").empty());
}

TEST_F(FileSystemTest, SubDirectoriesIncludeTheFolderItselfAndDescend)
{
    touch("a/b/c/file.mtlx");
    touch("d/file.mtlx");
    mx::FilePathVec dirs = _root.getSubDirectories();
    ASSERT_EQ(dirs.size(), 5u);
    EXPECT_EQ(dirs.front(), _root);
    EXPECT_TRUE((_root / "a.mtlx").getSubDirectories().empty());
}

TEST_F(FileSystemTest, CurrentPathIsAbsolute)
{
    const mx::FilePath cwd = mx::FilePath::getCurrentPath();
    EXPECT_TRUE(cwd.isAbsolute());
    EXPECT_TRUE(cwd.isDirectory());
    EXPECT_TRUE(mx::FilePath::getModulePath().isDirectory());
}

TEST_F(FileSystemTest, ReadFileReturnsTheBytesOrNothing)
{
    using namespace std::string_literals;
    const std::string bytes = "<a name=\"caf\xc3\xa9\xff\" />\0tail"s;
    std::ofstream(_dir / "raw.mtlx", std::ios::binary) << bytes;
    EXPECT_EQ(mx::readFile(_root / "raw.mtlx"), bytes);
    EXPECT_EQ(mx::readFile(_root / "missing.mtlx"), "");
    EXPECT_EQ(mx::readFile(_root), ""); // a folder reads as nothing

    touch("lib/a/b.mtlx");
    mx::FilePathVec dirs;
    mx::FileSearchPath sp;
    sp.append(_root);
    mx::getSubdirectories({ mx::FilePath("lib"), mx::FilePath("nowhere") }, sp, dirs);
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[0], _root / "lib");
    EXPECT_EQ(dirs[1], _root / "lib/a");
}

TEST_F(FileSystemTest, SearchPathFindsTheFirstExistingEntry)
{
    touch("B/libraries/stdlib/stdlib_defs.mtlx");
    touch("libraries/stdlib/other.mtlx");
    touch("libraries/pbrlib/pbrlib_defs.mtlx");

    // The order the plug-in builds: B, B/libraries, the install's parent.
    mx::FileSearchPath sp;
    sp.append(_root / "B" / "libraries");
    sp.append(_root);
    sp.prepend(_root / "B");
    ASSERT_EQ(sp.size(), 3u);
    EXPECT_EQ(sp[0], _root / "B");
    EXPECT_EQ(sp[2], _root);

    EXPECT_EQ(sp.find("libraries/stdlib"), _root / "B/libraries/stdlib");
    EXPECT_EQ(sp.find(mx::FilePath("libraries\\pbrlib")), _root / "libraries/pbrlib");
    EXPECT_EQ(sp.find("stdlib/stdlib_defs.mtlx"), _root / "B/libraries/stdlib/stdlib_defs.mtlx");
    // Not found: the relative path comes back unchanged.
    EXPECT_EQ(sp.find("libraries/bxdf"), mx::FilePath("libraries/bxdf"));
    // An absolute path is returned as it is, found or not.
    EXPECT_EQ(sp.find("/no/such/file"), mx::FilePath("/no/such/file"));
    EXPECT_EQ(mx::FileSearchPath().find("libraries/stdlib"), mx::FilePath("libraries/stdlib"));
    EXPECT_EQ(sp.find(mx::FilePath()), mx::FilePath());

    int count = 0;
    for (const mx::FilePath& entry : sp)
        count += entry.isAbsolute();
    EXPECT_EQ(count, 3);
    sp.clear();
    EXPECT_TRUE(sp.isEmpty());
}

TEST(FileSearchPathStrings, ConstructAppendAndFormat)
{
    mx::FileSearchPath sp("/a:/b/c::rel");
    ASSERT_EQ(sp.size(), 3u);
    EXPECT_EQ(sp[2].asString(), "rel");
    EXPECT_EQ(sp.asString(), "/a:/b/c:rel");
    EXPECT_EQ(sp.asString(";"), "/a;/b/c;rel");
    EXPECT_EQ(mx::FileSearchPath("x;y", ";").size(), 2u);

    mx::FileSearchPath other("/z");
    sp.append(other);
    EXPECT_EQ(sp.asString(), "/a:/b/c:rel:/z");
    EXPECT_TRUE(mx::FileSearchPath("").isEmpty());
}

TEST(FileSearchPathStrings, EnvironmentPath)
{
    ::setenv("MATERIALX_SEARCH_PATH", "/env/one:/env/two", 1);
    EXPECT_EQ(mx::getEnvironmentPath().asString(), "/env/one:/env/two");
    ::unsetenv("MATERIALX_SEARCH_PATH");
    EXPECT_TRUE(mx::getEnvironmentPath().isEmpty());
}

} // anonymous namespace
