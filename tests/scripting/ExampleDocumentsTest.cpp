// norvane import and roundtrip over every shared example document.
#include "NorvaneRun.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <map>
#include <set>

namespace
{

std::vector<std::string> exampleNames()
{
    std::vector<std::string> names;
    for (const QString& n : QDir(examplesDir()).entryList({ "*.mtlx" }, QDir::Files, QDir::Name))
        names.push_back(n.toStdString());
    return names;
}

// What a reader expects of a document without asking the plug-in: the
// material nodes (following XIncludes) whose surface shader is a standard_surface.
struct TopLevel
{
    std::map<QString, QString> categories;              // node name -> category
    std::vector<std::pair<QString, QString>> materials; // material name -> shader node name
};

void readTopLevel(const QString& file, TopLevel& top)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QXmlStreamReader xml(&f);
    int depth = 0;
    QString material;
    while (!xml.atEnd())
    {
        xml.readNext();
        if (xml.isStartElement())
        {
            ++depth;
            const auto a = xml.attributes();
            if (depth == 2 && xml.qualifiedName() == QLatin1String("xi:include"))
            {
                readTopLevel(QFileInfo(file).dir().filePath(a.value("href").toString()), top);
            }
            else if (depth == 2)
            {
                top.categories[a.value("name").toString()] = xml.name().toString();
                material = a.value("type") == QLatin1String("material") ? a.value("name").toString() : QString();
            }
            else if (depth == 3 && !material.isEmpty() && a.value("name") == QLatin1String("surfaceshader"))
            {
                top.materials.emplace_back(material, a.value("nodename").toString());
            }
        }
        else if (xml.isEndElement())
        {
            --depth;
        }
    }
}

QStringList expectedMaterials(const QString& file)
{
    TopLevel top;
    readTopLevel(file, top);
    QStringList names;
    for (const auto& [material, shader] : top.materials)
        if (top.categories[shader] == QLatin1String("standard_surface"))
            names << material;
    return names;
}

// The documents made to show problems: each must report at least one message.
bool isProblemDocument(const std::string& name)
{
    static const QSet<QString> problems = { "bad_refs.mtlx", "bad_types.mtlx", "bad_unknown_node.mtlx", "cycle.mtlx",
                                            "malformed.mtlx" };
    return problems.contains(QString::fromStdString(name));
}

class ExampleDocumentTest : public NorvaneTest, public ::testing::WithParamInterface<std::string>
{
  protected:
    QString file() const { return examplesDir() + "/" + QString::fromStdString(GetParam()); }
    bool isRealExample() const { return GetParam().rfind("standard_surface_", 0) == 0; }
};

TEST_P(ExampleDocumentTest, ImportPrintsEveryMaterialAsJsonAndAsATree)
{
    const NorvaneRun json = runNorvane({ "import", "--json", file() }, dir.path());
    QJsonParseError error{};
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << show(json);
    const QJsonArray materials = report["materials"].toArray();
    const QJsonArray messages = report["messages"].toArray();
    EXPECT_EQ(json.exitCode, messages.isEmpty() ? 0 : 1) << show(json);
    EXPECT_EQ(json.err.count('\n'), messages.size()) << show(json);
    if (isProblemDocument(GetParam()))
    {
        EXPECT_FALSE(messages.isEmpty()) << show(json);
    }

    QStringList names;
    for (const QJsonValue& m : materials)
    {
        names << m["name"].toString();
        EXPECT_EQ(m["class"].toString(), "Physical Material");
        // The four amounts every import writes, unless the shader sets them.
        EXPECT_TRUE(m["parameters"].toObject().contains("bump_map_amt"));
    }
    if (isRealExample())
    {
        EXPECT_TRUE(messages.isEmpty()) << show(json);
        EXPECT_EQ(names, expectedMaterials(file()));
    }

    const NorvaneRun tree = runNorvane({ "import", file() }, dir.path());
    EXPECT_EQ(tree.exitCode, json.exitCode);
    QStringList treeNames;
    const QRegularExpression header("^material \"(.*)\" \\(Physical Material\\)$", QRegularExpression::MultilineOption);
    for (auto it = header.globalMatch(tree.out); it.hasNext();)
        treeNames << it.next().captured(1);
    EXPECT_EQ(treeNames, names) << show(tree);
    for (const QJsonValue& m : materials)
        for (const QString& map : m["maps"].toObject().keys())
            EXPECT_TRUE(tree.out.contains("  " + map + ": ")) << map.toStdString() << "\n"
                                                              << show(tree);
}

