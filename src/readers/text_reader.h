// Reader of the annotated text format (inline tags named by entity types).
#pragma once

#include <list>

#include "readers/tags.h"

// Loads the file and extracts its tags; `data` receives the bare text.
void annotated_file_load(const char* name, std::list<simple_tag>& tags, char*& data);

// Appends the recognised tags of `data` to `tags` and rewrites `data` in place
// into the bare text. `fname` is used in messages only.
void xml_extract_tags(std::list<simple_tag>& tags, char* data, const char* fname);
