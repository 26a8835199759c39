// A set of small non-negative integers with constant-time insertion and
// removal and iteration in increasing order that skips empty stretches:
// bit words with a summary level above them, as many levels as the range
// needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class index_set {
 public:
  // Room for the integers 0 to size - 1.
  explicit index_set(size_t size = 0) { reset(size); }

  void reset(size_t size) {
    levels_.clear();
    size_t n = size;
    do {
      n = (n + 63) / 64;
      levels_.emplace_back(n ? n : 1, 0);
    } while (n > 1);
  }

  void insert(size_t i) {
    for (std::vector<uint64_t>& level : levels_) {
      uint64_t& word = level[i / 64];
      const bool was_empty = word == 0;
      word |= uint64_t(1) << (i % 64);
      if (!was_empty) {
        return;
      }
      i /= 64;
    }
  }

  void erase(size_t i) {
    for (std::vector<uint64_t>& level : levels_) {
      uint64_t& word = level[i / 64];
      word &= ~(uint64_t(1) << (i % 64));
      if (word != 0) {
        return;
      }
      i /= 64;
    }
  }

  bool contains(size_t i) const { return levels_[0][i / 64] >> (i % 64) & 1; }

  // The smallest member at or after `from`, or SIZE_MAX when there is none.
  size_t next(size_t from) const { return next_at(0, from); }

  // Calls f(i) for every member in increasing order. f may erase the member
  // it is given.
  template <class F>
  void for_each(F&& f) const {
    for (size_t i = next(0); i != SIZE_MAX; i = next(i + 1)) {
      f(i);
    }
  }

 private:
  size_t next_at(size_t level, size_t from) const {
    const std::vector<uint64_t>& words = levels_[level];
    size_t w = from / 64;
    if (w >= words.size()) {
      return SIZE_MAX;
    }
    uint64_t bits = words[w] & (~uint64_t(0) << (from % 64));
    if (bits == 0) {
      // Find the next non-empty word through the level above.
      if (level + 1 == levels_.size()) {
        for (w++; w < words.size() && words[w] == 0; w++) {
        }
        if (w >= words.size()) {
          return SIZE_MAX;
        }
      } else {
        w = next_at(level + 1, w + 1);
        if (w == SIZE_MAX) {
          return SIZE_MAX;
        }
      }
      bits = words[w];
    }
    return w * 64 + static_cast<size_t>(__builtin_ctzll(bits));
  }

  std::vector<std::vector<uint64_t>> levels_;
};
