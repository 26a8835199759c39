// Reader of standoff annotations: an annotation file (brat's .ann) whose
// text-bound annotations point by character offsets into a text file read
// as it is. Each annotation becomes an opening and a closing tag over that
// text, as the annotated text reader would have found them, so that
// everything after reading is shared with the inline format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// What a document held that is read approximately or not at all, for the
// warnings given once per file.
struct standoff_counts {
  int discontinuous = 0;  // read as the span that covers their fragments
  int ignored = 0;        // relations, events, equivalences, notes and their attributes
};

// Appends the tags of the annotations in `ann` (NUL-terminated, `ann_size`
// bytes) to `doc`, their attributes to its pool, at byte offsets of `text`
// (`text_size` bytes, no NUL inside, no byte-order mark). Offsets in the
// annotations count the text's characters: a CR LF counts as one, a byte
// that is not UTF-8 as one. Types that `types` lacks are added to it.
// A fault (a malformed line, an offset out of the text, an annotation whose
// text differs from the text at its offsets, two annotations that cross)
// ends the run naming `ann_name`, the line, and `text_name` where it helps.
// Spans given by character offsets over `text`, as JSON lines and the
// exports of annotation tools give them, all of one document: read as a
// standoff file's annotations are (`name` stands for the id in messages).
// With `sources`, each span's id, number and offsets are added to it, in
// the order given.
struct character_span {
  std::string name;
  std::string id;      // its own id, when it has one
  int32_t number = 0;  // its number in its list, from 1, as `name` says it (0: its place)
  std::string label;
  int64_t start = 0;
  int64_t end = 0;
};
struct span_document {
  const char* file = "";  // as messages name it
  int line = 0;
  std::string place;  // said in messages instead of the line, if not empty ("task 2 (id 7)")
  std::string id;     // the document's own id, if it has one
  bool task = false;  // `line` is a Label Studio task's number
};
void read_character_spans(text_tags& doc, const std::vector<character_span>& spans,
                          const span_document& where, const char* text, size_t text_size,
                          name_table& types, std::vector<annotation_source>* sources = nullptr);

// With `sources`, each text-bound annotation's id and fragments are added
// to it, in the order of the lines.
void read_standoff(text_tags& doc, standoff_counts& counts, const char* ann, size_t ann_size,
                   const char* ann_name, const char* text, size_t text_size, const char* text_name,
                   name_table& types, std::vector<annotation_source>* sources = nullptr);
