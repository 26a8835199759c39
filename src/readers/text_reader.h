// Reader of the annotated text format (inline tags named by entity types).
#pragma once

#include "model/tags.h"
#include "model/vocabulary.h"

// Appends the tags of `data` named by one of `types` to `doc` (their
// attributes to its pool) and rewrites `data` in place into the bare text.
// `fname` is used in messages only.
void xml_extract_tags(text_tags& doc, char* data, const char* fname, const name_table& types);
