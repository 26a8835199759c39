// The frontier map and the segments cut between consecutive frontiers.
#include "entities/segments.h"

#include <cassert>
#include <cstddef>
#include <iterator>
#include <set>

void add_frontiers(frontier_map& frontiers, std::vector<entity>& entities) {
  for (entity& e : entities) {
    for (int p : e.start) {
      frontiers[p].push_back(&e);
    }
    for (int p : e.end) {
      frontiers[p].push_back(&e);
    }
  }
}

namespace {

// Records what entity e, listed at the segment's opening frontier, starts or
// ends in the segment.
void enter_boundaries(segment& seg, entity* e) {
  if (e->hyp) {
    if (!e->start.empty() && e->start.front() == seg.start) {
      seg.starting_hyp_entities.push_back(e);
    }
    return;
  }
  for (size_t k = 0; k < e->start.size(); ++k) {
    if (e->start[k] == seg.start) {
      seg.starting_ref_entities.emplace_back(e, static_cast<unsigned int>(k));
    }
  }
  for (size_t k = 0; k < e->end.size(); ++k) {
    if (e->end[k] == seg.end) {
      seg.ending_ref_entities.emplace_back(e, static_cast<unsigned int>(k));
    }
  }
}

}  // namespace

void build_segments(std::vector<segment>& segments, const frontier_map& frontiers) {
  assert(segments.empty());
  if (frontiers.empty()) {
    return;
  }
  segments.resize(frontiers.size() - 1);
  std::set<entity*> current_entities;
  size_t sid = 0;
  for (auto p = frontiers.begin(), q = std::next(p); q != frontiers.end(); p = q, ++q) {
    segment& seg = segments[sid++];
    seg.start = p->first;
    seg.end = q->first;
    // An entity with several candidates here is listed several times; its
    // entries are made once, or the alignment would see it start twice.
    std::set<const entity*> seen;
    for (entity* e : p->second) {
      if (!seen.insert(e).second) {
        continue;
      }
      current_entities.insert(e);
      enter_boundaries(seg, e);
    }
    for (auto it = current_entities.begin(); it != current_entities.end();) {
      entity* e = *it;
      seg.entities.push_back(e);
      assert(!e->end.empty());
      if (e->end.back() <= seg.end) {
        it = current_entities.erase(it);
      } else {
        ++it;
      }
    }
  }
}
