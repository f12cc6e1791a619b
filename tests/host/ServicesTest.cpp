// Host services: strings, tables, debug output, file resolution, locale.
#include "HostTest.h"

#include "JsonFile.h"

#include <QFile>
#include <clocale>
#include <sstream>

namespace
{

TEST(WStrTest, ConvertsToAndFromUtf8)
{
    const WStr s(L"Grüße \u6f22");
    const CStr utf8 = s.ToUTF8();
    EXPECT_STREQ(utf8.data(), "Gr\xC3\xBC\xC3\x9F"
                              "e \xE6\xBC\xA2");
    EXPECT_EQ(WStr::FromUTF8(utf8.data()), s);
    EXPECT_EQ(WStr::FromUTF8(std::string("a\0b", 3)).Length(), 3);
    EXPECT_STREQ(WStr().ToUTF8().data(), "") << "empty text never converts to an absent string";
    EXPECT_EQ(WStr::FromUTF8(static_cast<const char*>(nullptr)), WStr());
}

TEST(WStrTest, ConvertsToAndFromQt)
{
    const QString q = QStringLiteral("D:\\docs\\Grüße.mtlx");
    EXPECT_EQ(WStr::FromQString(q).ToQString(), q);
    EXPECT_EQ(WStr(q), WStr(L"D:\\docs\\Grüße.mtlx"));
}

TEST(WStrTest, WritesUtf8ToNarrowStreams)
{
    std::ostringstream os;
    os << WStr(L"ü") << '|' << WStr().ToUTF8();
    EXPECT_EQ(os.str(), "\xC3\xBC|");
}

TEST(WStrTest, FormatsWithWideStringArguments)
{
    WStr s;
    s.printf(L"%s=%d %hs %.2f %5s|%-3s|%c%%", L"n", 42, "narrow", 0.5, L"ab", L"x", L'z');
    EXPECT_EQ(s, WStr(L"n=42 narrow 0.50    ab|x  |z%"));
    EXPECT_EQ(s.first(L'='), 1);
    EXPECT_EQ(s.last(L'|'), 26);
    EXPECT_EQ(s.Substr(0, 1), WStr(L"n"));
}

TEST(TabTest, AppendsDeletesAndFinds)
{
    Tab<int> t;
    int three[] = { 1, 2, 3 };
    EXPECT_EQ(t.Append(3, three), 0);
    EXPECT_EQ(t.Append(4), 3);
    EXPECT_EQ(t.Count(), 4);
    EXPECT_EQ(t.Delete(1, 2), 2);
    EXPECT_EQ(t[1], 4);
    EXPECT_EQ(t.IndexOf(4), 1);
    EXPECT_EQ(t.IndexOf(9), -1);
    t.ZeroCount();
    EXPECT_EQ(t.Count(), 0);
}

class DebugOutputTest : public HostTest
{
};

TEST_F(DebugOutputTest, DebugPrintGoesToTheChannel)
{
    DebugPrint(L"Parameter %s not known and ignored.\n", L"diffuse_roughness");
    DebugPrint(L"  Par: %s\n", WStr(L"in").data());
    auto& channel = Norvane::DebugChannel::Instance();
    EXPECT_EQ(channel.Lines(), (QStringList{ QStringLiteral("Parameter diffuse_roughness not known and ignored."),
                                             QStringLiteral("  Par: in") }));
    channel.Clear();
    EXPECT_TRUE(channel.Text().isEmpty());
}

TEST_F(DebugOutputTest, ALongRunKeepsOnlyItsLatestWholeLines)
{
    auto& channel = Norvane::DebugChannel::Instance();
    // Lines of 19 characters and more: over twice what is kept.
    for (int i = 0; i < Norvane::DebugChannel::KEPT_CHARACTERS / 8; ++i)
        DebugPrint(L"  Par: parameter_%d\n", i);
    DebugPrint(L"last\n");
    EXPECT_LE(channel.Text().size(), Norvane::DebugChannel::KEPT_CHARACTERS);
    EXPECT_TRUE(channel.Text().startsWith(QStringLiteral("  Par: parameter_")));
    EXPECT_EQ(channel.Lines().last(), QStringLiteral("last"));
    channel.Clear();
}

class FileResolutionTest : public HostTest
{
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(TempPath(QStringLiteral("textures/sub"))));
        wood = TempPath(QStringLiteral("textures/wood.png"));
        QFile f(wood);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("png");
    }
    WStr Resolve(const QString& name)
    {
        return IFileResolutionManager::GetInstance()->GetFullFilePath(name.toStdWString().c_str(), ASSET_TYPE_BITMAP,
                                                                      false);
    }
    QString wood;
};

TEST_F(FileResolutionTest, AnExistingFileResolvesToItself)
{
    EXPECT_EQ(Resolve(wood).ToQString(), wood);
}

TEST_F(FileResolutionTest, AMissingFileResolvesToNothing)
{
    EXPECT_TRUE(Resolve(QStringLiteral("nowhere/wood.png")).isNull());
    EXPECT_TRUE(Resolve(QString()).isNull());
}

