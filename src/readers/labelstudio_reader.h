// Reader of Label Studio's JSON export: an array of tasks, each with its
// text (data.text) and the annotations of several annotators (and a
// model's predictions), each a list of results whose values hold start,
// end and labels. A task becomes a document of JSON lines (see
// jsonl_reader.h), the spans those of one annotation, so that everything
// after is shared with that format.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Whose spans a task's document takes: "" for the first annotation that
// was not cancelled, "#N" for the task's N-th annotation (from 1), a
// completed_by value (a user's id or email) for that annotator's, and
// "prediction" or "prediction#N" for a model's.
struct labelstudio_counts {
  int several_labels = 0;  // spans holding more than one label, read once each
  int other_results = 0;   // results that are no labelled span (choices, relations...)
};

// The export `data` (`size` bytes) as JSON lines: a line a task, {"id",
// "task" (its number, from 1), "text", "spans"} with offsets in characters,
// each span with its result's "id" and number ("result", from 1). Label Studio counts offsets
// in UTF-16 units (a character beyond U+FFFF is two); an offset between the
// two halves of such a character is an error. Faults name `file` and the
// task: "FILE: task N (id I): Error: ...".
// The warnings of a file's counts, each a line.
std::vector<std::string> labelstudio_warnings(const char* file, const labelstudio_counts& counts);

std::string labelstudio_as_jsonl(const char* data, size_t size, const char* file,
                                 const std::string& annotator, labelstudio_counts& counts);
