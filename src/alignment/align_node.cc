// Reference counting, path release and equivalence of alignment nodes.
#include "alignment/align_node.h"

#include <cassert>

#ifndef NDEBUG
thread_local long align_node::live_nodes = 0;
#endif

align_node::align_node() {
#ifndef NDEBUG
  live_nodes++;
#endif
}

align_node::align_node(align_node* _prev, const segment* _seg)
    : prev(_prev),
      seg(_seg),
      score(_prev->score),
      current_pairs(_prev->current_pairs),
      active_set(_prev->active_set) {
  _prev->copy_frontiers_filtered(_seg, frontiers);
  _prev->ref();
#ifndef NDEBUG
  live_nodes++;
#endif
}

align_node::~align_node() {
  // Paths are as long as the text has segments: release them in a loop, so
  // that destroying a long path cannot exhaust the stack.
  align_node* n = prev;
  while (n && n->refcount == 1) {
    align_node* next = n->prev;
    n->prev = nullptr;
    delete n;
    n = next;
  }
  if (n) {
    n->unref();
  }
#ifndef NDEBUG
  live_nodes--;
#endif
}

void align_node::unref() {
  assert(refcount > 0 && "unref of a node without owner");
  if (--refcount == 0) {
    delete this;
  }
}

const frontier_choice* align_node::find_frontier(const entity* e) const {
  assert(!seg || e->end.back() >= seg->start);
  auto it = frontiers.find(e);
  return it == frontiers.end() ? nullptr : &it->second;
}

void align_node::add_frontier(const entity* e, frontier_choice f) {
  assert(e->end.back() >= seg->start);
  frontiers[e] = f;
}

void align_node::copy_frontiers_unfiltered(frontier_choice_map& dest) const {
  for (const auto& [e, f] : frontiers) {
    dest[e] = f;
  }
}

void align_node::copy_frontiers_filtered(const segment* fseg, frontier_choice_map& dest) const {
  for (const auto& [e, f] : frontiers) {
    if (e->end.back() >= fseg->start) {
      dest[e] = f;
    }
  }
}

bool nodes_are_equivalent(const align_node& an1, const align_node& an2, const segment& seg) {
  if (an1.current_pairs.size() != an2.current_pairs.size() ||
      an1.active_set.size() != an2.active_set.size()) {
    return false;
  }
  if (an1.active_set != an2.active_set) {
    return false;
  }
  // The order matters: the same pairs made in another order are a difference.
  if (an1.current_pairs != an2.current_pairs) {
    return false;
  }
  for (const entity* e : seg.entities) {
    if (e->hyp) {
      continue;
    }
    const frontier_choice* f1 = an1.find_frontier(e);
    const frontier_choice* f2 = an2.find_frontier(e);
    if (!f1 && !f2) {
      continue;
    }
    if (!f1 || !f2) {
      return false;
    }
    // Choices that both paths have closed by the end of seg cannot matter later.
    bool open = e->end[f1->ef] > seg.end || e->end[f2->ef] > seg.end;
    if (open && *f1 != *f2) {
      return false;
    }
  }
  return true;
}
