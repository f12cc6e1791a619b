// The host's own JSON reader and writer against Qt's: a text the reader takes
// must mean what it means to Qt (whatever it refuses, Qt's parser judges), and
// what the writer writes must read back through Qt as it was written.
#include "JsonValue.h"
#include "JsonWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

using Norvane::JsonValue;

::testing::AssertionResult Same(const JsonValue& mine, const QJsonValue& qt, const std::string& at = "$")
{
    auto differ = [&](const char* what) { return ::testing::AssertionFailure() << at << ": " << what; };
    switch (qt.type()) {
    case QJsonValue::Null:
        return mine.isNull() ? ::testing::AssertionSuccess() : differ("not null");
    case QJsonValue::Bool:
        return mine.isBool() && mine.toBool() == qt.toBool() ? ::testing::AssertionSuccess() : differ("bool");
    case QJsonValue::Double:
        if (!mine.isDouble() || mine.toDouble() != qt.toDouble() ||
            std::signbit(mine.toDouble()) != std::signbit(qt.toDouble()) || mine.toInt(-7) != qt.toInt(-7))
            return differ("number");
        return ::testing::AssertionSuccess();
    case QJsonValue::String:
        return mine.isString() && mine.toString() == qt.toString() ? ::testing::AssertionSuccess() : differ("string");
    case QJsonValue::Array: {
        const QJsonArray a = qt.toArray();
        if (!mine.isArray() || mine.size() != a.size())
            return differ("array size");
        for (int i = 0; i < a.size(); ++i)
            if (auto r = Same(mine[i], a[i], at + "[" + std::to_string(i) + "]"); !r)
                return r;
        return ::testing::AssertionSuccess();
    }
    case QJsonValue::Object: {
        const QJsonObject o = qt.toObject();
        const std::vector<std::string_view> keys = mine.keys();
        const std::set<std::string_view> distinct(keys.begin(), keys.end());
        if (!mine.isObject() || distinct.size() != static_cast<size_t>(o.size()))
            return differ("member count");
        for (auto it = o.begin(); it != o.end(); ++it) {
            const std::string key = it.key().toStdString();
            if (!mine.contains(key))
                return differ("missing member");
            if (auto r = Same(mine.value(key), it.value(), at + "." + key); !r)
                return r;
        }
        return ::testing::AssertionSuccess();
    }
    default:
        return mine.isUndefined() ? ::testing::AssertionSuccess() : differ("not undefined");
    }
}

// Either both refuse the text, or the reader takes it as Qt does (or leaves it to Qt).
void ExpectReadAsQtDoes(const QByteArray& text)
{
    SCOPED_TRACE(text.left(200).toStdString());
    QJsonParseError error;
    const QJsonDocument qt = QJsonDocument::fromJson(text, &error);
    JsonValue mine;
    const bool taken = JsonValue::Parse(text, mine);
    if (error.error != QJsonParseError::NoError || !qt.isObject()) {
        EXPECT_FALSE(taken) << "Qt refuses it";
        return;
    }
    if (taken) {
        EXPECT_TRUE(Same(mine, qt.object()));
    }
    EXPECT_TRUE(Same(JsonValue::FromQt(qt.object()), qt.object()));
}