TEST_F(FileResolutionTest, SearchFoldersAreTriedInOrder)
{
    auto* frm = IFileResolutionManager::GetInstance();
    frm->AddSearchPath(TempPath(QStringLiteral("textures/sub")).toStdWString().c_str());
    frm->AddSearchPath(TempPath(QString()).toStdWString().c_str());
    EXPECT_EQ(frm->GetNumSearchPaths(), 2);
    EXPECT_EQ(Resolve(QStringLiteral("textures/wood.png")).ToQString(), wood) << "relative to a folder";
    EXPECT_EQ(Resolve(QStringLiteral("textures\\wood.png")).ToQString(), wood) << "backslashes separate too";
    EXPECT_EQ(Resolve(QStringLiteral("D:\\elsewhere\\textures\\wood.png")).isNull(), true)
        << "the file name alone is looked for only in the search folders";
    frm->AddSearchPath(TempPath(QStringLiteral("textures")).toStdWString().c_str());
    EXPECT_EQ(Resolve(QStringLiteral("D:\\elsewhere\\wood.png")).ToQString(), wood);
    EXPECT_TRUE(Resolve(QStringLiteral("other.png")).isNull());
    EXPECT_EQ(frm->GetNumSearchPaths(ASSET_TYPE_XREF), 0) << "folders are per asset kind";
}

TEST(LocaleGuardTest, RestoresThePreviousLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    {
        LocaleGuard guard(LC_ALL, "C");
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", 0.5);
        EXPECT_STREQ(buf, "0.5");
    }
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

} // namespace

namespace
{

TEST(WideFormatTest, FollowsTheHostRulesForStringsAndSizes)
{
    WStr s;
    s.printf(L"[%ls][%S][%*d][%-4d][%lld][%x][%05.1f][%hc]", L"wide", "narrow", 4, 7, -3, 1LL << 40, 255, 2.25,
             'n');
    EXPECT_EQ(s, WStr(L"[wide][narrow][   7][-3  ][1099511627776][ff][002.2][n]"));
    s.printf(L"%s|%hs|%.3s", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr), L"abcdef");
    EXPECT_EQ(s, WStr(L"(null)|(null)|abc"));
    s.printf(L"100%%%s", L"");
    EXPECT_EQ(s, WStr(L"100%"));
}

TEST(WideFormatTest, NarrowArgumentsAreUtf8)
{
    WStr s;
    s.printf(L"%hs", "Gr\xC3\xBC\xC3\x9F"
                     "e");
    EXPECT_EQ(s, WStr(L"Grüße"));
}

TEST(FilterListTest, DescriptionsAndPatternsAlternate)
{
    FilterList f;
    f.Append(L"MaterialX");
    f.Append(L"*.mtlx");
    f.Append(WStr(L"All files"), WStr(L"*"));
    ASSERT_EQ(f.Count(), 2);
    EXPECT_EQ(f.Description(0), WStr(L"MaterialX"));
    EXPECT_EQ(f.Pattern(1), WStr(L"*"));
    EXPECT_EQ(f.ToQtFilter(), WStr(L"MaterialX (*.mtlx);;All files (*)"));
}

class JsonFileTest : public HostTest
{
  protected:
    QString Write(const char* text)
    {
        const QString path = TempPath(QStringLiteral("doc.json"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
    QString ReadError(const char* text)
    {
        QJsonObject doc;
        QString error;
        EXPECT_FALSE(Norvane::ReadJsonFile(Write(text), QStringLiteral("kind"), 1, doc, &error));
        return error;
    }
};

TEST_F(JsonFileTest, ReadsADocumentOfItsKind)
{
    QJsonObject doc;
    QString error;
    EXPECT_TRUE(Norvane::ReadJsonFile(Write(R"({"format": "kind", "version": 1, "x": 2})"), QStringLiteral("kind"), 1,
                                      doc, &error))
        << error.toStdString();
    EXPECT_EQ(doc.value(QStringLiteral("x")).toInt(), 2);
}

TEST_F(JsonFileTest, SaysWhatIsWrong)
{
    EXPECT_TRUE(ReadError("[1, 2]").contains(QLatin1String("not a JSON object")));
    EXPECT_TRUE(ReadError(R"({"format": "other", "version": 1})").contains(QLatin1String("not a kind file")));
    EXPECT_TRUE(ReadError(R"({"format": "kind"})").contains(QLatin1String("no valid format version")));
    EXPECT_TRUE(ReadError(R"({"format": "kind", "version": 3})").contains(QLatin1String("newer than this host")));
    EXPECT_TRUE(ReadError(R"({"format": "kind", "ver)").contains(QLatin1String("truncated")));
    EXPECT_TRUE(ReadError("").contains(QLatin1String("doc.json")));
}

TEST_F(JsonFileTest, WritesThroughATemporarySibling)
{
    const QString path = TempPath(QStringLiteral("out.json"));
    QString error;
    ASSERT_TRUE(Norvane::WriteJsonFile(path, QJsonObject{ { QStringLiteral("a"), 1 } }, &error)) << error.toStdString();
    EXPECT_EQ(QDir(TempPath(QString())).entryList(QDir::Files), QStringList{ QStringLiteral("out.json") });
    EXPECT_FALSE(Norvane::WriteJsonFile(TempPath(QStringLiteral("missing/out.json")), QJsonObject(), &error));
    EXPECT_TRUE(error.contains(QLatin1String("missing/out.json")));
}

} // namespace
