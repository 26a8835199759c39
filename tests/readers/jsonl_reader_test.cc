// Tests of the JSON-lines reader: the shapes of spans the tools write, ids,
// the lines that hold documents, and how two files' lines pair.
#include "readers/jsonl_reader.h"

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::string spans_of(const jsonl_document& d) {
  std::string out;
  for (const character_span& s : d.spans) {
    out += (out.empty() ? "" : " ") + s.label + "@" + std::to_string(s.start) + "-" +
           std::to_string(s.end);
  }
  return out;
}

TEST(JsonlReader, TheShapesToolsWrite) {
  const jsonl_document spans = read_jsonl_line(
      R"({"text": "Jean \u00e0 Paris", "spans": [{"start": 7, "end": 12, "label": "LOC", "x": 1}]})",
      3, "f.jsonl");
  EXPECT_EQ("Jean \xc3\xa0 Paris", spans.text);
  EXPECT_EQ("LOC@7-12", spans_of(spans));
  EXPECT_FALSE(spans.has_id);
  EXPECT_EQ(3, spans.line);
  const jsonl_document doccano =
      read_jsonl_line(R"({"id": 12, "text": "Anna", "label": [[0, 4, "PER"]]})", 1, "f.jsonl");
  EXPECT_EQ("PER@0-4", spans_of(doccano));
  EXPECT_EQ("12", doccano.id);
  const jsonl_document entities = read_jsonl_line(
      R"({"meta": {"id": "a-1"}, "text": "Anna", "entities": [[0, 4, "PER"]]})", 1, "f.jsonl");
  EXPECT_EQ("PER@0-4", spans_of(entities));
  EXPECT_EQ("a-1", entities.id);
  EXPECT_TRUE(read_jsonl_line(R"({"text": ""})", 1, "f.jsonl").spans.empty());
  EXPECT_FATAL(read_jsonl_line(R"({"text": "Anna"} x)", 2, "f.jsonl"), 1,
               "f.jsonl:2: Error: expected a JSON object a line, with \"text\" and its spans; "
               "The document root must not be followed by other values. (at byte 18).\n");
  EXPECT_FATAL(read_jsonl_line(R"({"text": 4})", 2, "f.jsonl"), 1,
               "f.jsonl:2: Error: expected \"text\", the document's text as a string; found a "
               "number.\n");
  EXPECT_FATAL(read_jsonl_line(R"({"text": "a\u0000b"})", 2, "f.jsonl"), 1,
               "f.jsonl:2: Error: the text holds a NUL character.\n");
  EXPECT_FATAL(read_jsonl_line(R"({"text": "a", "spans": [{"start": 0, "end": 1, "label": ""}]})",
                               2, "f.jsonl"),
               1, "f.jsonl:2: Error: span 1's label is empty, not a label (a string).\n");
}

// Blank lines hold no document; CR LF ends a line as LF does; the last line
// needs no line end.
TEST(JsonlReader, LinesThatHoldDocuments) {
  const std::string data = "{}\r\n\n  \t\n{\"a\": 1}\n{}";
  std::string found;
  for (const jsonl_line& l : jsonl_lines(data.data(), data.size())) {
    found += std::to_string(l.number) + ":" + data.substr(l.begin, l.end - l.begin) + " ";
  }
  EXPECT_EQ("1:{} 4:{\"a\": 1} 5:{} ", found);
}

TEST(JsonlReader, LinesPairByIdOrInOrder) {
  auto doc = [](const char* id, int line) {
    jsonl_document d;
    d.line = line;
    d.has_id = id != nullptr;
    d.id = id ? id : "";
    return d;
  };
  EXPECT_EQ((std::vector<size_t>{2, 0, 1}),
            pair_jsonl_documents({doc("a", 1), doc("b", 2), doc("c", 3)},
                                 {doc("b", 1), doc("c", 2), doc("a", 3)}, "r", "h"));
  // One line without an id: all pair in order.
  EXPECT_EQ(
      (std::vector<size_t>{0, 1}),
      pair_jsonl_documents({doc("a", 1), doc(nullptr, 2)}, {doc("b", 1), doc("a", 2)}, "r", "h"));
  EXPECT_FATAL(pair_jsonl_documents({doc("a", 1)}, {doc("a", 1), doc("b", 4)}, "r", "h"), 1,
               "h:4: Error: no line of r has the id \"b\".\n");
}

}  // namespace
