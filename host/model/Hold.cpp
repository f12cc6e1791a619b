#include "Hold.h"

Hold theHold;

Hold::Hold() = default;
Hold::~Hold() = default;

void Hold::Begin()
{
    open_.emplace_back();
    open_.back().serial = ++serial_;
}

void Hold::Accept(const wchar_t* name)
{
    if (open_.empty())
        return;
    Record rec = std::move(open_.back());
    open_.pop_back();
    rec.name = WStr(name);
    if (open_.empty())
        made_.clear();
    if (!open_.empty())
    {
        Record& outer = open_.back();
        for (const void* object : rec.snapshots)
        {
            const auto found = made_.find(object);
            if (found != made_.end() && found->second == rec.serial)
            {
                found->second = outer.serial;
                outer.snapshots.push_back(object);
            }
        }
        for (auto& c : rec.changes)
            open_.back().changes.push_back(std::move(c));
        return;
    }
    if (rec.changes.empty())
        return;
    rec.snapshots = {};
    undo_.push_back(std::move(rec));
    redo_.clear();
}

void Hold::Cancel()
{
    if (open_.empty())
        return;
    Record rec = std::move(open_.back());
    open_.pop_back();
    ++restoring_;
    for (auto it = rec.changes.rbegin(); it != rec.changes.rend(); ++it)
        (*it)->Restore(1);
    --restoring_;
    DropSnapshots(rec);
}

void Hold::Discard()
{
    if (open_.empty())
        return;
    Record rec = std::move(open_.back());
    open_.pop_back();
    DropSnapshots(rec);
}

void Hold::DropSnapshots(const Record& rec)
{
    if (open_.empty())
    {
        made_.clear();
        return;
    }
    for (const void* object : rec.snapshots)
    {
        const auto found = made_.find(object);
        if (found != made_.end() && found->second == rec.serial)
            found->second = 0;
    }
}

void Hold::Put(RestoreObj* rob)
{
    std::unique_ptr<RestoreObj> owned(rob);
    if (!Holding())
        return;
    open_.back().changes.push_back(std::move(owned));
}

int Hold::Holding() const
{
    return !open_.empty() && suspended_ == 0 && restoring_ == 0 && redoing_ == 0;
}

bool Hold::Undo()
{
    if (undo_.empty() || !open_.empty())
        return false;
    Record rec = std::move(undo_.back());
    undo_.pop_back();
    ++restoring_;
    for (auto it = rec.changes.rbegin(); it != rec.changes.rend(); ++it)
        (*it)->Restore(1);
    --restoring_;
    redo_.push_back(std::move(rec));
    return true;
}

bool Hold::Redo()
{
    if (redo_.empty() || !open_.empty())
        return false;
    Record rec = std::move(redo_.back());
    redo_.pop_back();
    ++redoing_;
    for (auto& c : rec.changes)
        c->Redo();
    --redoing_;
    undo_.push_back(std::move(rec));
    return true;
}

WStr Hold::UndoName() const
{
    return undo_.empty() ? WStr() : undo_.back().name;
}

WStr Hold::RedoName() const
{
    return redo_.empty() ? WStr() : redo_.back().name;
}

void Hold::NoteMade(const void* object)
{
    if (!open_.empty())
        made_.emplace(object, 0);
}

bool Hold::FirstChangeInOpenRecord(const void* object)
{
    const auto found = made_.find(object);
    if (found == made_.end() || open_.empty() || found->second == open_.back().serial)
        return false;
    found->second = open_.back().serial;
    open_.back().snapshots.push_back(object);
    return true;
}

void Hold::ClearHistory()
{
    made_.clear();
    open_.clear();
    undo_.clear();
    redo_.clear();
}
