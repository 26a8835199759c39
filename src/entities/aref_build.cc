// Entities of the aref format: one per annotation id, gathering the candidate
// boundaries of all its markers, with links to its parent and left sibling.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "base/fatal.h"
#include "entities/build.h"
#include "model/vocabulary.h"

namespace {

// Ids and parents index the entity vector and the type indexes the
// vocabulary, so each is checked before any of them is used.
void check_marker(const aref_tag& tag, int max_id, const char* fname, const name_table& types) {
  if (tag.id < 0) {
    fatal_at(fname, tag.line, tag.col, "Error: Malformed annotation, negative id %d.\n", tag.id);
  }
  if (tag.parent < -1 || tag.parent > max_id) {
    fatal_at(fname, tag.line, tag.col,
             "Error: Malformed annotation, parent %d names no annotation.\n", tag.parent);
  }
  // Only a marker without a type, under a description that declares no
  // type at all, has no type to default to.
  if (!types.has(tag.tagid)) {
    fatal_at(fname, tag.line, tag.col, "Error: Malformed annotation, missing type.\n");
  }
}

// Every id up to max_id needs a marker of its own, so an id beyond the
// number of markers leaves a gap for certain; reporting it here keeps one
// huge id from allocating a slot for every id below it.
void check_ids_fit(const std::vector<aref_tag>& tags, int max_id, const char* fname) {
  const size_t count = tags.size();
  if (static_cast<size_t>(max_id) <= count) {
    return;
  }
  std::vector<bool> used(count + 1, false);
  for (const aref_tag& tag : tags) {
    if (static_cast<size_t>(tag.id) <= count) {
      used[static_cast<size_t>(tag.id)] = true;
    }
  }
  // count markers cannot use all of the count + 1 ids from 0 to count.
  const size_t unused =
      static_cast<size_t>(std::find(used.begin(), used.end(), false) - used.begin());
  fatal(1, "%s: Empty tag: annotation id %d is never used.\n", fname, static_cast<int>(unused));
}

// The first marker of an id describes its entity.
void describe(entity_set& entities, int32_t id, const aref_tag& tag,
              std::map<int, int32_t>& last_at_depth, bool hyp) {
  entity& e = entities[static_cast<size_t>(id)];
  e.tagid = tag.tagid;
  e.line = tag.line;
  e.col = tag.col;
  e.depth = tag.depth;
  e.hyp = hyp;
  entity_links& links = entities.links[static_cast<size_t>(id)];
  links.parent = tag.parent;
  // Keyed by depth rather than indexed by it: depths are the document's
  // numbers and may be negative or huge.
  auto last = last_at_depth.find(tag.depth);
  links.left_constraint = last != last_at_depth.end() &&
                                  entities.parent(static_cast<size_t>(last->second)) == tag.parent
                              ? last->second
                              : -1;
  last_at_depth[tag.depth] = id;
}

}  // namespace

void build_entities_from_tags(entity_set& entities, const std::vector<aref_tag>& tags,
                              const char* fname, bool hyp, const name_table& types) {
  if (tags.empty()) {
    // A document without markers has no entities, as a text without tags.
    entities = entity_set();
    return;
  }
  int max_id = 0;
  for (const aref_tag& tag : tags) {
    max_id = std::max(max_id, tag.id);
  }
  for (const aref_tag& tag : tags) {
    check_marker(tag, max_id, fname, types);
  }
  check_ids_fit(tags, max_id, fname);

  // Sized once, each entity's candidates counted before they are placed.
  const size_t n = static_cast<size_t>(max_id) + 1;
  std::vector<uint32_t> nstarts(n), nends(n);
  for (const aref_tag& tag : tags) {
    nstarts[static_cast<size_t>(tag.id)] += tag.opening;
    nends[static_cast<size_t>(tag.id)] += tag.closing;
  }
  entities = entity_set();
  entities.items.reserve(n);
  size_t total = 0;
  for (size_t i = 0; i < n; i++) {
    total += nstarts[i] + nends[i];
  }
  entities.positions.reserve(total);
  for (size_t i = 0; i < n; i++) {
    entity& e = entities.add_room(-1, 0, 0, 0, hyp, nstarts[i], nends[i]);
    e.nstarts = 0;
    e.nends = 0;
  }
  entities.links.assign(n, entity_links());
  std::map<int, int32_t> last_at_depth;
  for (const aref_tag& tag : tags) {
    entity& e = entities[static_cast<size_t>(tag.id)];
    if (e.tagid == -1) {
      describe(entities, tag.id, tag, last_at_depth, hyp);
    }
    if (tag.opening) {
      entities.positions[e.starts + e.nstarts++] = tag.pos;
    }
    if (tag.closing) {
      entities.positions[e.ends + e.nends++] = tag.pos;
    }
  }
}
