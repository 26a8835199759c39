// Reader of the annotated text format (inline tags named by entity types).
#pragma once

#include <list>

#include "model/tags.h"
#include "model/vocabulary.h"

// Appends the tags of `data` named by one of `types` to `tags` and rewrites
// `data` in place into the bare text. `fname` is used in messages only.
void xml_extract_tags(std::list<simple_tag>& tags, char* data, const char* fname,
                      const name_table& types);
