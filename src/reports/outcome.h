// How the reports read one outcome, shared by the counts, the detail listing
// and the dumps so that they agree entry for entry.
#pragma once

#include <string>
#include <vector>

#include "alignment/frontier_choice.h"
#include "description/error_d.h"
#include "entities/entity.h"
#include "entities/segment.h"

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

// The printable form of the reference text from `from` up to `to` (empty when
// the span is empty or reversed).
std::string span_text(const char* data, int from, int to);

// The name of an entity type, or "?" for an id outside the vocabulary (an
// aref slot that no marker described, in a dump taken before refinement).
const char* type_name(int tagid);

// The candidates an entity is shown with: those the alignment chose, or its
// first start and last end when it has no entry.
frontier_choice shown_choice(const entity& e, const frontier_choice_map& fm);

// The candidate at `index`, or `none` when the entity has no such candidate.
int candidate_or(const std::vector<int>& positions, int index, int none);

// Everything calc_scores counts, for the reports that print it.
struct outcome_counts {
  int tc;
  std::vector<int> tag_hypcount, tag_refcount, tag_correct;
  double ser;
  int count_insert, count_delete, count_subst, count_correct, count_total;
};
outcome_counts count_outcomes(const std::vector<segment>& segments);
