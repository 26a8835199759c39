// Reader of the annotated text format (inline tags named by entity types).
#pragma once

#include <cstddef>

#include "model/tags.h"
#include "model/vocabulary.h"

// Appends the tags of `data` named by one of `types` to `doc` (their
// attributes to its pool) and rewrites `data` in place into the bare text.
// `data` holds `size` bytes and a NUL; `fname` is used in messages only.
void xml_extract_tags(text_tags& doc, char* data, size_t size, const char* fname,
                      const name_table& types);
