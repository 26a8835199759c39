// A view of consecutive records in a pool: what an entity's candidates, a
// segment's starting entities or an error-name list are.
#pragma once

#include <cassert>
#include <cstddef>

template <class T>
class view {
 public:
  view() = default;
  view(T* data, size_t size) : data_(data), size_(size) {}

  T* begin() const { return data_; }
  T* end() const { return data_ + size_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t i) const {
    assert(i < size_);
    return data_[i];
  }
  T& front() const { return (*this)[0]; }
  T& back() const { return (*this)[size_ - 1]; }

 private:
  T* data_ = nullptr;
  size_t size_ = 0;
};
