// Normalising entity boundaries: whitespace at the edges leaves the span,
// candidates that cannot give a non-empty span go, equal candidates merge.
#include "entities/refine.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>

#include "base/escape.h"
#include "base/fatal.h"
#include "base/whitespace.h"
#include "model/vocabulary.h"

namespace {

[[noreturn]] void reject(const entity& e, const char* fname, const name_table& types) {
  assert(types.has(e.tagid));
  fatal_at(fname, e.line, e.col, "Empty tag %s.\n", shown_name(types.name(e.tagid)).c_str());
}

// Two candidates on one position would give the alignment the same choice
// twice and list the entity twice at one frontier. Candidates come in text
// order, so equal ones stand together.
uint32_t merge_equal(view<int32_t> candidates) {
  return static_cast<uint32_t>(std::unique(candidates.begin(), candidates.end()) -
                               candidates.begin());
}

void refine_entity(entity_set& set, entity& e, const char* data, int length, const char* fname,
                   const name_table& types) {
  for (int32_t& s : set.starts(e)) {
    assert(s >= 0 && s <= length);
    // The NUL at `length` stops the scan.
    while (is_space(data[s])) {
      ++s;
    }
  }
  if (e.nends == 0 || e.nstarts == 0) {
    reject(e, fname, types);
  }
  for (int32_t& t : set.ends(e)) {
    assert(t >= 0 && t <= length);
    while (t > 0 && is_space(data[t - 1])) {
      --t;
    }
  }
  e.nstarts = merge_equal(set.starts(e));
  e.nends = merge_equal(set.ends(e));

  const int32_t first_start = set.first_start(e);
  const view<int32_t> ends = set.ends(e);
  const uint32_t first_usable = static_cast<uint32_t>(
      std::find_if(ends.begin(), ends.end(), [first_start](int32_t t) { return t > first_start; }) -
      ends.begin());
  if (first_usable == e.nends) {
    reject(e, fname, types);
  }
  e.ends += first_usable;
  e.nends -= first_usable;

  // The first start stays: it lies before the first end, hence before the last.
  const int32_t last_end = set.last_end(e);
  while (set.start(e, static_cast<int>(e.nstarts) - 1) >= last_end) {
    e.nstarts--;
  }
}

}  // namespace

void refine_entities(entity_set& entities, const char* data, const char* fname,
                     const name_table& types) {
  const int length = static_cast<int>(std::strlen(data));
  for (size_t i = 0; i < entities.size(); ++i) {
    entity& e = entities[i];
    if (e.tagid == -1) {
      fatal(1, "%s: Empty tag: annotation id %d is never used.\n", fname, static_cast<int>(i));
    }
    refine_entity(entities, e, data, length, fname, types);
  }
}
