// One partial solution of the alignment search, shared between the paths that
// continue it, and the test that merges partial solutions with the same future.
#pragma once

#include <list>
#include <set>
#include <utility>

#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"

// Ownership contract: a node starts with one owner, its creator (the search's
// node lists); each child holds one more through its `prev`. Owners give their
// hold back with unref(), never with delete; the last unref() destroys the
// node and releases, without recursion, the ancestors that it alone held.
class align_node {
 public:
  int refcount = 1;
  align_node* prev = nullptr;  // node of the previous segment; null for the root
  const segment* seg = nullptr;
  double score = 0;                          // cost of the whole path up to and including seg
  std::list<segment::pairinfo> added_pairs;  // pairings made in seg, in the order made
  std::list<entity*> unmapped_entities;      // entities left unpaired when they started in seg
  // Open pairings (hypothesis entity, reference entity), oldest first.
  std::list<std::pair<const entity*, const entity*>> current_pairs;
  // Paired entities whose last end candidate the search has not passed yet.
  std::set<const entity*> active_set;
  // Choices of the started reference entities whose last end is not before seg.
  frontier_choice_map frontiers;

#ifndef NDEBUG
  // Nodes alive now on this thread, so tests can check that none leaks;
  // per thread, since evaluations may run side by side.
  static thread_local long live_nodes;
#endif

  align_node();  // the root
  align_node(align_node* _prev, const segment* _seg);
  ~align_node();
  align_node(const align_node&) = delete;
  align_node& operator=(const align_node&) = delete;

  void ref() {
    refcount++;
  }
  void unref();
  bool active(const entity* e) const {
    return active_set.count(e) != 0;
  }
  // Null when the path has not started e. e must not have ended before seg.
  const frontier_choice* find_frontier(const entity* e) const;
  void add_frontier(const entity* e, frontier_choice f);
  void copy_frontiers_unfiltered(frontier_choice_map& dest) const;
  // Copies the choices of the entities whose last end is not before fseg.
  void copy_frontiers_filtered(const segment* fseg, frontier_choice_map& dest) const;
};

// Whether no later decision can tell the two nodes of `seg` apart, so that
// only the cheaper one needs to survive. Both must have had their
// end-of-segment update.
bool nodes_are_equivalent(const align_node& an1, const align_node& an2, const segment& seg);
