// Normalising entity boundaries: whitespace at the edges leaves the span,
// candidates that cannot give a non-empty span go, equal candidates merge.
#include "entities/refine.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>

#include "base/fatal.h"
#include "base/whitespace.h"
#include "model/vocabulary.h"

namespace {

[[noreturn]] void reject(const entity& e, const char* fname, const name_table& types) {
  assert(types.has(e.tagid));
  fatal_at(fname, e.line, e.col, "Empty tag %s.\n", types.name(e.tagid).c_str());
}

// Two candidates on one position would give the alignment the same choice
// twice and list the entity twice at one frontier.
void merge_equal(std::vector<int>& candidates) {
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
}

void refine_entity(entity& e, const char* data, int length, const char* fname,
                   const name_table& types) {
  for (int& s : e.start) {
    assert(s >= 0 && s <= length);
    // The NUL at `length` stops the scan.
    while (is_space(data[s])) {
      ++s;
    }
  }
  if (e.end.empty() || e.start.empty()) {
    reject(e, fname, types);
  }
  for (int& t : e.end) {
    assert(t >= 0 && t <= length);
    while (t > 0 && is_space(data[t - 1])) {
      --t;
    }
  }
  merge_equal(e.start);
  merge_equal(e.end);

  const int first_start = e.start.front();
  const auto first_usable =
      std::find_if(e.end.begin(), e.end.end(), [first_start](int t) { return t > first_start; });
  if (first_usable == e.end.end()) {
    reject(e, fname, types);
  }
  e.end.erase(e.end.begin(), first_usable);

  // The first start stays: it lies before the first end, hence before the last.
  const int last_end = e.end.back();
  while (e.start.back() >= last_end) {
    e.start.pop_back();
  }
}

}  // namespace

void refine_entities(std::vector<entity>& entities, const char* data, const char* fname,
                     const name_table& types) {
  const int length = static_cast<int>(std::strlen(data));
  for (size_t i = 0; i < entities.size(); ++i) {
    entity& e = entities[i];
    if (e.tagid == -1) {
      fatal(1, "%s: Empty tag: annotation id %d is never used.\n", fname, static_cast<int>(i));
    }
    refine_entity(e, data, length, fname, types);
  }
}
