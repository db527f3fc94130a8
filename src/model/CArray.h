#pragma once

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

// Growable array of values with the semantics the score code relies on:
// resizing keeps elements and default-constructs new ones, removal shifts
// the tail down, and any index out of range throws std::invalid_argument.
template <typename T>
class CArray {
public:
    CArray() = default;
    explicit CArray(int size) { SetSize(size); }

    int GetSize() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }

    // growBy is the storage step; -1 means "size / 8 clamped to 4..1024".
    void SetSize(int newSize, int growBy = -1)
    {
        if (newSize < 0)
            throw std::invalid_argument("CArray::SetSize: negative size");
        const auto n = static_cast<std::size_t>(newSize);
        if (n > items_.capacity()) {
            std::size_t step = growBy > 0 ? static_cast<std::size_t>(growBy)
                                          : std::clamp<std::size_t>(items_.size() / 8, 4, 1024);
            std::size_t wanted = std::max(n, items_.size() + step);
            // Never reserve more than asked when the caller sizes from scratch.
            if (items_.empty())
                wanted = n;
            items_.reserve(wanted);
        }
        items_.resize(n);
    }

    void FreeExtra() { items_.shrink_to_fit(); }
    void RemoveAll()
    {
        items_.clear();
        items_.shrink_to_fit();
    }

    T& operator[](int i) { return items_[check(i)]; }
    const T& operator[](int i) const { return items_[check(i)]; }
    T& ElementAt(int i) { return items_[check(i)]; }
    const T& GetAt(int i) const { return items_[check(i)]; }

    int Add(const T& value)
    {
        items_.push_back(value);
        return GetSize() - 1;
    }

    void InsertAt(int i, const T& value, int count = 1)
    {
        if (i < 0 || i > GetSize() || count < 0)
            throw std::invalid_argument("CArray::InsertAt: index out of range");
        items_.insert(items_.begin() + i, static_cast<std::size_t>(count), value);
    }

    void RemoveAt(int i, int count = 1)
    {
        if (i < 0 || count < 0 || i + count > GetSize())
            throw std::invalid_argument("CArray::RemoveAt: index out of range");
        items_.erase(items_.begin() + i, items_.begin() + i + count);
    }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // Direct access for bulk readers that have already checked their bounds.
    std::vector<T>& raw() { return items_; }
    const std::vector<T>& raw() const { return items_; }

    bool operator==(const CArray& other) const = default;

private:
    std::size_t check(int i) const
    {
        if (i < 0 || i >= GetSize())
            throw std::invalid_argument("CArray: index out of range");
        return static_cast<std::size_t>(i);
    }

    std::vector<T> items_;
};
