#pragma once
// Materials, maps and geometry as JSON: class, name, flags and every parameter
// block (with its definitions when the block was rebuilt at run time).
// References between objects are object numbers. Long texts (shader code) and
// run-time block definitions are stored once per file, in tables the objects
// refer to by number; parameters at their definition's default are left out.
#include "JsonValue.h"
#include "ParamText.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class ParamBlockDesc2;
class ReferenceTarget;

namespace Norvane
{

// Every object reachable from `root` through references and parameter blocks
// (blocks themselves included).
void CollectReachable(ReferenceTarget* root, std::set<ReferenceTarget*>& out);

class ObjectWriter
{
  public:
    // Number of `t` in the archive, writing it (and what it refers to) on first use; -1 for none.
    int Add(ReferenceTarget* t);
    // The tables as JSON arrays, each entry in order of first use.
    QByteArray Objects() const { return ToArray(objects_); }
    QByteArray Texts() const { return ToArray(texts_); }
    QByteArray Definitions() const { return ToArray(definitions_); }

    // Number of `text` in the text table, added on first use.
    int AddText(const WStr& text);
    // Number of a rebuilt block's definitions in the definition table, added on first use.
    int AddDefinitions(const ParamBlockDesc2& desc);

  private:
    static QByteArray ToArray(const std::vector<QByteArray>& items);
    std::map<ReferenceTarget*, int> ids_;
    std::map<std::wstring, int> textIds_;
    std::vector<QByteArray> texts_;
    // Maps of one shader share a descriptor: its number is found without writing it again.
    std::map<const ParamBlockDesc2*, int> descriptorIds_;
    std::map<QByteArray, int> definitionIds_;
    std::vector<QByteArray> definitions_;
    std::vector<QByteArray> objects_;
};

class ObjectReader
{
  public:
    ~ObjectReader();
    // Makes every object of `objects`; on failure `error` says which and why,
    // and nothing made stays alive.
    // `texts` and `definitions` are the file's tables (absent in older files);
    // with `omitsDefaults` a parameter left out is at its definition's default.
    bool Read(const JsonValue& objects, QString* error, const JsonValue& texts = JsonValue(),
              const JsonValue& definitions = JsonValue(), bool omitsDefaults = false);
    // The object with that number, none for -1 or an unknown number.
    ReferenceTarget* Get(int id) const;
    bool Valid(int id) const { return id == -1 || (id >= 0 && id < static_cast<int>(made_.size())); }
    // Hands the objects to the caller; afterwards the reader no longer deletes them.
    void Release() { released_ = true; }

    // Entry `index` of the file's text table; false when there is none.
    bool Text(const JsonValue& index, ParamText& out) const;

  private:
    void DeleteMade();
    // Maps that share a text share its string; false for an entry that is not text.
    std::vector<std::pair<bool, ParamText>> texts_;
    std::vector<ReferenceTarget*> made_;
    bool released_ = false;
};

} // namespace Norvane
