#include "JsonFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace Norvane {
namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool WriteJsonFile(const QString& path, const QJsonObject& doc, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    const QByteArray bytes = QJsonDocument(doc).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    }
    if (!file.commit())
        return Fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    return true;
}

bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, QJsonObject& doc, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("Cannot open '%1': %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    QJsonParseError parse;
    QJsonDocument json = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
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
    if (doc.value(QStringLiteral("format")).toString() != kind)
        return Fail(error, QStringLiteral("'%1' is not a %2 file (format \"%3\")")
                               .arg(path, kind, doc.value(QStringLiteral("format")).toString()));
    const QJsonValue version = doc.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toInt() < 1)
        return Fail(error, QStringLiteral("'%1' has no valid format version").arg(path));
    if (version.toInt() > maxVersion)
        return Fail(error, QStringLiteral("'%1' has format version %2, newer than this host reads (%3)")
                               .arg(path)
                               .arg(version.toInt())
                               .arg(maxVersion));
    return true;
}

} // namespace Norvane
