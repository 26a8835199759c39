// Moving the hypothesis tag positions onto the reference text.
#pragma once

#include <cstdint>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// Where the lines of a text come from in the mismatch report. By default a
// text's lines are its own; the text of a token-per-line document has one
// line per sentence, so its tokens name their lines in the file instead:
// token i starts at offset start[i] and lies on line line[i].
struct token_lines {
  const std::vector<uint32_t>* start = nullptr;
  const std::vector<int32_t>* line = nullptr;
};

// Walks both bare texts, which may differ only in whitespace, and rewrites the
// `pos` of every hypothesis tag as an offset in the reference text. Any other
// difference ends the run with the mismatch report; with `types`, the
// declared types, it adds a line naming the tags it shows that are of no
// declared type.
void align_and_reposition(const char* ref_data, const char* hyp_data,
                          std::vector<simple_tag>& hyp_tags, const token_lines& ref_lines = {},
                          const token_lines& hyp_lines = {}, const name_table* types = nullptr);
