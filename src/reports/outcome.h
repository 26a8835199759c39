// How the reports read one outcome, shared by the counts, the detail listing
// and the dumps so that they agree entry for entry.
#pragma once

#include <string>

#include "description/error_d.h"
#include "entities/entity.h"

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
