// The search as first written, for comparison on small inputs: every partial
// solution is a node with full copies of its state, all the nodes of a
// segment are made before any is merged, and the merge walks the surviving
// nodes one by one. It states the tie-breaks, the equivalence of partial
// solutions and the limits of the search independently of the program's own
// search, so that the two can be compared result for result.
//
// It is kept beside the exhaustive solver (reference_solver.h) because it
// pins what that one cannot: the exhaustive solver knows only the least
// cost, while the program must also choose the same alignment among those
// of equal cost (the listing and every count follow that choice), keep the
// same number of partial solutions (which decides when the search limit is
// reached, and so the run's status and message), and stop with the same
// message at the same position.
#pragma once

#include <cstddef>
#include <string>

#include "alignment/align.h"
#include "fixture.h"

struct literal_outcome {
  bool ok = false;
  std::string error;  // when !ok, the message the run ends with, as align gives it
  alignment_result result;
  size_t peak = 0;  // most partial solutions kept after one segment
};

literal_outcome literal_align(const scene& sc, const search_limits& limits = search_limits());
