// Entities of the annotated text format: one per opening tag, with the
// nesting of the tags checked on the way.
#include "entities/build.h"

#include <cassert>
#include <cstddef>

#include "base/fatal.h"
#include "model/vocabulary.h"

void build_entities_from_tags(std::vector<entity>& entities, const std::list<simple_tag>& tags,
                              const char* fname, bool hyp, const name_table& types) {
  auto type_name = [&types](int tagid) {
    assert(types.has(tagid));
    return types.name(tagid).c_str();
  };
  std::vector<size_t> open;  // entities whose closing tag is still to come, innermost last
  for (const simple_tag& tag : tags) {
    if (!tag.closing) {
      const int depth = static_cast<int>(open.size());
      open.push_back(entities.size());
      entities.emplace_back(tag.tagid, tag.line, tag.col, depth, hyp, tag.attr);
      entities.back().start.push_back(tag.pos);
      continue;
    }
    if (open.empty()) {
      fatal_at(fname, tag.line, tag.col, "Found closing %s tag without a matching opening one.\n",
               type_name(tag.tagid));
    }
    entity& e = entities[open.back()];
    if (e.tagid != tag.tagid) {
      fatal_at(fname, tag.line, tag.col, "Found closing %s tag for an opening %s tag.\n",
               type_name(tag.tagid), type_name(e.tagid));
    }
    e.end.push_back(tag.pos);
    open.pop_back();
  }
  if (!open.empty()) {
    const entity& e = entities[open.back()];
    fatal(1, "%s: Missing closing tag for %s (line %d) at end of file.\n", fname,
          type_name(e.tagid), e.line);
  }
}
