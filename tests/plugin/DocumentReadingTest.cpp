// Reading a user document: pruning, merging, the two validation reports and
// the diagnostic copies.

#include "PluginTestSupport.h"

#include "import/DocumentReading.h"
#include "import/ImportRun.h"

#include <MaterialXFormat/XmlIo.h>

#include <cstdlib>

namespace rozo::test
{
namespace
{
const std::string EXAMPLES = ROZO_EXAMPLES_DIR;

class DocumentReading : public ::testing::Test
{
  protected:
    std::string write(const std::string& name, const std::string& text) { return writeFile(dir.path(), QString::fromStdString(name), text); }

    StagedUtil util;
    ImportRun run{ util.settings() };
    QTemporaryDir dir;
};

TEST_F(DocumentReading, StandardSurfaceStaysOneNodeAfterFlattening)
{
    mx::DocumentPtr doc = run.readImportDocument(EXAMPLES + "/standard_surface_default.mtlx");
    EXPECT_EQ(run.messageLog.text(), "");
    ASSERT_FALSE(doc->getMaterialNodes().empty());
    mx::NodePtr material = doc->getMaterialNodes().front();
    mx::NodePtr shader = doc->getNode(material->getInput("surfaceshader")->getNodeName());
    ASSERT_TRUE(shader);
    EXPECT_EQ(shader->getCategory(), "standard_surface");
}

TEST_F(DocumentReading, UserGraphNamedLikeTheOldImplementationIsRemoved)
{
    const std::string path = write("own_impl.mtlx", mtlx("  <nodegraph name=\"IMPL_standard_surface_surfaceshader\">\n"
                                                         "    <constant name=\"c\" type=\"float\" />\n"
                                                         "    <output name=\"out\" type=\"float\" nodename=\"c\" />\n"
                                                         "  </nodegraph>\n"
                                                         "  <nodegraph name=\"NG_mine\">\n"
                                                         "    <constant name=\"c\" type=\"float\" />\n"
                                                         "    <output name=\"out\" type=\"float\" nodename=\"c\" />\n"
                                                         "  </nodegraph>\n"));
    mx::DocumentPtr doc = run.readImportDocument(path);
    EXPECT_FALSE(doc->getNodeGraph("IMPL_standard_surface_surfaceshader"));
    EXPECT_TRUE(doc->getNodeGraph("NG_mine"));
}

TEST_F(DocumentReading, EachValidationReportHoldsOnlyItsOwnLines)
{
    const std::string path = EXAMPLES + "/bad_types.mtlx";
    // The reports as the document library gives them at each stage.
    mx::DocumentPtr expected = mx::createDocument();
    mx::readFromXmlFile(expected, mx::FilePath(path), util.settings().librarySearchPath);
    expected->importLibrary(util.settings().libraryDocument);
    std::string before, after;
    ASSERT_FALSE(expected->validate(&before));
    expected->flattenSubgraphs();
    ASSERT_FALSE(expected->validate(&after));

    run.readImportDocument(path);
    EXPECT_EQ(run.messageLog.text(), "Validation failed:\n" + before + "Post-flatten validation failed:\n" + after);
}

TEST_F(DocumentReading, MalformedDocumentRaisesTheReaderMessage)
{
    try
    {
        run.readImportDocument(EXAMPLES + "/malformed.mtlx");
        FAIL() << "no error for a malformed document";
    }
    catch (const std::exception& e)
    {
        EXPECT_NE(std::string(e.what()).find("XML parse error in"), std::string::npos) << e.what();
    }
}

// Points the system's temporary folder elsewhere for one test.
class TemporaryFolder
{
  public:
    explicit TemporaryFolder(const QString& path) :
        old_(qgetenv("TMPDIR")),
        had_(qEnvironmentVariableIsSet("TMPDIR"))
    {
        qputenv("TMPDIR", path.toLocal8Bit());
    }
    ~TemporaryFolder()
    {
        if (had_)
            qputenv("TMPDIR", old_);
        else
            qunsetenv("TMPDIR");
    }

  private:
    QByteArray old_;
    bool had_;
};

TEST_F(DocumentReading, DiagnosticCopiesGoToTheTemporaryFolderOnly)
{
    QTemporaryDir temp;
    TemporaryFolder redirect(temp.path());
    const std::string path = write("doc.mtlx", mtlx("  <standard_surface name=\"S\" type=\"surfaceshader\" />\n"
                                                    "  <surfacematerial name=\"M\" type=\"material\">\n"
                                                    "    <input name=\"surfaceshader\" type=\"surfaceshader\" nodename=\"S\" />\n"
                                                    "  </surfacematerial>\n"));
    run.readImportDocument(path);
    const QDir diagnostics(QDir(temp.path()).filePath("RozozazoZOV"));
    EXPECT_TRUE(QFileInfo::exists(diagnostics.filePath("preflat.xml")));
    EXPECT_TRUE(QFileInfo::exists(diagnostics.filePath("postflat.xml")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{ "doc.mtlx" });
}

TEST_F(DocumentReading, UnwritableDiagnosticsChangeNothing)
{
    QTemporaryDir temp;
    // A folder below a plain file can never be made, whoever runs the test.
    writeFile(temp.path(), "blocker", "x");
    TemporaryFolder redirect(QDir(temp.path()).filePath("blocker/below"));
    EXPECT_TRUE(diagnosticFolder().isEmpty());
    mx::DocumentPtr doc = run.readImportDocument(EXAMPLES + "/standard_surface_default.mtlx");
    EXPECT_EQ(run.messageLog.text(), "");
    EXPECT_FALSE(doc->getMaterialNodes().empty());
}
} // namespace
} // namespace rozo::test
