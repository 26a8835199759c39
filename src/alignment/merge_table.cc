#include "alignment/merge_table.h"

#include <algorithm>

void merge_table::clear() {
  if (++stamp_ == 0) {
    // After 2^32 segments the stamps start again from a clean table.
    std::fill(stamp_of_.begin(), stamp_of_.end(), 0);
    stamp_ = 1;
  }
}

void merge_table::grow(const std::vector<partial_solution>& nodes) {
  size_t size = 64;
  while (size < 4 * (nodes.size() + 1)) {
    size *= 2;
  }
  index_.assign(size, -1);
  stamp_of_.assign(size, 0);
  for (size_t i = 0; i < nodes.size(); i++) {
    size_t at = nodes[i].hash & (index_.size() - 1);
    while (stamp_of_[at] == stamp_) {
      at = (at + 1) & (index_.size() - 1);
    }
    index_[at] = static_cast<int32_t>(i);
    stamp_of_[at] = stamp_;
  }
}
