// The outcomes of an alignment, as every report reads them: one walk in
// listing order, shared by the counts, the detail listing and any other
// report, so that they agree entry for entry.
#pragma once

#include <algorithm>
#include <vector>

#include "model/cost_record.h"
#include "model/entity.h"
#include "orvane/values.h"
#include "reports/evaluated_pair.h"

using orvane::outcome_kind;

struct outcome {
  outcome_kind kind;
  const entity* ref;          // null for an insertion
  const entity* hyp;          // null for a deletion
  const cost_record* record;  // the record charged for it
};

// The miss record that the reports charge for an unpaired entity: the one of
// its first start and first end candidate, whatever the alignment chose.
inline const cost_record& miss_record(const entity_set& set, const entity& e) {
  return set.miss_record(e, 0, 0);
}

// A pairing is correct exactly when its record names no error type; its cost
// plays no part.
inline bool is_correct(const cost_record& record) {
  return record.errors == 0;
}

// Calls visit(const outcome&) for every outcome, segment by segment: first
// the entities left unpaired there, then the pairings made there.
template <class Visit>
void for_each_outcome(const evaluated_pair& pair, Visit&& visit) {
  const std::vector<unmapped_entity>& unmapped = pair.result.unmapped;
  const std::vector<pairing>& pairs = pair.result.pairs;
  size_t u = 0, p = 0;
  while (u < unmapped.size() || p < pairs.size()) {
    const uint32_t seg = u == unmapped.size() ? pairs[p].seg
                         : p == pairs.size()  ? unmapped[u].seg
                                              : std::min(unmapped[u].seg, pairs[p].seg);
    for (; u < unmapped.size() && unmapped[u].seg == seg; u++) {
      const int32_t id = unmapped[u].id;
      if (id < 0) {
        const entity& e = pair.hyp[static_cast<size_t>(-1 - id)];
        visit(outcome{outcome_kind::insertion, nullptr, &e, &miss_record(pair.hyp, e)});
      } else {
        const entity& e = pair.ref[static_cast<size_t>(id)];
        visit(outcome{outcome_kind::deletion, &e, nullptr, &miss_record(pair.ref, e)});
      }
    }
    for (; p < pairs.size() && pairs[p].seg == seg; p++) {
      const cost_record& record = pair.costs.records[pairs[p].record];
      outcome_kind kind = is_correct(record) ? outcome_kind::correct : outcome_kind::substitution;
      visit(outcome{kind, &pair.ref[static_cast<size_t>(pairs[p].ref)],
                    &pair.hyp[static_cast<size_t>(pairs[p].hyp)], &record});
    }
  }
}

// The counts every score is computed from. Per-type counters are indexed by
// type id; an entity counts for the type of its own side. A description may
// call a pairing of two types correct, so a correct counts for recall under
// its reference entity's type and for precision under its hypothesis
// entity's: each type's precision then stays a share of its own entities.
struct outcome_counts {
  int reference_entities = 0;
  int hypothesis_entities = 0;
  int corrects = 0;
  int insertions = 0;
  int deletions = 0;
  int substitutions = 0;
  int total_errors = 0;       // insertions + deletions + substitutions
  double slot_error_sum = 0;  // the costs charged, summed in listing order
  // A correct pairing earns 1, a substitution 1 less its cost (kept within
  // 0 and 1), a miss nothing: partial credit, as nervaluate's "partial"
  // gives half a point to a partial match that costs half.
  double credits = 0;
  // Token-per-line documents: their tokens, and those whose two tags agree.
  uint64_t tokens = 0;
  uint64_t equal_tags = 0;
  // Deletions and insertions that overlap an entity of the other side,
  // counted where the reports ask (reports/overlaps.h).
  int overlapping_misses = 0;
  std::vector<int> hyp_per_type;
  std::vector<int> ref_per_type;
  std::vector<int> correct_per_type;      // by the reference entity's type
  std::vector<int> correct_hyp_per_type;  // by the hypothesis entity's type
};

outcome_counts count_outcomes(const evaluated_pair& pair);
