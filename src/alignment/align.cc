// The segment-by-segment search for the least-cost alignment, with the merge
// of equivalent partial solutions and the write-back of the chosen path.
#include "alignment/align.h"

#include <cassert>
#include <list>

#include "alignment/align_node.h"
#include "alignment/pairing.h"
#include "alignment/start_choices.h"
#include "base/fatal.h"

namespace {

// Paired entities whose last end candidate closes seg leave the active set,
// and the open pairings that lose an entity with them.
void end_of_segment_update(align_node& an, const segment& seg) {
  int elimit = seg.end;
  for (const entity* e : seg.entities) {
    if (e->end.back() == elimit) {
      an.active_set.erase(e);
    }
  }
  an.current_pairs.remove_if([&](const std::pair<const entity*, const entity*>& p) {
    return !an.active(p.first) || !an.active(p.second);
  });
}

// Keeps the cheaper of an and the first node equivalent to it; on equal
// scores the node that came first stays.
void merge_node(std::list<align_node*>& current_nodes, align_node* an, const segment& seg) {
  for (align_node*& j : current_nodes) {
    if (nodes_are_equivalent(*an, *j, seg)) {
      if (an->score >= j->score) {
        an->unref();
      } else {
        j->unref();
        j = an;
      }
      return;
    }
  }
  current_nodes.push_back(an);
}

void write_back(align_node* an, std::vector<segment>& segments,
                frontier_choice_map& align_frontiers) {
  size_t i = segments.size();
  for (; an->prev; an = an->prev) {
    assert(i > 0 && "path longer than the segments");
    i--;
    an->copy_frontiers_unfiltered(align_frontiers);
    segments[i].added_pairs = an->added_pairs;
    segments[i].unmapped_entities = an->unmapped_entities;
  }
  assert(i == 0 && "path shorter than the segments");
}

}  // namespace

void align(std::vector<segment>& segments, frontier_choice_map& align_frontiers,
           const char* ref_fname) {
#ifndef NDEBUG
  long live_before = align_node::live_nodes;
#endif
  std::list<align_node*> current_nodes{new align_node()};
  std::list<align_node*> opened_nodes;
  for (const segment& seg : segments) {
    assert(current_nodes.size());
    for (align_node* pan : current_nodes) {
      enumerate_start_choices(*pan, seg, [&](const start_choice_map& choices) {
        add_pairing_alternatives(pan, seg, choices, opened_nodes);
      });
    }
    for (align_node* pan : current_nodes) {
      pan->unref();
    }
    current_nodes.clear();
    for (align_node* an : opened_nodes) {
      end_of_segment_update(*an, seg);
      merge_node(current_nodes, an, seg);
    }
    opened_nodes.clear();
    // Every node is already gone when no alternative survived: nothing leaks.
    if (current_nodes.empty()) {
      fatal(1,
            "%s: Error: the reference's alternative boundaries admit no consistent choice at "
            "position %d.\n",
            ref_fname, seg.start);
    }
  }
  assert(current_nodes.size() == 1);
  align_node* final_node = current_nodes.front();
  write_back(final_node, segments, align_frontiers);
  final_node->unref();
#ifndef NDEBUG
  assert(align_node::live_nodes == live_before && "alignment nodes left alive");
#endif
}
