// Entities of the aref format: one per annotation id, gathering the candidate
// boundaries of all its markers, with links to its parent and left sibling.
#include <algorithm>
#include <cstddef>
#include <map>

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
void check_ids_fit(const std::list<aref_tag>& tags, int max_id, const char* fname) {
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
void describe(entity& e, const aref_tag& tag, std::vector<entity>& entities,
              std::map<int, entity*>& last_at_depth, bool hyp) {
  e.tagid = tag.tagid;
  e.line = tag.line;
  e.col = tag.col;
  e.depth = tag.depth;
  e.hyp = hyp;
  e.attr = tag.attr;
  e.parent = tag.parent == -1 ? nullptr : &entities[static_cast<size_t>(tag.parent)];
  // Keyed by depth rather than indexed by it: depths are the document's
  // numbers and may be negative or huge.
  entity*& last = last_at_depth[tag.depth];
  e.left_constraint = last && last->parent == e.parent ? last : nullptr;
  last = &e;
}

}  // namespace

void build_entities_from_tags(std::vector<entity>& entities, const std::list<aref_tag>& tags,
                              const char* fname, bool hyp, const name_table& types) {
  int max_id = 0;
  for (const aref_tag& tag : tags) {
    max_id = std::max(max_id, tag.id);
  }
  for (const aref_tag& tag : tags) {
    check_marker(tag, max_id, fname, types);
  }
  check_ids_fit(tags, max_id, fname);

  // Sized once: parents and left siblings point into the vector.
  entities.clear();
  entities.resize(static_cast<size_t>(max_id) + 1);
  std::map<int, entity*> last_at_depth;
  for (const aref_tag& tag : tags) {
    entity& e = entities[static_cast<size_t>(tag.id)];
    if (e.tagid == -1) {
      describe(e, tag, entities, last_at_depth, hyp);
    }
    if (tag.opening) {
      e.start.push_back(tag.pos);
    }
    if (tag.closing) {
      e.end.push_back(tag.pos);
    }
  }
}
