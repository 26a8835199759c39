// Building entities from the tags of either document format.
#pragma once

#include <vector>

#include "model/entity.h"
#include "model/tags.h"
#include "model/vocabulary.h"

// Annotated text format: one entity per opening tag, in tag order; checks that
// tags nest and match. `entities` must be empty; the tags' attribute pool
// moves into it.
// `types` names the tags in messages.
void build_entities_from_tags(entity_set& entities, text_tags& doc, const char* fname, bool hyp,
                              const name_table& types);

// aref format: one entity per id, with its candidates and its links.
void build_entities_from_tags(entity_set& entities, const std::vector<aref_tag>& tags,
                              const char* fname, bool hyp, const name_table& types);

// Leaves out the entities whose type `kept` (by type id) does not hold, as
// if they had never been tagged; the pools keep their parts unused. Not for
// aref sets, whose links would have to follow.
void keep_types(entity_set& entities, const std::vector<bool>& kept);
