#pragma once
// The host's growable table of plain values (pointers as a rule).
#include <algorithm>
#include <vector>

template <class T> class Tab
{
  public:
    Tab() = default;
    int Count() const { return static_cast<int>(v_.size()); }
    bool empty() const { return v_.empty(); }
    void ZeroCount() { v_.clear(); }
    void SetCount(int n) { v_.resize(static_cast<size_t>(n < 0 ? 0 : n)); }
    void Resize(int n) { v_.reserve(static_cast<size_t>(n < 0 ? 0 : n)); }
    void Shrink() { v_.shrink_to_fit(); }
    T& operator[](int i) { return v_[static_cast<size_t>(i)]; }
    const T& operator[](int i) const { return v_[static_cast<size_t>(i)]; }
    T* Addr(int i) { return v_.data() + i; }
    const T* Addr(int i) const { return v_.data() + i; }

    // Appends `num` elements from `el`; returns the index of the first.
    int Append(int num, const T* el, int allocExtra = 0)
    {
        int at = Count();
        if (allocExtra > 0)
            v_.reserve(v_.size() + static_cast<size_t>(num + allocExtra));
        for (int i = 0; i < num; ++i)
            v_.push_back(el[i]);
        return at;
    }
    int Append(const T& el)
    {
        v_.push_back(el);
        return Count() - 1;
    }
    int Insert(int at, int num, const T* el)
    {
        at = std::clamp(at, 0, Count());
        v_.insert(v_.begin() + at, el, el + num);
        return at;
    }
    // Removes `num` elements from `start`; returns the remaining count.
    int Delete(int start, int num)
    {
        if (start < 0 || start >= Count() || num <= 0)
            return Count();
        num = std::min(num, Count() - start);
        v_.erase(v_.begin() + start, v_.begin() + start + num);
        return Count();
    }
    // Index of the first element equal to `el`, -1 when absent.
    int IndexOf(const T& el) const
    {
        auto it = std::find(v_.begin(), v_.end(), el);
        return it == v_.end() ? -1 : static_cast<int>(it - v_.begin());
    }
    typename std::vector<T>::iterator begin() { return v_.begin(); }
    typename std::vector<T>::iterator end() { return v_.end(); }
    typename std::vector<T>::const_iterator begin() const { return v_.begin(); }
    typename std::vector<T>::const_iterator end() const { return v_.end(); }

  private:
    std::vector<T> v_;
};
