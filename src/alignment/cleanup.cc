// Final form of the unmapped lists: entities that the chosen path paired in a
// later segment are no longer listed as unmapped where they started.
#include "alignment/align.h"

void cleanup_unmapped(std::vector<segment>& segments, std::vector<entity>& ref_entities,
                      std::vector<entity>& hyp_entities) {
  for (entity& e : ref_entities) {
    e.paired = false;
  }
  for (entity& e : hyp_entities) {
    e.paired = false;
  }
  for (segment& seg : segments) {
    for (const segment::pairinfo& p : seg.added_pairs) {
      p.er->paired = true;
      p.eh->paired = true;
    }
  }
  for (segment& seg : segments) {
    seg.unmapped_entities.remove_if([](const entity* e) { return e->paired; });
  }
}
