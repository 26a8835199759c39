// Test-only one-line renderings of reader results, so that one comparison
// checks a whole reader result, and the places a reader must report.
#pragma once

#include <string>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// "pers@5(1:5)[a=1,b=x y] /pers@11(1:17)": name (after '/' when closing),
// position, line and column of the '<', attributes from the document's pool
// when there are any.
std::string render(const text_tags& doc, const name_table& types);

// "1:pers:s@3(1:3) 2:loc:-@0(1:0)d1p1": id, type, ftype (s, e, se or -),
// position, line and column; depth and parent follow when not 0 and -1.
std::string render(const std::vector<aref_tag>& tags, const name_table& types);

// A document assembled from text runs and tags: run 0, tag 0, run 1, tag 1,
// ..., with what a reader must give for it, found by plain counting over the
// whole document rather than the way the readers count.
struct assembled_doc {
  std::string doc;   // the document
  std::string bare;  // its runs, joined
  // Per tag: "@pos(line:col)", its place in the bare text and in the document.
  std::vector<std::string> places;
};
assembled_doc assemble(const std::vector<std::string>& runs, const std::vector<std::string>& tags);

// "@pos(line:col)"
std::string place(int pos, int line, int col);
