// The least-cost alignment of reference and hypothesis entities.
#pragma once

#include <atomic>
#include <cstddef>

#include "model/entity.h"
#include "model/segment.h"

// How far the search may grow before it gives up: past either limit the run
// ends with a message that names the reference and the text position.
struct search_limits {
  // Partial solutions kept at once. Equivalent ones are merged as they are
  // made, so only inputs whose alternatives really multiply come near it.
  size_t max_partial_solutions = 200000;
  // Alternatives tried in one segment, kept or merged away. One of more than
  // 64 starting entities counts once more for every 64; where all of a
  // segment's alternatives end in one state, the search for the cheapest
  // counts each step, and more for a step over many entities.
  size_t max_alternatives = 800000;
  // When set, from any thread, the search ends soon after with a fault
  // ("Error: the evaluation was interrupted."): a caller's way to stop it.
  const std::atomic<bool>* stop = nullptr;
};

// Searches, segment by segment, for the pairing and the choice of reference
// candidates that cost least, and writes what it chose into `result`.
// `ref_fname` names the reference in the messages for a reference whose
// candidates admit no consistent choice and for a search past its limit.
void align(const entity_set& ref, const entity_set& hyp, const segment_set& segments,
           const substitution_costs& costs, alignment_result& result, const char* ref_fname,
           const search_limits& limits = search_limits());

// Takes off the unmapped lists the entities that a later segment paired.
void cleanup_unmapped(alignment_result& result, size_t nref, size_t nhyp);
