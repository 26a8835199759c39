// The decision history: what each partial solution decided, segment by
// segment, as steps that point back to the step before them. Whenever a
// single partial solution is left, its steps are final: they are written to
// the result and the history starts again; when it grows without that, the
// steps no partial solution leads back to are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "alignment/partial_solutions.h"
#include "model/segment.h"

class decision_history {
 public:
  // Records what `child` decided in segment `seg` after step `prev`, and
  // returns its step; `prev` when it decided nothing.
  int32_t record(int32_t prev, size_t seg, const child_state& child);

  // Writes the steps of `only`, the one partial solution left, through
  // segment `through`, to the result, and starts the history again.
  void commit(partial_solution& only, size_t through, alignment_result& result);

  // Drops the steps that none of `nodes` leads back to, when the history
  // has grown past its mark without a commit.
  void collect_if_grown(std::vector<partial_solution>& nodes);

 private:
  // What a partial solution decided in one segment.
  struct step {
    int32_t prev;
    uint32_t seg;
    uint32_t decisions;  // in `decisions_`: pairings, then unmapped, then choices
    uint32_t npairs;
    uint32_t nunmapped;
    uint32_t nchoices;
  };

  std::vector<step> steps_;
  std::vector<int32_t> decisions_;
  std::vector<int32_t> path_;  // scratch of a commit
  size_t committed_ = 0;       // segments written to the result
  size_t collect_at_ = 1 << 16;
};
