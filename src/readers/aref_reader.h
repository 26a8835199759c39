// Reader of the aref format (empty `annotation` markers).
#pragma once

#include <cstddef>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// Appends the markers of `data` to `tags` and rewrites `data` in place into
// the bare text. `data` holds `size` bytes and a NUL. Marker types are names
// of `types`; `fname` is used in messages only.
void aref_extract_tags(std::vector<aref_tag>& tags, char* data, size_t size, const char* fname,
                       const name_table& types);
