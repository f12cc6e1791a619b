#include "JsonFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace Norvane
{
namespace
{

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool ReadBytes(const QString& path, QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("Cannot open '%1': %2").arg(path, file.errorString()));
    bytes = file.readAll();
    return true;
}

bool ParseWithQt(const QString& path, const QString& kind, const QByteArray& bytes, QJsonObject& doc, QString* error)
{
    QJsonParseError parse;
    QJsonDocument json = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError)
    {
        const bool truncated = parse.error == QJsonParseError::UnterminatedObject ||
                               parse.error == QJsonParseError::UnterminatedArray ||
                               parse.error == QJsonParseError::UnterminatedString ||
                               (parse.offset >= bytes.size() && !bytes.trimmed().isEmpty());
        return Fail(error, QStringLiteral("'%1' is %2: %3 at byte %4")
                               .arg(path, truncated ? QStringLiteral("truncated") : QStringLiteral("not valid JSON"),
                                    parse.errorString())
                               .arg(parse.offset));
    }
    if (!json.isObject())
        return Fail(error, QStringLiteral("'%1' is not a %2 file: the document is not a JSON object").arg(path, kind));
    doc = json.object();
    return true;
}

bool CheckKind(const QString& path, const QString& kind, int maxVersion, const QString& format, bool versionIsNumber,
               int version, QString* error)
{
    if (format != kind)
        return Fail(error, QStringLiteral("'%1' is not a %2 file (format \"%3\")").arg(path, kind, format));
    if (!versionIsNumber || version < 1)
        return Fail(error, QStringLiteral("'%1' has no valid format version").arg(path));
    if (version > maxVersion)
        return Fail(error, QStringLiteral("'%1' has format version %2, newer than this host reads (%3)")
                               .arg(path)
                               .arg(version)
                               .arg(maxVersion));
    return true;
}

} // namespace

bool WriteJsonFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size())
    {
        file.cancelWriting();
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    }
    if (!file.commit())
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    return true;
}

bool WriteJsonFile(const QString& path, const QJsonObject& doc, QString* error)
{
    return WriteJsonFile(path, QJsonDocument(doc).toJson(QJsonDocument::Compact), error);
}

bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, JsonValue& doc, QString* error)
{
    QByteArray bytes;
    if (!ReadBytes(path, bytes, error))
        return false;
    // What the quick parser does not take, Qt's judges: the same files load, with the same errors.
    if (!JsonValue::Parse(bytes, doc))
    {
        QJsonObject object;
        if (!ParseWithQt(path, kind, bytes, object, error))
            return false;
        doc = JsonValue::FromQt(object);
    }
    const JsonValue& version = doc.value("version");
    return CheckKind(path, kind, maxVersion, doc.value("format").toString(), version.isDouble(), version.toInt(), error);
}

bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, QJsonObject& doc, QString* error)
{
    QByteArray bytes;
    if (!ReadBytes(path, bytes, error) || !ParseWithQt(path, kind, bytes, doc, error))
        return false;
    const QJsonValue version = doc.value(QStringLiteral("version"));
    return CheckKind(path, kind, maxVersion, doc.value(QStringLiteral("format")).toString(), version.isDouble(),
                     version.toInt(), error);
}

} // namespace Norvane
