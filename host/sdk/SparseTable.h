#pragma once
// A table that reads as a full vector but keeps only the elements that were
// written: the others come from a base table that many tables share. A block
// of sixty parameters of which an import sets ten holds ten.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <typename T>
class SparseTable
{
  public:
    using Base = std::vector<T>;

    SparseTable() = default;
    explicit SparseTable(std::shared_ptr<const Base> base) :
        base_(std::move(base)) {}

    std::size_t size() const { return base_ ? base_->size() : 0; }
    const T& operator[](std::size_t i) const
    {
        const auto found = Find(i);
        return found != own_.end() && found->first == i ? found->second : (*base_)[i];
    }
    // The element to change: from here on the table keeps its own copy.
    T& Mutable(std::size_t i)
    {
        auto found = Find(i);
        if (found == own_.end() || found->first != i)
        {
            // Blocks set their parameters one by one and then keep them:
            // growing by half, not double, leaves less room unused.
            if (own_.size() == own_.capacity())
            {
                const auto at = found - own_.begin();
                own_.reserve(own_.size() + own_.size() / 2 + 1);
                found = own_.begin() + at;
            }
            found = own_.emplace(found, i, (*base_)[i]);
        }
        return found->second;
    }
    // Every element in index order.
    // The shared value at i, whatever the table holds of its own there.
    const T& Shared(std::size_t i) const { return (*base_)[i]; }
    // Drops the table's own value at i, if any: i reads the shared one again.
    void Revert(std::size_t i)
    {
        const auto found = Find(i);
        if (found != own_.end() && found->first == i)
            own_.erase(found);
    }
    template <typename Visit>
    void ForEach(Visit visit) const
    {
        auto next = own_.begin();
        for (std::size_t i = 0; i < size(); ++i)
        {
            if (next != own_.end() && next->first == i)
                visit(i, (next++)->second);
            else
                visit(i, (*base_)[i]);
        }
    }
    std::size_t OwnCount() const { return own_.size(); }

  private:
    using Own = std::vector<std::pair<std::size_t, T>>;
    typename Own::const_iterator Find(std::size_t i) const
    {
        return std::lower_bound(own_.begin(), own_.end(), i,
                                [](const std::pair<std::size_t, T>& e, std::size_t key) { return e.first < key; });
    }
    typename Own::iterator Find(std::size_t i)
    {
        return std::lower_bound(own_.begin(), own_.end(), i,
                                [](const std::pair<std::size_t, T>& e, std::size_t key) { return e.first < key; });
    }

    std::shared_ptr<const Base> base_;
    Own own_; // sorted by index
};
