// Reader of token-per-line (CoNLL) files: one token a line, its tags in
// further columns, a blank line (or conlleval's "-X-" line) between
// sentences, "-DOCSTART-" lines between documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_load.h"
#include "model/tags.h"
#include "model/vocabulary.h"
#include "readers/conll_chunks.h"

// How a token-per-line file is read.
struct conll_reading {
  // The tag columns, one per side the file holds: counted from 1 at the
  // first column, or from -1 at the last when negative. The first column is
  // the token.
  std::vector<int> tag_columns = {-1};
  // A "-DOCSTART-" line with a tag other than O is a token with its tags, as
  // conlleval reads it (it splits only on blank and "-X-" lines); otherwise
  // every such line is a boundary between documents.
  bool docstart_tokens = false;
  // The line of the file that the bytes read begin on: a document of a
  // file is read on its own, its lines numbered as in the file.
  int32_t first_line = 1;
  // Every "-DOCSTART-" line is a token, with its tags: two files of one
  // text are read so, and pair_docstarts then pairs those lines by their
  // place and decides which stay tokens.
  bool all_docstarts = false;
  // A column whose tags are only compared with the first tag column's, on
  // lines that have it (0: none): with two files and no columns named, the
  // column before the reference's last, which holds other tags in a file of
  // predictions given as the reference. Compared as it is read, so that no
  // input is read twice (it may be a pipe).
  int compared_column = 0;
};

// How the compared column (see conll_reading) stands to the first tag
// column: not read (no such column, or no token), the same tags on every
// token, other tags on some, or something that is no tag on some (parts of
// speech), which makes it no tag column.
enum class compared_tags { none, same, differ, not_tags };

// A "-DOCSTART-" line of a file.
struct docstart_line {
  uint32_t token;  // its token, when it is one; else the token after it
  int32_t line;
  bool is_token;
  // An O-tagged token that the file lacks, added as the counterpart of the
  // other file's line (see pair_docstarts): not one of the file's tokens.
  bool inserted = false;
};

struct conll_document {
  // The tokens joined by one space within a sentence and by a line feed
  // between sentences: the text the entities lie in.
  text_builder text;
  std::vector<uint32_t> token_start;  // offsets in `text`, one per token
  std::vector<int32_t> token_line;    // line of each token in its file, from 1
  std::vector<bool> starts_sentence;  // the first token of a sentence or a document
  // The tags of the columns asked for, one vector per column, one tag per
  // token; their types are ids in `types`, where "" (the O tag's) is 0.
  std::vector<std::vector<token_tag>> tags;
  name_table types;
  size_t columns = 0;  // columns of every non-blank line
  std::vector<docstart_line> docstarts;
  // "-DOCSTART-" lines with a tag other than O in a column read, whether or
  // not they became tokens, the first of them and its first such tag.
  uint32_t tagged_docstarts = 0;
  int32_t first_tagged_docstart = 0;
  std::string first_docstart_tag;
  compared_tags compared = compared_tags::none;

  // Where token i ends in `text`: one separator comes after every token.
  uint32_t token_end(size_t i) const {
    return i + 1 < token_start.size() ? token_start[i + 1] - 1 : static_cast<uint32_t>(text.size());
  }

  // Appends a token of file line `line` to the text, after a line feed when
  // it starts a sentence and a blank otherwise (nothing before the first).
  void append_token(std::string_view token, int32_t line, bool starts) {
    if (!text.empty()) {
      text.push_back(starts ? '\n' : ' ');
    }
    token_start.push_back(static_cast<uint32_t>(text.size()));
    text.append(token);
    token_line.push_back(line);
    starts_sentence.push_back(starts);
  }
};

// Reads the `size` bytes of `data`; the result keeps no pointer into them.
// Every non-blank line must have the same number of columns, enough for
// the tag columns after the token ("-DOCSTART-" and "-X-" lines excepted);
// a tag is "O" or a prefix (B I E S L U [ ]), optionally a hyphen and a
// type. Columns are separated by runs of spaces and tabs; a line ends with a
// line feed, a carriage return and a line feed, or a carriage return alone.
// Faults end the run with `fname` and the line.
conll_document read_conll(const char* data, size_t size, const char* fname,
                          const conll_reading& reading);

