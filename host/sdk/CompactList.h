#pragma once
// A list that keeps a single element inline and only a longer list on the
// heap. Nearly every parameter holds one entry; only tables hold more.
#include <cstddef>
#include <memory>
#include <vector>

template <typename T>
class CompactList
{
  public:
    CompactList() = default;
    CompactList(const CompactList& o) { *this = o; }
    CompactList(CompactList&&) noexcept = default;
    CompactList& operator=(const CompactList& o)
    {
        if (this != &o)
        {
            one_ = o.one_;
            size_ = o.size_;
            many_ = o.many_ ? std::make_unique<std::vector<T>>(*o.many_) : nullptr;
        }
        return *this;
    }
    CompactList& operator=(CompactList&&) noexcept = default;

    std::size_t size() const { return many_ ? many_->size() : size_; }
    bool empty() const { return size() == 0; }
    T* begin() { return many_ ? many_->data() : &one_; }
    T* end() { return begin() + size(); }
    const T* begin() const { return many_ ? many_->data() : &one_; }
    const T* end() const { return begin() + size(); }
    T& operator[](std::size_t i) { return begin()[i]; }
    const T& operator[](std::size_t i) const { return begin()[i]; }

    void assign(std::size_t n, const T& value)
    {
        if (n <= 1)
        {
            many_.reset();
            one_ = n ? value : T();
            size_ = n;
        }
        else
        {
            many_ = std::make_unique<std::vector<T>>(n, value);
            one_ = T();
            size_ = 0;
        }
    }
    void resize(std::size_t n, const T& value)
    {
        if (n > 1 || many_)
        {
            Spill();
            many_->resize(n, value);
        }
        else
        {
            if (n == 1 && size_ == 0)
                one_ = value;
            if (n == 0)
                one_ = T();
            size_ = n;
        }
    }
    void push_back(const T& value) { resize(size() + 1, value); }

  private:
    // From here on the elements live in the vector, however few remain.
    void Spill()
    {
        if (many_)
            return;
        many_ = std::make_unique<std::vector<T>>();
        if (size_)
            many_->push_back(std::move(one_));
        one_ = T();
        size_ = 0;
    }

    T one_{};
    std::size_t size_ = 0;
    std::unique_ptr<std::vector<T>> many_;
};
