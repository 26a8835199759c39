// Entities: annotated stretches of text, of the reference or of the
// hypothesis. One side's entities form an entity_set, which also holds their
// pooled parts: candidate positions, attributes and miss records.
#pragma once

#include <cstdint>
#include <vector>

#include "model/cost_record.h"
#include "model/tags.h"
#include "model/view.h"

struct entity {
  int32_t tagid = -1;  // entity type id; -1 marks an aref id slot no marker described
  int32_t line = 0;    // line and column of the opening tag in the entity's own file
  int32_t col = 0;     //
  int32_t depth = 0;   //
  // Start candidates (offsets of the first byte in the reference text) and
  // end candidates (offsets just past the last byte), in the set's pool.
  uint32_t starts = 0;
  uint32_t nstarts = 0;
  uint32_t ends = 0;
  uint32_t nends = 0;
  uint32_t attrs = 0;  // attributes of the opening tag, in the set's pool
  uint32_t nattrs = 0;
  uint32_t miss = 0;  // miss records, nstarts rows of nends, in the set's pool
  bool hyp = false;
};

// The links of an aref entity to others of its set, by index; -1 for none.
struct entity_links {
  int32_t parent = -1;           // the enclosing entity
  int32_t left_constraint = -1;  // the preceding sibling
};

class entity_set {
 public:
  std::vector<entity> items;
  std::vector<entity_links> links;  // per entity of an aref set; empty for other sets
  std::vector<int32_t> positions;   // candidates of every entity
  attribute_pool attributes;
  std::vector<cost_record> miss;  // the cost of leaving an entity unpaired, per candidate pair

  size_t size() const { return items.size(); }
  int32_t parent(size_t i) const { return links.empty() ? -1 : links[i].parent; }
  int32_t left_constraint(size_t i) const { return links.empty() ? -1 : links[i].left_constraint; }
  bool empty() const { return items.empty(); }
  entity& operator[](size_t i) { return items[i]; }
  const entity& operator[](size_t i) const { return items[i]; }

  view<const int32_t> starts(const entity& e) const {
    return {positions.data() + e.starts, e.nstarts};
  }
  view<const int32_t> ends(const entity& e) const { return {positions.data() + e.ends, e.nends}; }
  view<int32_t> starts(const entity& e) { return {positions.data() + e.starts, e.nstarts}; }
  view<int32_t> ends(const entity& e) { return {positions.data() + e.ends, e.nends}; }
  int32_t start(const entity& e, int k) const { return positions[e.starts + uint32_t(k)]; }
  int32_t end(const entity& e, int k) const { return positions[e.ends + uint32_t(k)]; }
  int32_t first_start(const entity& e) const { return positions[e.starts]; }
  int32_t last_end(const entity& e) const { return positions[e.ends + e.nends - 1]; }

  const cost_record& miss_record(const entity& e, int sf, int ef) const {
    return miss[e.miss + uint32_t(sf) * e.nends + uint32_t(ef)];
  }
  cost_record& miss_record(const entity& e, int sf, int ef) {
    return miss[e.miss + uint32_t(sf) * e.nends + uint32_t(ef)];
  }

  // Appends an entity with room for `nstarts` start and `nends` end
  // candidates (filled in by the caller) and returns it.
  entity& add_room(int32_t tagid, int32_t line, int32_t col, int32_t depth, bool hyp,
                   uint32_t nstarts, uint32_t nends);
  // Appends an entity with the given candidates.
  entity& add(int32_t tagid, int32_t line, int32_t col, int32_t depth, bool hyp,
              const std::vector<int32_t>& starts, const std::vector<int32_t>& ends);
};
