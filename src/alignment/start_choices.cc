// Enumeration of the start decisions of the reference entities of a segment,
// with the order, parent and left-sibling tests.
#include "alignment/start_choices.h"

#include <cassert>
#include <vector>

namespace {

// The choice of a constraint entity, from the path or else from the earlier
// slots of this combination; null when it has none or is deferred there.
const frontier_choice* constraint_choice(const align_node& pan, const start_choice_map& choices,
                                         entity* c) {
  if (const frontier_choice* f = pan.find_frontier(c)) {
    return f;
  }
  auto it = choices.find(c);
  if (it == choices.end() || it->second.ef == -1) {
    return nullptr;
  }
  return &it->second;
}

bool choice_is_valid(const align_node& pan, const start_choice_map& choices, const entity* e,
                     frontier_choice f) {
  int s = e->start[f.sf];
  int t = e->end[f.ef];
  // An empty span has no cost to charge: it is never a choice.
  if (s >= t) {
    return false;
  }
  if (entity* p = e->parent) {
    // A parent that ends before the child starts cannot hold it; checking this
    // first also keeps the lookup within the choices that the path still has.
    if (p->end.back() < s) {
      return false;
    }
    const frontier_choice* pf = constraint_choice(pan, choices, p);
    if (!pf || p->start[pf->sf] > s || t > p->end[pf->ef]) {
      return false;
    }
  }
  if (entity* l = e->left_constraint) {
    if (s < l->end.back()) {
      const frontier_choice* lf = constraint_choice(pan, choices, l);
      if (!lf || s < l->end[lf->ef]) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

void enumerate_start_choices(const align_node& pan, const segment& seg,
                             const std::function<void(const start_choice_map&)>& visit) {
  const std::vector<segment::ef>& slots = seg.starting_ref_entities;
  int n = static_cast<int>(slots.size());
  std::vector<bool> already_instanciated(n);
  for (int k = 0; k < n; k++) {
    // Two slots of one entity would make the backtracking loop for ever.
    assert((k == 0 || slots[k - 1].e < slots[k].e) && "one slot per entity, in vector order");
    already_instanciated[k] = pan.find_frontier(slots[k].e) != nullptr;
  }

  start_choice_map choices;
  int slot = 0;
  bool backtracking = false;
  for (;;) {
    if (slot == n) {
      visit(choices);
      slot = n - 1;
      backtracking = true;
    }
    if (slot == -1) {
      return;
    }
    if (already_instanciated[slot]) {
      slot += backtracking ? -1 : 1;
      continue;
    }
    entity* e = slots[slot].e;
    int fid = static_cast<int>(slots[slot].fid);
    auto it = choices.find(e);
    if (it == choices.end()) {
      choices.emplace(e, frontier_choice(fid, -1));
      // At its last start candidate an entity cannot wait any longer: stay on
      // the slot so that the next pass gives it its first end candidate.
      if (fid != static_cast<int>(e->start.size()) - 1) {
        slot++;
        backtracking = false;
      }
      continue;
    }
    frontier_choice& f = it->second;
    f.ef++;
    if (f.ef == static_cast<int>(e->end.size())) {
      choices.erase(it);
      slot--;
      backtracking = true;
      continue;
    }
    backtracking = false;
    if (choice_is_valid(pan, choices, e, f)) {
      slot++;
    }
  }
}
