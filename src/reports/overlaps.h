// The entities of the other side that an unpaired entity overlaps: a
// boundary error whose two entities start apart reads as an unrelated
// deletion and insertion, and these tell that they are one.
#pragma once

#include <cstdint>
#include <vector>

#include "reports/evaluated_pair.h"
#include "reports/outcomes.h"

class overlap_index {
 public:
  // Candidates come from the pairs that share a segment (the only ones that
  // can overlap), each checked by the spans the reports show.
  explicit overlap_index(const evaluated_pair& pair);

  // For a deletion, the hypothesis entities its reference entity overlaps;
  // for an insertion, the reference entities; by index, ascending. Empty
  // for a pairing.
  std::vector<int32_t> of(const outcome& o) const;

 private:
  const evaluated_pair& pair_;
  std::vector<uint32_t> hyp_begin_;  // hypothesis h's reference partners: [h, h + 1)
  std::vector<int32_t> hyp_refs_;
};

// The deletions and insertions that overlap an entity of the other side.
int count_overlapping_misses(const evaluated_pair& pair);
