// Tests of the aref reader: markers with their places and attributes, the
// integer values, elements that stay text, and every fault message.
#include "readers/aref_reader.h"

#include <cstring>
#include <string>

#include "render.h"
#include "support/test_support.h"

namespace {

struct aref_case {
  std::string doc;
  std::string bare;
  std::string tags;
};

// Runs the reader on `doc` and returns "bare text|markers".
std::string read_aref_doc(const name_table& types, const std::string& doc) {
  std::vector<char> buffer = doc_buffer(doc);
  std::vector<aref_tag> tags;
  aref_extract_tags(tags, buffer.data(), buffer.size() - 1, "ref.aref", types);
  return std::string(buffer.data()) + "|" + render(tags, types);
}

void check_aref_cases(const name_table& types, const std::vector<aref_case>& cases) {
  for (const aref_case& c : cases) {
    EXPECT_EQ(c.bare + "|" + c.tags, read_aref_doc(types, c.doc)) << "document: " << c.doc;
  }
}

class ArefReader : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc"});
};

TEST_F(ArefReader, MarkersAndPlaces) {
  check_aref_cases(
      types, {
                 {"Le <annotation id=\"1\" type=\"pers\" ftype=\"s\"/>M. <annotation id=\"1\" "
                  "ftype=\"s\"/>Jean Dupont<annotation id=\"1\" ftype=\"e\"/> dit",
                  "Le M. Jean Dupont dit", "1:pers:s@3(1:3) 1:pers:s@6(1:48) 1:pers:e@17(1:89)"},
                 {"<annotation id=\"2\" type=\"loc\" ftype=\"se\"/>", "", "2:loc:se@0(1:0)"},
                 {"<annotation id=4\ntype=loc ftype=s/>x<annotation id=4 ftype=e/>", "x",
                  "4:loc:s@0(1:0) 4:pers:e@1(2:19)"},
                 // The columns after a marker count all of its bytes, "/>" included.
                 {"<annotation ftype=\"s\"/><annotation ftype=\"e\"/>", "",
                  "0:pers:s@0(1:0) 0:pers:e@0(1:23)"},
                 {"<annotation id=\"1\" type=\"loc\" depth=\"2\" parent=\"1\" ftype=\"e\"/>", "",
                  "1:loc:e@0(1:0)d2p1"},
                 {"ab\r\ncd\n\n x<annotation ftype=s/>", "ab\r\ncd\n\n x", "0:pers:s@10(4:2)"},
                 {"", "", ""},
             });
}

TEST_F(ArefReader, MarkerForms) {
  check_aref_cases(types, {
                              {"<annotation />", "", "0:pers:-@0(1:0)"},
                              {"a</annotation id=\"1\" ftype=\"e\"/>", "a", "1:pers:e@1(1:1)"},
                              {"< / annotation ftype=s />", "", "0:pers:s@0(1:0)"},
                              {"<annotation\n\tid = \"5\"\n/>", "", "5:pers:-@0(1:0)"},
                              {"<annotation id=1/>", "", "1:pers:-@0(1:0)"},
                              {"<annotation id=\"1\"type=\"loc\"/>", "", "1:loc:-@0(1:0)"},
                              // A quoted value holds anything up to the next quote.
                              {"<annotation id=\"\n7\"/>x<annotation ftype=e/>", "x",
                               "7:pers:-@0(1:0) 0:pers:e@1(2:5)"},
                              // A name or an '=' with nothing after it before "/>" is dropped.
                              {"<annotation id=\"3\" ftype/>", "", "3:pers:-@0(1:0)"},
                              {"<annotation id=/>", "", "0:pers:-@0(1:0)"},
                              {"<annotation id= />", "", "0:pers:-@0(1:0)"},
                              {"<annotation id id/>", "", "0:pers:-@0(1:0)"},
                              // An unquoted value runs up to whitespace, '/' or '>'.
                              {"<annotation id= ftype=s/>", "", "0:pers:-@0(1:0)"},
                              // Later values replace earlier ones.
                              {"<annotation depth=1 depth=3 parent=4 parent=-1 ftype=s ftype=e/>",
                               "", "0:pers:e@0(1:0)d3p-1"},
                          });
}