class JsonReadTest : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonReadTest, MeansWhatItMeansToQt)
{
    ExpectReadAsQtDoes(QByteArray(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonReadTest,
    ::testing::Values(
        R"({})", R"(  {"a": 1}  )", R"({"a": [1, -2.5, 3e2, 0.125e-3, -0, 0, 1E+2]})", R"({"big": 123456789012345678901234})",
        R"({"i": 2147483647, "j": 2147483648, "k": -2147483648, "l": 1.5, "m": 1e300})", R"({"huge": 1e400})",
        R"({"tiny": 1e-400})", R"({"a": 1.})", R"({"a": .5})", R"({"a": 01})", R"({"a": -})", R"({"a": +1})",
        R"({"a": "x\"y\\z\/\b\f\n\r\t\u0041\u00e9\u20ac"})", R"({"pair": "\ud83d\ude00", "lone": "\ud800x", "low": "\udc00"})",
        "{\"utf8\": \"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"}", "{\"bad\": \"\xc3\"}", "{\"bad\": \"\xed\xa0\x80\"}",
        "{\"bad\": \"\xc0\xaf\"}", "{\"ctl\": \"a\tb\"}", "\xef\xbb\xbf{\"bom\": 1}", R"({"a": 1, "a": 2})",
        R"({"k\u0065y": 1, "key": 2})", R"({"a": tru})", R"({"a": true, "b": false, "c": null})", R"({"a": 1,})",
        R"({"a": [1,]})", R"({"a" 1})", R"({"a": 1} x)", R"({"a": "unterminated)", R"({"a": [1, 2)", R"([1, 2])",
        R"("text")", "", "   ", R"({"a": "\x"})", R"({"a": "\u12"})", R"({1: 2})", R"({"nested": {"x": [[], {}, [{}]]}})"));

TEST(JsonRead, DeepNestingIsLeftToQt)
{
    for (int depth : {100, 300, 2000}) {
        SCOPED_TRACE(depth);
        ExpectReadAsQtDoes("{\"a\":" + QByteArray(depth, '[') + QByteArray(depth, ']') + "}");
    }
}

// The fuzzer's inputs: hand-edited, cut and mangled scene files.
TEST(JsonRead, TheSceneFileCorpusReadsAsQtReadsIt)
{
    const QDir corpus(QStringLiteral(ROZO_HOST_TEST_DATA "/../../fuzz/corpus/scene_file"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        ExpectReadAsQtDoes(text);
        for (int cut : {1, 2, 3, 7})
            ExpectReadAsQtDoes(text.left(text.size() * cut / 8));
    }
}

TEST(JsonRead, MissingMembersAndEntriesReadAsEmpty)
{
    JsonValue doc;
    ASSERT_TRUE(JsonValue::Parse(R"({"a": [1], "s": "x"})", doc));
    EXPECT_TRUE(doc.value("none").isUndefined());
    EXPECT_TRUE(doc.value("a")[5].isUndefined());
    EXPECT_TRUE(doc.value("s").value("a").isUndefined());
    EXPECT_EQ(doc.value("s").size(), 0);
    EXPECT_EQ(doc.value("s").begin(), doc.value("s").end());
    EXPECT_EQ(doc.value("a").toInt(4), 4);
    EXPECT_EQ(doc.value("s").toDouble(), 0.0);
}

TEST(JsonWrite, ReadsBackThroughQt)
{
    const QString text = QString::fromUtf8("quote\" backslash\\ tab\t nl\n bell\x07 \xc3\xa9\xe2\x82\xac ") +
                         QString::fromUcs4(U"\U0001F600", 1) + QChar(0xd800) + QStringLiteral("!");
    const std::wstring wide = L"w\u00e9\U0001F600\"";
    const double numbers[] = {0.0, -0.0, 1.0, -3.0, 0.1, 1.0 / 3.0, 1e300, -2.5e-300, 4294967295.0, 9007199254740993.0,
                              static_cast<double>(0.8f)};
    Norvane::JsonWriter out;
    out.BeginObject();
    out.Key("text").String(text);
    out.Key("wide").String(wide);
    out.Key("numbers").BeginArray();
    for (double d : numbers)
        out.Double(d);
    out.EndArray();
    out.Key("odd").BeginArray();
    out.Double(std::nan(""));
    out.Double(INFINITY);
    out.Int(-9007199254740991LL);
    out.Bool(true);
    out.Null();
    out.BeginObject();
    out.EndObject();
    out.BeginArray();
    out.EndArray();
    out.EndArray();
    out.Key("raw").Raw(R"({"x":[1,2]})");
    out.EndObject();

    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(out.Bytes(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << out.Bytes().toStdString();
    QString expected = text;
    expected[expected.size() - 2] = QChar(0xfffd);  // a lone surrogate is no character
    EXPECT_EQ(doc.value(QStringLiteral("text")).toString(), expected);
    EXPECT_EQ(doc.value(QStringLiteral("wide")).toString().toStdWString(), wide);
    const QJsonArray read = doc.value(QStringLiteral("numbers")).toArray();
    ASSERT_EQ(read.size(), static_cast<int>(std::size(numbers)));
    for (int i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i].toDouble(), numbers[i]) << i;
    const QJsonArray odd = doc.value(QStringLiteral("odd")).toArray();
    EXPECT_TRUE(odd[0].isNull() && odd[1].isNull());
    EXPECT_EQ(odd[2].toVariant().toLongLong(), -9007199254740991LL);
    EXPECT_TRUE(odd[3].toBool() && odd[4].isNull() && odd[5].isObject() && odd[6].isArray());
    EXPECT_EQ(doc.value(QStringLiteral("raw")).toObject().value(QStringLiteral("x")).toArray().size(), 2);

    JsonValue mine;
    ASSERT_TRUE(JsonValue::Parse(out.Bytes(), mine));
    EXPECT_TRUE(Same(mine, doc));
}

} // namespace
