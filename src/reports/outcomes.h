// The outcomes of an alignment, as every report reads them: one walk in
// listing order, shared by the counts, the detail listing and any other
// report, so that they agree entry for entry.
#pragma once

#include <vector>

#include "model/entity.h"
#include "model/error_d.h"
#include "model/segment.h"

enum class outcome_kind { insertion, deletion, substitution, correct };

struct outcome {
  outcome_kind kind;
  const entity* ref;      // null for an insertion
  const entity* hyp;      // null for a deletion
  const error_d* record;  // the record charged for it
};

// The miss record that the reports charge for an unpaired entity: the one of
// its first start and first end candidate, whatever the alignment chose.
inline const error_d& miss_record(const entity& e) {
  return e.miss_errors[0][0];
}

// A pairing is correct exactly when its record names no error type; its cost
// plays no part.
inline bool is_correct(const error_d& err) {
  return err.error_types.empty();
}

// Calls visit(const outcome&) for every outcome, segment by segment: first
// the entities left unpaired there, then the pairings made there.
template <class Visit>
void for_each_outcome(const std::vector<segment>& segments, Visit&& visit) {
  for (const segment& seg : segments) {
    for (const entity* e : seg.unmapped_entities) {
      if (e->hyp) {
        visit(outcome{outcome_kind::insertion, nullptr, e, &miss_record(*e)});
      } else {
        visit(outcome{outcome_kind::deletion, e, nullptr, &miss_record(*e)});
      }
    }
    for (const segment::pairinfo& p : seg.added_pairs) {
      outcome_kind kind = is_correct(*p.error) ? outcome_kind::correct : outcome_kind::substitution;
      visit(outcome{kind, p.er, p.eh, p.error});
    }
  }
}

// The counts every score is computed from. Per-type counters are indexed by
// type id; an entity counts for the type of its own side.
struct outcome_counts {
  int reference_entities = 0;
  int hypothesis_entities = 0;
  int corrects = 0;
  int insertions = 0;
  int deletions = 0;
  int substitutions = 0;
  int total_errors = 0;       // insertions + deletions + substitutions
  double slot_error_sum = 0;  // the costs charged, summed in listing order
  std::vector<int> hyp_per_type;
  std::vector<int> ref_per_type;
  std::vector<int> correct_per_type;  // by the reference entity's type
};

outcome_counts count_outcomes(const std::vector<segment>& segments, int type_count,
                              int reference_entities, int hypothesis_entities);