TEST_P(ExampleDocumentTest, RoundtripWritesADocumentThatReadsBack)
{
    const QString out = path("out.mtlx");
    const NorvaneRun r = runNorvane({ "roundtrip", file(), out }, dir.path());
    const QRegularExpression summary(": (\\d+) materials, (\\d+) maps -> .* \\(read back (\\d+) materials\\), (\\d+) messages");
    const QRegularExpressionMatch m = summary.match(r.out);
    ASSERT_TRUE(m.hasMatch()) << show(r);
    EXPECT_EQ(m.captured(1), m.captured(3)) << show(r);
    EXPECT_EQ(r.exitCode, m.captured(4) == "0" ? 0 : 1) << show(r);
    const QString written = readText(out);
    EXPECT_TRUE(written.contains("<materialx")) << show(r);
    EXPECT_FALSE(written.contains("<xi:include"));
    EXPECT_EQ(written.count("<surfacematerial "), m.captured(1).toInt());
    if (isRealExample())
    {
        EXPECT_FALSE(r.err.contains("import: ")) << show(r);
        EXPECT_FALSE(r.err.contains("norvane: ")) << show(r);
        EXPECT_EQ(m.captured(1).toInt(), expectedMaterials(file()).size());
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleDocumentTest, ::testing::ValuesIn(exampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string n = info.param.substr(0, info.param.size() - 5);
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

// Every example that is not made to show a problem goes through import, export
// and reading back without a single message.
TEST(ExampleRoundTrip, RealExamplesRoundTripWithoutMessages)
{
    const std::set<std::string> madeToFail = { "bad_refs.mtlx", "bad_types.mtlx", "bad_unknown_node.mtlx",
                                               "cycle.mtlx", "malformed.mtlx" };
    QTemporaryDir dir;
    for (const std::string& name : exampleNames())
    {
        if (madeToFail.count(name))
            continue;
        const NorvaneRun r = runNorvane({ "roundtrip", example(name.c_str()), dir.filePath("out.mtlx") });
        EXPECT_EQ(r.exitCode, 0) << name << "\n"
                                 << show(r);
    }
}

// One batch over the whole folder, checked row by row.
class BatchRoundtripTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        outDir = new QTemporaryDir;
        run = new NorvaneRun(runNorvane({ "roundtrip", "--batch", examplesDir(), outDir->path() }));
    }
    static void TearDownTestSuite()
    {
        delete run;
        delete outDir;
    }
    static QTemporaryDir* outDir;
    static NorvaneRun* run;
};
QTemporaryDir* BatchRoundtripTest::outDir = nullptr;
NorvaneRun* BatchRoundtripTest::run = nullptr;

TEST_F(BatchRoundtripTest, ProgressLinePerDocument)
{
    const std::vector<std::string> names = exampleNames();
    for (std::size_t k = 0; k < names.size(); ++k)
        EXPECT_TRUE(run->err.contains(QString("[%1/%2] %3\n").arg(k + 1).arg(names.size()).arg(names[k].c_str())))
            << names[k] << "\n"
            << show(*run);
}

TEST_F(BatchRoundtripTest, TableHasARowPerDocumentAndATotal)
{
    const QStringList lines = run->out.split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines[0].startsWith("document")) << show(*run);
    EXPECT_TRUE(lines[0].contains("materials") && lines[0].contains("maps") && lines[0].contains("messages") &&
                lines[0].contains("time"));
    int failed = 0;
    const std::vector<std::string> names = exampleNames();
    for (std::size_t k = 0; k < names.size(); ++k)
    {
        const QString row = lines.value(static_cast<int>(k) + 1);
        EXPECT_TRUE(row.startsWith(QString::fromStdString(names[k]) + " ")) << row.toStdString();
        const bool rowFailed = row.endsWith("FAILED");
        failed += rowFailed ? 1 : 0;
        if (isProblemDocument(names[k]))
        {
            EXPECT_TRUE(rowFailed) << row.toStdString();
        }
        EXPECT_TRUE(QFile::exists(outDir->filePath(QString::fromStdString(names[k])))) << names[k];
    }
    const QString total = lines.value(static_cast<int>(names.size()) + 1);
    EXPECT_TRUE(total.startsWith("total ")) << total.toStdString();
    EXPECT_TRUE(total.endsWith(QString("%1 of %2 ok").arg(names.size() - failed).arg(names.size()))) << total.toStdString();
    EXPECT_EQ(run->exitCode, failed ? 1 : 0);
    if (failed)
    {
        EXPECT_TRUE(run->out.contains(QString("\nFailed (%1 of %2):\n").arg(failed).arg(names.size())));
    }
}

// Worker processes change nothing but the times: one worker or two, the same
// progress lines, table, failures, status and written documents.
TEST(ParallelBatchTest, TwoJobsGiveWhatOneJobGives)
{
    const auto withoutTimes = [](QString text) { return text.replace(QRegularExpression("\\d+\\.\\d{3} s"), "T"); };
    QTemporaryDir one, two;
    for (const char* command : { "roundtrip", "import" })
    {
        const bool roundtrip = QString(command) == "roundtrip";
        QStringList serialArgs = { command, "--batch", "--jobs", "1", examplesDir() };
        QStringList parallelArgs = { command, "--batch", "--jobs", "2", examplesDir() };
        if (roundtrip)
        {
            serialArgs << one.path();
            parallelArgs << two.path();
        }
        const NorvaneRun serial = runNorvane(serialArgs);
        const NorvaneRun parallel = runNorvane(parallelArgs);
        EXPECT_EQ(parallel.exitCode, serial.exitCode) << command;
        EXPECT_EQ(serial.exitCode, 1) << show(serial);
        EXPECT_EQ(parallel.err.toStdString(), serial.err.toStdString()) << command;
        EXPECT_EQ(withoutTimes(parallel.out).toStdString(), withoutTimes(serial.out).toStdString()) << command;
        EXPECT_TRUE(serial.out.startsWith("document ")) << show(serial);
    }
    for (const std::string& name : exampleNames())
        EXPECT_EQ(readText(two.filePath(name.c_str())), readText(one.filePath(name.c_str()))) << name;
}

// The documents that report their problems pass as expected failures.
TEST(ParallelBatchTest, ProblemDocumentsAreExpectedFailures)
{
    QStringList args = { "import", "--batch" };
    for (const char* name : { "bad_refs", "bad_types", "bad_unknown_node", "cycle", "malformed" })
        args << "--expect-failure" << name;
    args << examplesDir();
    const NorvaneRun r = runNorvane(args);
    EXPECT_EQ(r.exitCode, 0) << show(r);
    const QStringList lines = r.out.split('\n');
    const std::vector<std::string> names = exampleNames();
    for (std::size_t k = 0; k < names.size(); ++k)
    {
        const QString row = lines.value(static_cast<int>(k) + 1);
        EXPECT_TRUE(row.endsWith(isProblemDocument(names[k]) ? " expected failure" : " ok")) << row.toStdString();
    }
}

} // namespace