// One document of a token-per-line file: a stretch of its bytes.
struct conll_section {
  size_t begin;
  size_t end;
  int32_t first_line;        // the line `begin` is on, from 1
  int32_t first_token_line;  // the line of its first token, or 0
};

// A token-per-line file in memory, and how it is read.
struct conll_input {
  const char* data;
  size_t size;
  const char* name;  // in messages
  const conll_reading& reading;
};

struct conll_sections_of {
  std::vector<conll_section> ref;
  std::vector<conll_section> hyp;  // with a hypothesis file: as many
};

// The documents of a file, `ref`: a document begins at each "-DOCSTART-"
// line, and what comes before the first is one if it holds a token; a file
// without such lines is one document. With a second file of the same text,
// `hyp`, that file is cut where the reference's documents begin: at its
// "-DOCSTART-" line paired with the reference's (by place, as
// pair_docstarts pairs them), else right after the lines that the pairing
// puts before the reference's line, so that what follows them (a blank
// line) goes with the next document. A hypothesis that ends first gives
// empty documents. A "-DOCSTART-" line that is a token (`ref.reading`'s
// docstart_tokens) is its document's first token. The files' faults of
// encoding end the run.
conll_sections_of conll_sections(const conll_input& ref, const conll_input* hyp = nullptr);

// Two files of one text, read with all_docstarts: pairs their "-DOCSTART-"
// lines by place in the token stream (a line of one file where the other
// has a token has no counterpart), and settles which are tokens. With
// `tagged_tokens` (conlleval's reading), a pair of lines either of which
// carries a tag other than O is a token of both, and a tagged line of one
// file alone is a token there with an O-tagged counterpart added to the
// other, so that tags are counted as conlleval counts them in the two
// files pasted side by side. Every other line is a boundary; one of the
// reference's is a boundary of the hypothesis too, as the documents are
// the reference's.
void pair_docstarts(conll_document& ref, conll_document& hyp, bool tagged_tokens);

// How many of the first `n` tokens of `doc` are the file's own (not added
// by pair_docstarts).
size_t own_tokens(const conll_document& doc, size_t n);

// Two files of one text hold the same tokens, in the same order (sentences
// may break elsewhere); the first difference ends the run, naming both
// files' lines and tokens.
void check_same_tokens(const conll_document& ref, const char* ref_name, const conll_document& hyp,
                       const char* hyp_name);

// The name of the type of typeless tags ("B", "I-"): no tag can name it, as
// it holds a blank.
extern const char* const typeless_type;

// What grouping one tag column into entities found.
struct column_chunks {
  uint32_t tagged = 0;  // tokens with a tag other than O
  uint32_t entities = 0;
  uint32_t unfit = 0;  // tagged tokens in no entity (strict schemes)
  int32_t first_unfit_line = 0;
  uint32_t joined = 0;  // entities conlleval's rules joined to the next (see joined_entities)
  int32_t first_joined_line = 0;
  uint32_t dropped = 0;  // tagged tokens conlleval's rules put in no entity (see chunking)
  int32_t first_dropped_line = 0;
  bool typeless = false;  // some tags have no type
  bool typed = false;     // some have one
  int32_t first_typed_line = 0;
  bool bioes = false;  // some tags are S, E, U or L
  int32_t first_bioes_line = 0;

  void add(const column_chunks& o);
};

// The entities of one tag column under `scheme`, as opening and closing tags
// of the annotated text format (each at its first token's line, column 0),
// appended to `out`. The column's types that `types` lacks are added to it
// in order of appearance.
column_chunks conll_entities(const conll_document& doc, size_t column, chunk_scheme scheme,
                             name_table& types, text_tags& out);

// How many of the column's tagged tokens fit no entity under `scheme`.
uint32_t conll_unfit(const conll_document& doc, size_t column, chunk_scheme scheme);
