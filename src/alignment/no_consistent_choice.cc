// Why no partial solution survived a segment: the reference's candidates
// admit no consistent choice there. A fault that no choice anywhere could
// avoid is named at the marker of the entity that cannot be placed; else the
// entities that start there are.
#include <algorithm>
#include <string>

#include "alignment/search.h"
#include "base/fatal.h"

namespace {

// Whether some choice of `e` lies within [lo, hi] and is not empty.
bool fits_within(const entity_set& set, const entity& e, int32_t lo, int32_t hi) {
  int32_t s = -1;
  for (uint32_t i = 0; i < e.nstarts && s < 0; i++) {
    if (set.start(e, static_cast<int>(i)) >= lo) {
      s = set.start(e, static_cast<int>(i));
    }
  }
  int32_t t = -1;
  for (uint32_t i = e.nends; i-- > 0 && t < 0;) {
    if (set.end(e, static_cast<int>(i)) <= hi) {
      t = set.end(e, static_cast<int>(i));
    }
  }
  return s >= 0 && t >= 0 && s < t;
}

}  // namespace

// No partial solution survived the segment. Says why: first a fault of the
// reference that no choice could avoid, at the marker of the entity that
// cannot be placed; else which entities start here.
void search::no_consistent_choice(const segment& seg) const {
  const entity_set& ref = in_.ref;
  const view<const ref_start>& slots = seg_.slots;
  const char* ref_fname = in_.ref_fname;
  // Faults that no choice anywhere could avoid come first.
  for (size_t k = 0; k < slots.size(); k++) {
    const int32_t r = slots[k].ref;
    const entity& e = ref[static_cast<size_t>(r)];
    const int32_t left = ref.left_constraint(static_cast<size_t>(r));
    if (left >= 0) {
      // It must start at or after the end of the entity before it at its depth.
      const entity& l = ref[static_cast<size_t>(left)];
      if (ref.start(e, static_cast<int>(e.nstarts) - 1) < ref.end(l, 0)) {
        fatal_at(ref_fname, e.line, e.col,
                 "Error: Malformed annotation, annotation %d overlaps annotation %d (line %d) at "
                 "the same depth; one of them must be the other's parent.\n",
                 r, left, l.line);
      }
    }
    const int32_t parent = ref.parent(static_cast<size_t>(r));
    if (parent < 0) {
      continue;
    }
    const entity& p = ref[static_cast<size_t>(parent)];
    int32_t a = parent;
    for (size_t steps = 0; a >= 0 && a != r && steps < ref.size(); steps++) {
      a = ref.parent(static_cast<size_t>(a));
    }
    if (a == r) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: Malformed annotation, annotation %d is its own ancestor through its "
               "parent %d (line %d).\n",
               r, parent, p.line);
    }
    if (!fits_within(ref, e, ref.first_start(p), ref.last_end(p))) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: Malformed annotation, annotation %d lies outside every choice of its "
               "parent %d (line %d).\n",
               r, parent, p.line);
    }
  }
  // Entities starting together take their choices in id order, so a child
  // numbered before its parent has no parent choice to fit in yet: the cause
  // when the child cannot wait for a later start and no path has placed the
  // parent before.
  for (size_t k = 0; k < slots.size(); k++) {
    const int32_t r = slots[k].ref;
    const entity& e = ref[static_cast<size_t>(r)];
    const int32_t parent = ref.parent(static_cast<size_t>(r));
    if (parent < 0 || seg_.slot_of[static_cast<size_t>(parent)] <= static_cast<int32_t>(k) ||
        slots[k].fid != static_cast<int32_t>(e.nstarts) - 1) {
      continue;
    }
    const bool placed_before = std::any_of(
        cur_.nodes.begin(), cur_.nodes.end(),
        [&](const partial_solution& n) { return cur_.find_choice(n, parent) != nullptr; });
    if (!placed_before) {
      fatal_at(ref_fname, e.line, e.col,
               "Error: annotation %d starts with its parent %d (line %d) but has a lower id; "
               "number a parent before its children.\n",
               r, parent, ref[static_cast<size_t>(parent)].line);
    }
  }
  std::string starting;
  for (const ref_start& rs : slots) {
    starting += starting.empty() ? "" : ", ";
    starting += std::to_string(rs.ref) + " (line " +
                std::to_string(ref[static_cast<size_t>(rs.ref)].line) + ")";
  }
  if (starting.empty()) {
    fatal(1,
          "%s: Error: the reference's alternative boundaries admit no consistent choice at "
          "position %d.\n",
          ref_fname, seg.start);
  }
  const bool one = slots.size() == 1;
  fatal(1,
        "%s: Error: the reference's alternative boundaries admit no consistent choice at "
        "position %d, where annotation%s %s start%s.\n",
        ref_fname, seg.start, one ? "" : "s", starting.c_str(), one ? "s" : "");
}
