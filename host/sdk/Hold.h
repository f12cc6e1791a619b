#pragma once
// The undo system. Changes made between Begin and Accept form one undo record.
#include "WStr.h"
#include <memory>
#include <unordered_map>
#include <vector>

// One undoable change.
class RestoreObj
{
  public:
    virtual ~RestoreObj() = default;
    // Puts the state back as it was before the change.
    virtual void Restore(int isUndo) = 0;
    // Applies the change again.
    virtual void Redo() = 0;
    virtual int Size() { return 1; }
    virtual WStr Description() { return WStr(L"change"); }
};

class Hold
{
  public:
    Hold();
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

    // Opens a record (records nest: an inner Accept joins its changes to the outer record).
    void Begin();
    // Closes the innermost open record; the outermost one becomes an undo step named `name`.
    void Accept(const wchar_t* name);
    void Accept(const WStr& name) { Accept(name.data()); }
    // Closes the innermost record, putting back what it changed.
    void Cancel();
    // Closes the innermost record, keeping the changes but not their undo.
    void Discard();

    // Takes a change; the hold owns it. Outside a record (or while
    // suspended, restoring or redoing) the change is not undoable and is dropped.
    void Put(RestoreObj* rob);
    // Whether changes are being recorded now.
    int Holding() const;
    int RestoreOrRedoing() const { return restoring_ || redoing_; }
    int Restoring() const { return restoring_; }
    int Redoing() const { return redoing_; }
    void Suspend() { ++suspended_; }
    void Resume()
    {
        if (suspended_ > 0)
            --suspended_;
    }
    int IsSuspended() const { return suspended_ > 0; }
    int Depth() const { return static_cast<int>(open_.size()); }

    // The host's undo and redo of whole steps; false when there is nothing to do
    // or a record is open.
    bool Undo();
    bool Redo();
    int UndoCount() const { return static_cast<int>(undo_.size()); }
    int RedoCount() const { return static_cast<int>(redo_.size()); }
    WStr UndoName() const; // the step Undo would take back, empty for none
    WStr RedoName() const;
    // Forgets every step (a new scene); open records are closed and dropped.
    void ClearHistory();

    // Objects made while a record is open. Their changes can be undone by one
    // snapshot per open record, taken before the first change in it.
    void NoteMade(const void* object);
    void NoteGone(const void* object) { made_.erase(object); }
    bool MadeInOpenRecord(const void* object) const { return !made_.empty() && made_.count(object) != 0; }
    // True once per made object and innermost record: the first change, which takes the snapshot.
    bool FirstChangeInOpenRecord(const void* object);

  private:
    struct Record
    {
        WStr name;
        std::vector<std::unique_ptr<RestoreObj>> changes;
        unsigned long serial = 0;
        std::vector<const void*> snapshots; // made objects whose snapshot is in `changes`
    };
    void DropSnapshots(const Record& rec);
    std::vector<Record> open_;
    std::vector<Record> undo_;
    std::vector<Record> redo_;
    int restoring_ = 0;
    int redoing_ = 0;
    int suspended_ = 0;
    unsigned long serial_ = 0;
    std::unordered_map<const void*, unsigned long> made_; // object -> record holding its snapshot, 0 for none
};

extern Hold theHold;
