// Reader of the aref format (empty `annotation` markers).
#pragma once

#include <list>

#include "readers/tags.h"

// Loads the file and extracts its markers; `data` receives the bare text.
void aref_file_load(const char* name, std::list<aref_tag>& tags, char*& data);

// Appends the markers of `data` to `tags` and rewrites `data` in place into
// the bare text. `fname` is used in messages only.
void aref_extract_tags(std::list<aref_tag>& tags, char* data, const char* fname);
