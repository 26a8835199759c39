// Reader of token-per-line (CoNLL) files: one token a line, its tags in
// further columns, a blank line (or conlleval's "-X-" line) between
// sentences, "-DOCSTART-" lines between documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"
#include "readers/conll_chunks.h"

struct conll_document {
  // The tokens joined by one space within a sentence and by a line feed
  // between sentences: the text the entities lie in.
  std::string text;
  std::vector<uint32_t> token_start;  // offsets in `text`, one per token
  std::vector<int32_t> token_line;    // line of each token in its file, from 1
  std::vector<bool> starts_sentence;  // the first token of a sentence or a document
  // The tags of the columns asked for, one vector per column, one tag per
  // token; their types are ids in `types`, where "" (the O tag's) is 0.
  std::vector<std::vector<token_tag>> tags;
  name_table types;
  size_t columns = 0;  // columns of every non-blank line

  // Where token i ends in `text`: one separator comes after every token.
  uint32_t token_end(size_t i) const {
    return i + 1 < token_start.size() ? token_start[i + 1] - 1 : static_cast<uint32_t>(text.size());
  }
};

// Reads the `size` bytes of `data`; the result keeps no pointer into them.
// `tag_columns` counts from the last column: 1 is the last, 2 the one
// before it. Every non-blank line must have the same number of columns, at
// least one more than the furthest tag column ("-DOCSTART-" and "-X-"
// lines excepted); a tag is "O" or a prefix (B I E S L U [ ]), a hyphen and a
// type. Columns are separated by runs of spaces and tabs; a line ends with a
// line feed, a carriage return and a line feed, or a carriage return alone.
// Faults end the run with `fname` and the line.
conll_document read_conll(const char* data, size_t size, const char* fname,
                          const std::vector<int>& tag_columns);

// Two files of one text hold the same tokens, in the same order (sentences
// may break elsewhere); the first difference ends the run, naming both
// files' lines and tokens.
void check_same_tokens(const conll_document& ref, const char* ref_name, const conll_document& hyp,
                       const char* hyp_name);

// The entities of one tag column under `scheme`, as opening and closing tags
// of the annotated text format (each at its first token's line, column 0),
// appended to `out`. The column's types that `types` lacks are added to it
// in order of appearance. Returns how many tagged tokens fit no
// entity, and the line of the first in `first_unfit_line`.
uint32_t conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                        name_table& types, text_tags& out, int32_t& first_unfit_line);
