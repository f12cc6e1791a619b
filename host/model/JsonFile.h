#pragma once
// Reading and writing the host's JSON documents. A write goes to a temporary
// sibling that replaces the file only when complete; a read checks the
// document kind and its format version.
#include "JsonValue.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace Norvane
{

// Writes `doc` to `path`; on failure `error` names the file and the cause.
bool WriteJsonFile(const QString& path, const QJsonObject& doc, QString* error);
bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, JsonValue& doc, QString* error);

// Writes the JSON text `json` to `path`.
bool WriteJsonFile(const QString& path, const QByteArray& json, QString* error);

// Reads `path` as a document of `kind` with a "version" of at most `maxVersion`.
bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, QJsonObject& doc, QString* error);
bool ReadJsonFile(const QString& path, const QString& kind, int maxVersion, JsonValue& doc, QString* error);

} // namespace Norvane
