// Entities of the annotated text format: one per opening tag, with the
// nesting of the tags checked on the way.
#include "entities/build.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <utility>

#include "base/escape.h"
#include "base/fatal.h"

void build_entities_from_tags(entity_set& entities, text_tags& doc, const char* fname, bool hyp,
                              const name_table& types) {
  // For messages: escaped, as names are wherever they are shown.
  auto type_name = [&types](int tagid) {
    assert(types.has(tagid));
    return shown_name(types.name(tagid));
  };
  // The document's attribute pool becomes the set's: the set starts empty.
  assert(entities.empty());
  size_t openings = 0;
  for (const simple_tag& tag : doc.tags) {
    openings += !tag.closing;
  }
  // Sized once: one start and one end candidate per entity.
  entities.items.reserve(entities.size() + openings);
  entities.positions.reserve(entities.positions.size() + 2 * openings);

  std::vector<size_t> open;  // entities whose closing tag is still to come, innermost last
  for (const simple_tag& tag : doc.tags) {
    if (!tag.closing) {
      const int depth = static_cast<int>(open.size());
      open.push_back(entities.size());
      entity& e = entities.add_room(tag.tagid, tag.line, tag.col, depth, hyp, 1, 1);
      e.attrs = tag.attrs;
      e.nattrs = tag.nattrs;
      entities.positions[e.starts] = tag.pos;
      continue;
    }
    if (open.empty()) {
      fatal_at(fname, tag.line, tag.col, "Found closing %s tag without a matching opening one.\n",
               type_name(tag.tagid).c_str());
    }
    entity& e = entities[open.back()];
    if (e.tagid != tag.tagid) {
      fatal_at(fname, tag.line, tag.col, "Found closing %s tag for an opening %s tag.\n",
               type_name(tag.tagid).c_str(), type_name(e.tagid).c_str());
    }
    entities.positions[e.ends] = tag.pos;
    open.pop_back();
  }
  if (!open.empty()) {
    const entity& e = entities[open.back()];
    fatal(1, "%s: Missing closing tag for %s (line %d) at end of file.\n", fname,
          type_name(e.tagid).c_str(), e.line);
  }
  entities.attributes = std::move(doc.attributes);
}

void keep_types(entity_set& entities, const std::vector<bool>& kept) {
  assert(entities.links.empty() && "an aref set's links would point astray");
  auto dropped = [&](const entity& e) {
    return e.tagid < 0 || static_cast<size_t>(e.tagid) >= kept.size() ||
           !kept[static_cast<size_t>(e.tagid)];
  };
  entities.items.erase(std::remove_if(entities.items.begin(), entities.items.end(), dropped),
                       entities.items.end());
}
