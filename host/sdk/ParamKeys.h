#pragma once
// The animation keys of one parameter entry, by time. Most entries have none:
// the table is allocated with the first key.
#include <map>
#include <memory>

template <typename Time, typename Value>
class KeyTable
{
  public:
    using Map = std::map<Time, Value>;
    using const_iterator = typename Map::const_iterator;

    KeyTable() = default;
    KeyTable(const KeyTable& o) :
        keys_(o.keys_ && !o.keys_->empty() ? std::make_unique<Map>(*o.keys_) : nullptr) {}
    KeyTable(KeyTable&&) noexcept = default;
    KeyTable& operator=(const KeyTable& o)
    {
        if (this != &o)
            keys_ = o.keys_ && !o.keys_->empty() ? std::make_unique<Map>(*o.keys_) : nullptr;
        return *this;
    }
    KeyTable& operator=(KeyTable&&) noexcept = default;

    bool empty() const { return !keys_ || keys_->empty(); }
    std::size_t size() const { return keys_ ? keys_->size() : 0; }
    const_iterator begin() const { return Keys().begin(); }
    const_iterator end() const { return Keys().end(); }
    const_iterator lower_bound(const Time& t) const { return Keys().lower_bound(t); }
    Value& operator[](const Time& t)
    {
        if (!keys_)
            keys_ = std::make_unique<Map>();
        return (*keys_)[t];
    }
    void clear() { keys_.reset(); }

  private:
    const Map& Keys() const
    {
        static const Map none;
        return keys_ ? *keys_ : none;
    }
    std::unique_ptr<Map> keys_;
};
