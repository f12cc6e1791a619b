#pragma once
// Every reference target alive in the process, so the host can empty the
// scene completely and tests can look for leaks.
#include <set>

class ReferenceTarget;

namespace Norvane
{

class LiveObjects
{
  public:
    static LiveObjects& Instance();
    void Add(ReferenceTarget* t) { live_.insert(t); }
    void Remove(ReferenceTarget* t)
    {
        live_.erase(t);
        pinned_.erase(t);
    }
    bool Contains(const ReferenceTarget* t) const { return live_.count(const_cast<ReferenceTarget*>(t)) != 0; }
    int Count() const { return static_cast<int>(live_.size()); }
    // Objects the host itself owns (the current material library) survive DeleteAll.
    void Pin(ReferenceTarget* t) { pinned_.insert(t); }
    // Deletes every object except pinned ones, those in `keep`, and blocks
    // (their owners delete those).
    void DeleteAll(const std::set<ReferenceTarget*>& keep = {});

  private:
    std::set<ReferenceTarget*> live_;
    std::set<ReferenceTarget*> pinned_;
};

} // namespace Norvane