TEST_F(ArefReader, OtherElementsStayText) {
  check_aref_cases(types,
                   {
                       {"<p>x</p> a < b", "<p>x</p> a < b", ""},
                       {"<annotation/>", "<annotation/>", ""},
                       {"<annotations ftype=s/>", "<annotations ftype=s/>", ""},
                       {"<Annotation ftype=s/>", "<Annotation ftype=s/>", ""},
                       {"a <", "a <", ""},
                       {"<>< />", "<>< />", ""},
                       // Only the name is consumed, so a marker inside another element counts.
                       {"<p a=\"<annotation ftype=s/>\">", "<p a=\"\">", "0:pers:s@6(1:6)"},
                   });
}

// Long runs of text between markers, with line feeds anywhere in them,
// against places found by plain counting. Each run is moved down over the
// marker bytes before it while its line feeds are counted: a run with a line
// feed only near its start loses it if the move happens first.
TEST_F(ArefReader, LinesAndColumnsAcrossLongRuns) {
  std::string long_lines;
  for (int i = 0; i < 300; i++) {
    long_lines +=
        std::string(static_cast<size_t>(i % 89), 'a' + static_cast<char>(i % 26)) + "\r\n";
  }
  const std::string long_line(70000, 'x');
  const std::vector<std::vector<std::string>> cases = {
      {"", "a\nbcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", "\n"},
      {"ab", "\r\n\r\nxy", "z\r\n", ""},
      {long_lines, long_line, "\n" + long_line, long_lines + "tail"},
      {long_line, "", "<p>\n</p>", "\n" + long_line + "\n"},
  };
  const std::vector<std::string> markers = {"<annotation id=1 type=loc ftype=s/>",
                                            "<annotation\nid=\"1\"\nftype=\"e\"/>",
                                            "< /annotation ftype=se />"};
  const std::vector<std::string> expected = {"1:loc:s", "1:pers:e", "0:pers:se"};
  for (const std::vector<std::string>& runs : cases) {
    const size_t count = runs.size() - 1;
    const assembled_doc a =
        assemble(runs, std::vector<std::string>(markers.begin(), markers.begin() + count));
    std::string tags;
    for (size_t i = 0; i < count; i++) {
      tags += (i ? " " : "") + expected[i] + a.places[i];
    }
    std::vector<char> buffer = doc_buffer(a.doc);
    std::vector<aref_tag> read;
    aref_extract_tags(read, buffer.data(), buffer.size() - 1, "ref.aref", types);
    // Too long to print: a wrong bare text is reported by its size.
    EXPECT_TRUE(a.bare == buffer.data()) << "bare text of " << std::strlen(buffer.data())
                                         << " bytes, " << a.bare.size() << " expected";
    EXPECT_EQ(tags, render(read, types));
  }
}

TEST_F(ArefReader, IntegerValues) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"7", 7},
      {"+7", 7},
      {"-3", -3},
      {" 12", 12},
      {"\t\n 5", 5},
      {"\v\f5", 5},
      {"12abc", 12},
      {"1 2", 1},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+", 0},
      {"--1", 0},
      {"- 1", 0},
      {"000000000000000000000012", 12},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer = doc_buffer("<annotation id=\"" + c.first + "\" depth=\"" + c.first +
                                          "\" parent=\"" + c.first + "\"/>");
    std::vector<aref_tag> tags;
    aref_extract_tags(tags, buffer.data(), buffer.size() - 1, "ref.aref", types);
    ASSERT_EQ(1u, tags.size());
    EXPECT_EQ(c.second, tags.front().id) << "value: " << c.first;
    EXPECT_EQ(c.second, tags.front().depth) << "value: " << c.first;
    EXPECT_EQ(c.second, tags.front().parent) << "value: " << c.first;
  }
}

