// Which materials are written, how they are named, what the log says, and
// how the file reaches the disk.

#include "ExportTestSupport.h"

#include "export/ChildNames.h"

#include <NorvaneSDK.h>

#include <QDir>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

using namespace exporttest;

namespace
{
const std::string emptyDocument = documentText("");

// Writes of this process beyond `bytes` fail as on a full disk, until the
// guard ends.
class FileSizeLimit
{
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

  private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

class ExportDriver : public ExportTest
{
  protected:
    QStringList folderEntries() const
    {
        return QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};
} // namespace

TEST_F(ExportDriver, EmptyTableWritesTheRootOnly)
{
    EXPECT_TRUE(exportMaterials({}));
    EXPECT_EQ(written(), emptyDocument);
    EXPECT_EQ(log(), "");
}

TEST_F(ExportDriver, WrittenFileNamesNoLibraryAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(exportMaterials({ physicalMaterial(L"Red") })) << log();
    EXPECT_EQ(written().find("xi:include"), std::string::npos);
    EXPECT_EQ(written().find("nodedef"), std::string::npos);
    EXPECT_EQ(folderEntries(), QStringList{ "scene.mtlx" });
}

TEST_F(ExportDriver, SameNamedMaterialsGetDistinctNodes)
{
    ASSERT_TRUE(exportMaterials({ physicalMaterial(L"Red Paint"), physicalMaterial(L"Red Paint") })) << log();
    const std::string text = written();
    for (const char* name : { "Red_Paint", "Red_Paint_surface", "Red_Paint2", "Red_Paint_surface2" })
        EXPECT_NE(text.find(std::string(" name=\"") + name + "\""), std::string::npos) << name;
    EXPECT_NE(elementText(text, "surfacematerial", "Red_Paint2").find("nodename=\"Red_Paint_surface2\""),
              std::string::npos);
}

TEST_F(ExportDriver, SameMaterialTwiceIsWrittenOnce)
{
    Mtl* m = physicalMaterial(L"Once");
    ASSERT_TRUE(exportMaterials({ m, nullptr, m })) << log();
    const std::string text = written();
    EXPECT_NE(text.find("name=\"Once\""), std::string::npos);
    EXPECT_EQ(text.find("name=\"Once2\""), std::string::npos);
}

TEST_F(ExportDriver, WrapperIsWrittenAsTheMaterialItHolds)
{
    Mtl* inner = physicalMaterial(L"Inner");
    Mtl* wrapper = wrapperMaterial(inner);
    wrapper->SetName(L"Outer");
    ASSERT_TRUE(exportMaterials({ wrapper })) << log();
    const std::string text = written();
    EXPECT_NE(text.find("<surfacematerial name=\"Inner\""), std::string::npos);
    EXPECT_EQ(text.find("Outer"), std::string::npos);
}

TEST_F(ExportDriver, EmptyWrapperWritesNothing)
{
    EXPECT_TRUE(exportMaterials({ wrapperMaterial(nullptr) }));
    EXPECT_EQ(written(), emptyDocument);
}

TEST_F(ExportDriver, MultiSubObjectMaterialWritesNothingAndSucceeds)
{
    Mtl* multi = multiMaterial({ physicalMaterial(L"A"), physicalMaterial(L"B") });
    EXPECT_TRUE(exportMaterials({ multi }));
    EXPECT_EQ(written(), emptyDocument);
    EXPECT_EQ(log(), "");
}

TEST_F(ExportDriver, ProceduralMapIsReportedOnceAndLeftUnconnected)
{
    Mtl* first = physicalMaterial(L"First");
    Mtl* second = physicalMaterial(L"Second");
    Texmap* checker = checkerMap(L"Checks");
    setParam(first, "base_color", AColor(0.8f, 0.5f, 0.25f, 1.0f));
    setParam(first, "base_color_map", checker);
    setParam(second, "roughness_map", checker);
    EXPECT_FALSE(exportMaterials({ first, second }));
    EXPECT_EQ(log(), "Unsupported node Checks\n");
    const std::string text = written();
    EXPECT_NE(text.find("<input name=\"base_color\" type=\"color3\" value=\"0.8, 0.5, 0.25\" />"), std::string::npos);
    EXPECT_EQ(text.find("Checks"), std::string::npos);
}

TEST_F(ExportDriver, ValidationFailureIsLoggedAndTheFileStays)
{
    // An untranslatable bump map leaves the height-to-normal input unbound.
    Mtl* m = physicalMaterial(L"Broken");
    setParam(m, "bump_map", checkerMap(L"Checks"));
    EXPECT_FALSE(exportMaterials({ m }));
    EXPECT_EQ(log(), "Unsupported node Checks\n"
                     "Validation failed:\n"
                     "Node input binds no value or connection: <input name=\"in\" type=\"float\">\n");
    EXPECT_NE(written().find("<heighttonormal name=\"node1\""), std::string::npos);
}

TEST_F(ExportDriver, ExistingOutputIsReplacedWholly)
{
    writeFile(path("scene.mtlx"), std::string(100000, 'x'));
    ASSERT_TRUE(exportMaterials({})) << log();
    EXPECT_EQ(written(), emptyDocument);
    EXPECT_EQ(folderEntries(), QStringList{ "scene.mtlx" });
}

TEST_F(ExportDriver, UnwritableOutputIsReportedAndLeavesNothingBehind)
{
    // The output name is taken by a folder: nothing can be written there.
    QDir(folder->path()).mkdir("scene.mtlx");
    EXPECT_FALSE(exportMaterials({ physicalMaterial(L"Lost") }));
    EXPECT_EQ(log(), "Unable to write file '" + path("scene.mtlx").toStdString() + "'\n");
    EXPECT_TRUE(QFileInfo(path("scene.mtlx")).isDir());
    EXPECT_EQ(folderEntries(), QStringList{ "scene.mtlx" });
}

TEST_F(ExportDriver, OutputInAMissingFolderIsReported)
{
    EXPECT_FALSE(exportMaterials({}, "missing/scene.mtlx"));
    EXPECT_EQ(log(), "Unable to write file '" + path("missing/scene.mtlx").toStdString() + "'\n");
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(ExportDriver, FailedRunKeepsTheExistingOutput)
{
    // A file-size limit stands in for a full disk: the new content never fits.
    writeFile(path("scene.mtlx"), "previous content\n");
    {
        FileSizeLimit fullDisk(64);
        EXPECT_FALSE(exportMaterials({ physicalMaterial(L"New") }));
    }
    EXPECT_EQ(log(), "Unable to write file '" + path("scene.mtlx").toStdString() + "'\n");
    EXPECT_EQ(written(), "previous content\n");
    EXPECT_EQ(folderEntries(), QStringList{ "scene.mtlx" });
}

TEST_F(ExportDriver, FailedFirstRunLeavesNothingBehind)
{
    {
        FileSizeLimit fullDisk(64);
        EXPECT_FALSE(exportMaterials({ physicalMaterial(L"New") }));
    }
    EXPECT_EQ(log(), "Unable to write file '" + path("scene.mtlx").toStdString() + "'\n");
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(ExportDriver, FilesNamedLikeTheTemporaryFileAreLeftAlone)
{
    writeFile(path("scene.mtlx.tmp"), "the user's notes\n");
    writeFile(path("notes.txt"), "the link's target\n");
    ASSERT_TRUE(QFile::link(path("notes.txt"), path("other.mtlx.tmp")));
    QDir(folder->path()).mkdir("third.mtlx.tmp");
    for (const char* name : { "scene.mtlx", "other.mtlx", "third.mtlx" })
    {
        ASSERT_TRUE(exportMaterials({ physicalMaterial(L"Red") }, name)) << log();
        EXPECT_NE(written(name).find("name=\"Red\""), std::string::npos) << name;
    }
    EXPECT_EQ(readFile(path("scene.mtlx.tmp")), "the user's notes\n");
    EXPECT_EQ(readFile(path("notes.txt")), "the link's target\n");
    EXPECT_EQ(QFileInfo(path("other.mtlx.tmp")).symLinkTarget(), path("notes.txt"));
    EXPECT_TRUE(QFileInfo(path("third.mtlx.tmp")).isDir());
}

TEST_F(ExportDriver, LeftoverOfAKilledExportIsRemovedByTheNextExport)
{
    const QString leftover = path(".scene.mtlx.rozo-Ab12Cd");
    const QString othersLeftover = path(".other.mtlx.rozo-Ab12Cd");
    writeFile(leftover, "<?xml version=\"1.0\"?>\n<materi");
    writeFile(othersLeftover, "");
    ASSERT_TRUE(exportMaterials({})) << log();
    EXPECT_EQ(written(), emptyDocument);
    EXPECT_FALSE(QFileInfo::exists(leftover));
    EXPECT_TRUE(QFileInfo::exists(othersLeftover));
}

TEST_F(ExportDriver, OutputLinkIsWrittenThroughAndKeepsThePermissions)
{
    writeFile(path("real.mtlx"), "old\n");
    QFile::setPermissions(path("real.mtlx"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link(path("real.mtlx"), path("scene.mtlx")));
    ASSERT_TRUE(exportMaterials({})) << log();
    EXPECT_EQ(QFileInfo(path("scene.mtlx")).symLinkTarget(), path("real.mtlx"));
    EXPECT_EQ(readFile(path("real.mtlx")), emptyDocument);
    struct stat info;
    ASSERT_EQ(stat(QFile::encodeName(path("real.mtlx")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ExportDriver, NonAsciiPathsAreWrittenAsUtf8UnderTheCLocale)
{
    util->settings().relativeTexturePaths = false;
    const QString texture = textureFile(QString::fromUtf8("t\xc3\xa9xtures/b\xc3\xb6se.png"));
    Mtl* m = physicalMaterial(L"Utf");
    setParam(m, "base_color_map", bitmap(L"Img", texture));
    {
        LocaleGuard cLocale(LC_ALL, "C");
        ASSERT_TRUE(exportMaterials({ m })) << log();
    }
    EXPECT_NE(written().find("value=\"" + texture.toStdString() + "\""), std::string::npos) << written();
}

TEST_F(ExportDriver, ExportFolderIsCutAtTheLastSeparator)
{
    ExportRun inFolder(util->settings());
    inFolder.exportMaterials(WStr::FromQString(path("scene.mtlx")), {});
    EXPECT_EQ(inFolder.exportFolder, folder->path() + "/");
    ExportRun beside(util->settings());
    beside.exportMaterials(WStr(L"out.mtlx"), {});
    EXPECT_EQ(beside.exportFolder, QString());
    QFile::remove("out.mtlx");
    ExportRun backslash(util->settings());
    backslash.exportMaterials(WStr::FromQString(folder->path() + "\\back.mtlx"), {});
    EXPECT_EQ(backslash.exportFolder, folder->path() + "\\");
    QFile::remove(folder->path() + "\\back.mtlx");
}

TEST(UniqueChildName, GivesWhatTheLibraryGivesAsTheDocumentGrows)
{
    mx::DocumentPtr doc = mx::createDocument();
    doc->addNode("constant", "Bitmap3", "float");
    doc->addNode("constant", "node2", "float");
    std::map<std::string, std::string> chains;
    for (const char* name : { "Bitmap", "Bitmap", "Bitmap", "node1", "Bitmap2", "node1", "Map #1", "Map #1", "", "node1" })
    {
        const std::string expected = doc->createValidChildName(name);
        const std::string given = rozo::uniqueChildName(doc, name, chains);
        EXPECT_EQ(given, expected) << name;
        doc->addNode("constant", given, "float");
    }
}
