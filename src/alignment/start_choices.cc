// Start choices: for the reference entities that may start in a segment and
// that the path has not started, every consistent combination of decisions
// (wait for a later start candidate, or start here with one of the end
// candidates), each within its parent's chosen span and after the entity
// before it at its depth.
#include "alignment/search.h"

// The choice of a constraint entity, from the path or else from the earlier
// slots of this combination; null when it has none or is deferred there.
const choice* search::constraint_choice(const partial_solution& parent, int32_t c) const {
  if (const choice* f = cur_.find_choice(parent, c)) {
    return f;
  }
  const int32_t k = seg_.slot_of[static_cast<size_t>(c)];
  if (k < 0) {
    return nullptr;
  }
  const choice& f = seg_.slot_choice[static_cast<size_t>(k)];
  return f.sf < 0 || f.ef == -1 ? nullptr : &f;
}

bool search::choice_is_valid(const partial_solution& parent, const entity& e, int32_t r, int32_t sf,
                             int32_t ef) const {
  const entity_set& ref = in_.ref;
  const int32_t s = ref.start(e, sf);
  const int32_t t = ref.end(e, ef);
  // An empty span has no cost to charge: it is never a choice.
  if (s >= t) {
    return false;
  }
  const int32_t up = ref.parent(static_cast<size_t>(r));
  if (up >= 0) {
    const entity& p = ref[static_cast<size_t>(up)];
    // A parent that ends before the child starts cannot hold it; checking this
    // first also keeps the lookup within the choices that the path still has.
    if (ref.last_end(p) < s) {
      return false;
    }
    const choice* pf = constraint_choice(parent, up);
    if (!pf || ref.start(p, pf->sf) > s || t > ref.end(p, pf->ef)) {
      return false;
    }
  }
  const int32_t left = ref.left_constraint(static_cast<size_t>(r));
  if (left >= 0) {
    const entity& l = ref[static_cast<size_t>(left)];
    if (s < ref.last_end(l)) {
      const choice* lf = constraint_choice(parent, left);
      if (!lf || s < ref.end(l, lf->ef)) {
        return false;
      }
    }
  }
  return true;
}

// Every consistent combination of start decisions for the reference entities
// of the segment's slots that the path has not started, in lexicographic
// order over the slots (slot 0 varying slowest; deferral first, then the
// valid end candidates by increasing index), each handed to alternatives().
void search::start_choices(const partial_solution& parent, const segment& seg) {
  const view<const ref_start>& slots = seg_.slots;
  const int n = static_cast<int>(slots.size());
  for (int k = 0; k < n; k++) {
    seg_.already[static_cast<size_t>(k)] =
        cur_.find_choice(parent, slots[static_cast<size_t>(k)].ref) != nullptr;
    seg_.slot_choice[static_cast<size_t>(k)] = choice{slots[static_cast<size_t>(k)].ref, -1, -1};
  }
  int slot = 0;
  bool backtracking = false;
  for (;;) {
    if (slot == n) {
      alternatives(parent, seg);
      slot = n - 1;
      backtracking = true;
    }
    if (slot == -1) {
      return;
    }
    const size_t k = static_cast<size_t>(slot);
    if (seg_.already[k]) {
      slot += backtracking ? -1 : 1;
      continue;
    }
    const int32_t r = slots[k].ref;
    const entity& e = in_.ref[static_cast<size_t>(r)];
    choice& f = seg_.slot_choice[k];
    if (f.sf < 0) {
      f.sf = slots[k].fid;
      f.ef = -1;
      // At its last start candidate an entity cannot wait any longer: stay on
      // the slot so that the next pass gives it its first end candidate.
      if (f.sf != static_cast<int32_t>(e.nstarts) - 1) {
        slot++;
        backtracking = false;
      }
      continue;
    }
    f.ef++;
    if (f.ef == static_cast<int32_t>(e.nends)) {
      f.sf = -1;
      f.ef = -1;
      slot--;
      backtracking = true;
      continue;
    }
    backtracking = false;
    if (choice_is_valid(parent, e, r, f.sf, f.ef)) {
      slot++;
    }
  }
}