TEST_F(ArefReader, Faults) {
  struct fault_case {
    std::string marker;
    std::string message;  // after "ref.aref:2:3: Error: "
  };
  const std::vector<fault_case> cases = {
      {"<annotation =\"1\"/>", "Malformed tag, stray '='."},
      {"<annotation id=\"1\" type=\"pers\" ftype=\"s\">x", "Malformed tag, stray '='."},
      {"<annotation id=\"1\">", "Malformed tag, stray '='."},
      {"<annotation id=1/ >", "Malformed tag, stray '='."},
      {"<annotation id=1 / />", "Malformed tag, stray '='."},
      {"<annotation id=\"1", "Malformed annotation, missing closing quote."},
      {"<annotation id=\"1/>", "Malformed annotation, missing closing quote."},
      {"<annotation id=\"1\" ftype=\"s/>\nmore text",
       "Malformed annotation, missing closing quote."},
      {"<annotation", "Malformed annotation, missing '/>'."},
      {"<annotation ", "Malformed annotation, missing '/>'."},
      {"< /annotation", "Malformed annotation, missing '/>'."},
      {"<annotation id=\"1\"", "Malformed annotation, missing '/>'."},
      {"<annotation id=1", "Malformed annotation, missing '/>'."},
      {"<annotation id=", "Malformed annotation, missing '/>'."},
      {"<annotation ftype", "Malformed annotation, missing '/>'."},
      {"<annotation id=\"1\" /", "Malformed tag, stray '='."},
      {"<annotation id=\"1\" id=\"2\"/>", "Malformed annotation, duplicate id."},
      {"<annotation id id=2/>", "Malformed annotation, duplicate id."},
      {"<annotation id=\"1\" id=\"99999999999\"/>", "Malformed annotation, duplicate id."},
      {"<annotation type=\"pers\" type=\"pers\"/>", "Malformed annotation, duplicate type."},
      {"<annotation type=\"place\"/>", "Malformed annotation, unknown type place."},
      {"<annotation type=Pers/>", "Malformed annotation, unknown type Pers."},
      {"<annotation type=\"\"/>", "Malformed annotation, unknown type ."},
      {"<annotation ftype=\"b\"/>", "Malformed annotation, unknown ftype b."},
      {"<annotation ftype=es/>", "Malformed annotation, unknown ftype es."},
      {"<annotation ftype=\"\"/>", "Malformed annotation, unknown ftype ."},
      {"<annotation foo=\"bar\"/>", "Malformed annotation, unknown attribute type foo."},
      {"<annotation ID=1/>", "Malformed annotation, unknown attribute type ID."},
      {"<annotation foo id=1/>", "Malformed annotation, unknown attribute type foo."},
      {"<annotation foo=1", "Malformed annotation, unknown attribute type foo."},
      {"<annotation id=\"2147483648\"/>",
       "Malformed annotation, id value 2147483648 out of range."},
      {"<annotation depth=-2147483649/>",
       "Malformed annotation, depth value -2147483649 out of range."},
      {"<annotation parent=\"99999999999999999999999999\"/>",
       "Malformed annotation, parent value 99999999999999999999999999 out of range."},
      {"<annotation id=\" 3000000000x\"/>",
       "Malformed annotation, id value  3000000000x out of range."},
      {"<annotation id=\"99999999999\" id=\"1\"/>",
       "Malformed annotation, id value 99999999999 out of range."},
  };
  for (const fault_case& c : cases) {
    std::vector<char> buffer = doc_buffer("x\nab " + c.marker);
    std::vector<aref_tag> tags;
    EXPECT_FATAL(aref_extract_tags(tags, buffer.data(), buffer.size() - 1, "ref.aref", types), 1,
                 "ref.aref:2:3: Error: " + c.message + "\n");
  }
}

TEST_F(ArefReader, DocumentBytes) {
  // The checks of the text reader, before any marker is read.
  std::vector<char> nul = doc_buffer(std::string("a <annotation id=0 type=pers/>\0", 31));
  std::vector<aref_tag> tags;
  EXPECT_FATAL(aref_extract_tags(tags, nul.data(), nul.size() - 1, "ref.aref", types), 1,
               "ref.aref:1:30: Error: NUL byte in the document.\n");
  std::vector<char> marked = doc_buffer(
      "\xEF\xBB\xBF"
      "a<annotation id=0 type=pers/>b");
  aref_extract_tags(tags, marked.data(), marked.size() - 1, "ref.aref", types);
  EXPECT_EQ("ab", std::string(marked.data()));
  ASSERT_EQ(1u, tags.size());
  EXPECT_EQ(1, tags[0].pos);
  EXPECT_EQ(4, tags[0].col);
}

}  // namespace
