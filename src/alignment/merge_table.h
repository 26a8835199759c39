// The merge table: among the partial solutions made in a segment, the one
// whose state equals a new child's, found by the state's hash (open
// addressing over the generation's list), so that the two are merged at
// once: the cheaper stays, the earlier on equal cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "alignment/partial_solutions.h"

class merge_table {
 public:
  // Forgets every entry: a new segment begins.
  void clear();

  // The index in `nodes` of the partial solution with hash `h` for which
  // same(node) holds, or -1; `slot` receives the place a new one takes.
  template <class Same>
  int32_t find(uint64_t h, const std::vector<partial_solution>& nodes, Same&& same, size_t& slot) {
    if (index_.size() < 2 * (nodes.size() + 1)) {
      grow(nodes);
    }
    size_t at = h & (index_.size() - 1);
    while (stamp_of_[at] == stamp_) {
      const partial_solution& o = nodes[static_cast<size_t>(index_[at])];
      if (o.hash == h && same(o)) {
        slot = at;
        return index_[at];
      }
      at = (at + 1) & (index_.size() - 1);
    }
    slot = at;
    return -1;
  }

  // Enters nodes[i] at the slot that find() gave for it.
  void insert(size_t slot, int32_t i) {
    index_[slot] = i;
    stamp_of_[slot] = stamp_;
  }

 private:
  // Grown to four slots a node at least, and rebuilt.
  void grow(const std::vector<partial_solution>& nodes);

  // A slot is empty unless its stamp is this segment's.
  std::vector<int32_t> index_;
  std::vector<uint32_t> stamp_of_;
  uint32_t stamp_ = 0;
};
