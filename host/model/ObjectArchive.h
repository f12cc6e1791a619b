#pragma once
// Materials, maps and geometry as JSON: class, name, flags and every parameter
// block (with its definitions when the block was rebuilt at run time).
// References between objects are object numbers. Long texts (shader code) and
// run-time block definitions are stored once per file, in tables the objects
// refer to by number; parameters at their definition's default are left out.
#include <QJsonArray>
#include <QJsonObject>
#include <QByteArray>
#include <QString>
#include <map>
#include <set>
#include <vector>

class ReferenceTarget;

namespace Norvane {

// Every object reachable from `root` through references and parameter blocks
// (blocks themselves included).
void CollectReachable(ReferenceTarget* root, std::set<ReferenceTarget*>& out);

class ObjectWriter {
public:
    // Number of `t` in the archive, writing it (and what it refers to) on first use; -1 for none.
    int Add(ReferenceTarget* t);
    QJsonArray Objects() const;
    QJsonArray Texts() const { return ToArray(texts_); }
    QJsonArray Definitions() const { return ToArray(definitions_); }

    // Number of `text` in the text table, added on first use.
    int AddText(const QString& text);
    // Number of a block's definitions in the definition table, added on first use.
    int AddDefinitions(const QJsonArray& defs);

private:
    template <typename T> static QJsonArray ToArray(const std::vector<T>& items)
    {
        QJsonArray out;
        for (const T& item : items)
            out.append(item);
        return out;
    }
    std::map<ReferenceTarget*, int> ids_;
    std::map<QString, int> textIds_;
    std::vector<QString> texts_;
    std::map<QByteArray, int> definitionIds_;
    std::vector<QJsonArray> definitions_;
    std::vector<QJsonObject> objects_;  // an array is built once: appending to one copies
};

class ObjectReader {
public:
    ~ObjectReader();
    // Makes every object of `objects`; on failure `error` says which and why,
    // and nothing made stays alive.
    // `texts` and `definitions` are the file's tables (absent in older files);
    // with `omitsDefaults` a parameter left out is at its definition's default.
    bool Read(const QJsonArray& objects, QString* error, const QJsonArray& texts = QJsonArray(),
              const QJsonArray& definitions = QJsonArray(), bool omitsDefaults = false);
    // The object with that number, none for -1 or an unknown number.
    ReferenceTarget* Get(int id) const;
    bool Valid(int id) const { return id == -1 || (id >= 0 && id < static_cast<int>(made_.size())); }
    // Hands the objects to the caller; afterwards the reader no longer deletes them.
    void Release() { released_ = true; }

    // Entry `index` of the file's text table; false when there is none.
    bool Text(const QJsonValue& index, QString& out) const;

private:
    void DeleteMade();
    QJsonArray texts_;
    std::vector<ReferenceTarget*> made_;
    bool released_ = false;
};

} // namespace Norvane
