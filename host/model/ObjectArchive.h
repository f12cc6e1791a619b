#pragma once
// Materials, maps and geometry as JSON: class, name, flags and every parameter
// block (with its definitions when the block was rebuilt at run time).
// References between objects are object numbers.
#include <QJsonArray>
#include <QJsonObject>
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

private:
    std::map<ReferenceTarget*, int> ids_;
    std::vector<QJsonObject> objects_;  // an array is built once: appending to one copies
};

class ObjectReader {
public:
    ~ObjectReader();
    // Makes every object of `objects`; on failure `error` says which and why,
    // and nothing made stays alive.
    bool Read(const QJsonArray& objects, QString* error);
    // The object with that number, none for -1 or an unknown number.
    ReferenceTarget* Get(int id) const;
    bool Valid(int id) const { return id == -1 || (id >= 0 && id < static_cast<int>(made_.size())); }
    // Hands the objects to the caller; afterwards the reader no longer deletes them.
    void Release() { released_ = true; }

private:
    void DeleteMade();
    std::vector<ReferenceTarget*> made_;
    bool released_ = false;
};

} // namespace Norvane
