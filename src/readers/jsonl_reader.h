// Reader of JSON lines of spans: one document a line, its text and its
// spans by character offsets, as doccano exports them ({"text", "label":
// [[start, end, "TYPE"], ...]}) and as Prodigy- and spaCy-style tools do
// ({"text", "spans": [{"start", "end", "label"}, ...]}).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readers/standoff_reader.h"

struct jsonl_document {
  int32_t line = 0;
  std::string id;  // "id" or "meta.id", as text; empty when there is none
  bool has_id = false;
  std::string text;
  std::vector<character_span> spans;  // named "span 1", "span 2"... in messages
  std::string task;                   // a Label Studio task's place: "task 2 (id 7)"

  // Where the document is, for messages and for the entities' sources.
  span_document where(const char* file) const;
  // "FILE:LINE", or "FILE: task N (id I)".
  std::string place(const char* file) const;
  // "line", or "task": what the document is in its file.
  const char* unit() const { return task.empty() ? "line" : "task"; }
  // "line N", or "task N".
  std::string ordinal() const;
};

// One line's document (`line` without its line end). A line that is not
// such an object ends the run: "FILE:LINE: Error: ..." with what was
// expected. A span object may have an "id" (a string or a whole number).
// `labelstudio`: the line is a Label Studio task as labelstudio_as_jsonl
// writes it, its number under "task" and each span's result under
// "result", which messages name instead of lines and spans.
jsonl_document read_jsonl_line(std::string_view line, int32_t number, const char* file,
                               bool labelstudio = false);

// The hypothesis's document of each reference's document: by "id" when
// every line of both has one, else in order. Ids met twice on one side,
// or on one side only, and counts that differ, end the run.
std::vector<size_t> pair_jsonl_documents(const std::vector<jsonl_document>& ref,
                                         const std::vector<jsonl_document>& hyp,
                                         const char* ref_shown, const char* hyp_shown);

// The lines of `data` that hold a document (not blank), as byte ranges
// [begin, end) without their line ends, with their numbers.
struct jsonl_line {
  size_t begin = 0;
  size_t end = 0;
  int32_t number = 0;
};
std::vector<jsonl_line> jsonl_lines(const char* data, size_t size);
