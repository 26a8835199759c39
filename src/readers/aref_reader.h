// Reader of the aref format (empty `annotation` markers).
#pragma once

#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// Appends the markers of `data` to `tags` and rewrites `data` in place into
// the bare text. Marker types are names of `types`; `fname` is used in
// messages only.
void aref_extract_tags(std::vector<aref_tag>& tags, char* data, const char* fname,
                       const name_table& types);
