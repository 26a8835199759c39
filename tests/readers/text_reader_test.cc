// Tests of the annotated text reader: bare text, tags with their places and
// attributes, text that only looks like tags, and the three faults.
#include "readers/text_reader.h"

#include <cstring>
#include <string>

#include "render.h"
#include "support/test_support.h"

namespace {

struct text_case {
  std::string doc;
  std::string bare;
  std::string tags;
};

// Runs the reader on `doc` and returns "bare text|tags".
std::string read_doc(const name_table& types, const std::string& doc) {
  std::vector<char> buffer = doc_buffer(doc);
  text_tags tags;
  xml_extract_tags(tags, buffer.data(), buffer.size() - 1, "hyp.txt", types);
  return std::string(buffer.data()) + "|" + render(tags, types);
}

void check_cases(const name_table& types, const std::vector<text_case>& cases) {
  for (const text_case& c : cases) {
    EXPECT_EQ(c.bare + "|" + c.tags, read_doc(types, c.doc)) << "document: " << c.doc;
  }
}

class TextReader : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc", "org"});
};

TEST_F(TextReader, PositionsLinesAndColumns) {
  check_cases(
      types,
      {
          {"Jean <pers>Dupont</pers> vient", "Jean Dupont vient", "pers@5(1:5) /pers@11(1:17)"},
          {"<org><loc>Paris</loc></org>", "Paris",
           "org@0(1:0) loc@0(1:5) /loc@5(1:15) /org@5(1:21)"},
          // Columns after a tag count the tag's bytes.
          {"<pers>ab</pers> <loc>c</loc>", "ab c",
           "pers@0(1:0) /pers@2(1:8) loc@3(1:16) /loc@4(1:22)"},
          {"a\nb <loc>c</loc>\n<pers>d</pers>", "a\nb c\nd",
           "loc@4(2:2) /loc@5(2:8) pers@6(3:0) /pers@7(3:7)"},
          // Carriage return and bytes from 0x80 up are one column each.
          {"a\r\n\xc3\xa9<pers>x</pers>", "a\r\n\xc3\xa9x", "pers@5(2:2) /pers@6(2:9)"},
          {"", "", ""},
          {"no tags at all\n", "no tags at all\n", ""},
          {"<pers></pers>", "", "pers@0(1:0) /pers@0(1:6)"},
      });
}

TEST_F(TextReader, TagsSpanningLines) {
  // Line feeds inside a tag move the counters but never reach the bare text.
  check_cases(types,
              {
                  {"a <pers\n  x=1\n>b</pers\n> c", "a b c", "pers@2(1:2)[x=1] /pers@3(3:2)"},
                  {"<pers note=\"one\ntwo\">b</pers><loc>c</loc>", "bc",
                   "pers@0(1:0)[note=one\ntwo] /pers@1(2:6) loc@1(2:13) /loc@2(2:19)"},
                  {"</\n pers>x", "x", "/pers@0(1:0)"},
              });
}

TEST_F(TextReader, Attributes) {
  check_cases(types, {
                         {"<pers a=1 b = \"x y\" c>", "", "pers@0(1:0)[a=1,b=x y,c=]"},
                         {"<pers a= >", "", "pers@0(1:0)"},
                         {"<pers a=>", "", "pers@0(1:0)"},
                         {"<pers a b=2 c>", "", "pers@0(1:0)[a=,b=2,c=]"},
                         {"<pers a=1 a=2>", "", "pers@0(1:0)[a=1,a=2]"},
                         // Unquoted values may hold '=' and '"'; single quotes are plain bytes.
                         {"<pers a=b=c\"d>", "", "pers@0(1:0)[a=b=c\"d]"},
                         {"<pers a='x y'>", "", "pers@0(1:0)[a='x,y'=]"},
                         // A quoted value holds anything up to the next quote.
                         {"<pers note=\"a>b\">x", "x", "pers@0(1:0)[note=a>b]"},
                         {"<pers a=\"\" b=\"=\">", "", "pers@0(1:0)[a=,b==]"},
                         {"<pers a=\"1\"b=2>", "", "pers@0(1:0)[a=1,b=2]"},
                         {"<pers a\t=\n\"1\">", "", "pers@0(1:0)[a=1]"},
                         {"<pers />", "", "pers@0(1:0)[/=]"},
                         {"</pers x=1>", "", "/pers@0(1:0)[x=1]"},
                     });
}

TEST_F(TextReader, TextThatLooksLikeTags) {
  check_cases(types, {
                         {"a <b>c</b>", "a <b>c</b>", ""},
                         {"<Pers>x", "<Pers>x", ""},
                         {"< pers>x", "< pers>x", ""},
                         {"<!-- <x> -->", "<!-- <x> -->", ""},
                         {"<?x?><1>&amp;", "<?x?><1>&amp;", ""},
                         {"<pers/>", "<pers/>", ""},
                         {"<persons>", "<persons>", ""},
                         {"</>", "</>", ""},
                         {"a <", "a <", ""},
                         {"a </", "a </", ""},
                         // The name runs up to whitespace or '>', so this '<' is part of it.
                         {"<a<pers>x", "<a<pers>x", ""},
                         // After an unknown name, the rest of its tag is text and is examined
                         // again: a known tag inside it is a tag.
                         {"<b a=\"<pers>y</pers>\">", "<b a=\"y\">", "pers@6(1:6) /pers@7(1:13)"},
                         {"<b =x <loc>z", "<b =x z", "loc@6(1:6)"},
                     });
}

TEST_F(TextReader, CapitalisedTypeNames) {
  // A declared name opens whatever its first byte; an undeclared one that
  // does not start with a lowercase letter stays text from its '<' on.
  types = make_types({"Pers", "pers", "PER", "2x"});
  check_cases(types, {
                         {"<Pers>x</Pers>", "x", "Pers@0(1:0) /Pers@1(1:7)"},
                         {"<pers>x</Pers>", "x", "pers@0(1:0) /Pers@1(1:7)"},
                         {"<PER a=\"1\">x</PER>", "x", "PER@0(1:0)[a=1] /PER@1(1:12)"},
                         {"<2x>y</2x>", "y", "2x@0(1:0) /2x@1(1:5)"},
                         {"<PERS>x", "<PERS>x", ""},
                         {"<Foo<PER>x", "<Foox", "PER@4(1:4)"},
                         {"<<PER>x", "<x", "PER@1(1:1)"},
                         {"<PERSON<PER>x", "<PERSONx", "PER@7(1:7)"},
                     });
}

TEST_F(TextReader, RefusesNulBytesAndOtherEncodings) {
  // A NUL would end the text silently: it is a fault at its place.
  for (const auto& [doc, message] : std::vector<std::pair<std::string, std::string>>{
           {std::string("a<pers>b\0<loc>c", 15), "hyp.txt:1:8: Error: NUL byte in the document.\n"},
           {std::string("x\ny\n\0", 5), "hyp.txt:3:0: Error: NUL byte in the document.\n"},
           {std::string("\0", 1), "hyp.txt:1:0: Error: NUL byte in the document.\n"},
           // UTF-16 without a byte-order mark shows as NUL bytes.
           {std::string("a\0b\0", 4), "hyp.txt:1:1: Error: NUL byte in the document.\n"},
           {std::string("\xFF\xFE"
                        "a\0",
                        4),
            "hyp.txt: Error: UTF-16 text; convert the document to UTF-8.\n"},
           {std::string("\xFE\xFF\0"
                        "a",
                        4),
            "hyp.txt: Error: UTF-16 text; convert the document to UTF-8.\n"},
           {std::string("\xFF\xFE\0\0"
                        "a\0\0\0",
                        8),
            "hyp.txt: Error: UTF-32 text; convert the document to UTF-8.\n"},
           {std::string("\0\0\xFE\xFF\0\0\0"
                        "a",
                        8),
            "hyp.txt: Error: UTF-32 text; convert the document to UTF-8.\n"},
       }) {
    std::vector<char> buffer = doc_buffer(doc);
    text_tags tags;
    EXPECT_FATAL(xml_extract_tags(tags, buffer.data(), buffer.size() - 1, "hyp.txt", types), 1,
                 message);
  }
}

TEST_F(TextReader, SkipsAUtf8ByteOrderMark) {
  // The mark is not text, but it counts in the columns of its line.
  check_cases(types, {
                         {"\xEF\xBB\xBF<pers>Jean</pers> x", "Jean x", "pers@0(1:3) /pers@4(1:13)"},
                         // Only the first is a mark; a second is text.
                         {"\xEF\xBB\xBF\xEF\xBB\xBFx", "\xEF\xBB\xBFx", ""},
                         {"\xEF\xBB\xBF", "", ""},
                         {"\xEF\xBB", "\xEF\xBB", ""},
                     });
}

TEST_F(TextReader, AppendsToTheDocument) {
  // Tags already there keep their attributes; the new ones refer to theirs
  // past the end of the pool as it was.
  text_tags doc;
  doc.tags.emplace_back(0, false, 0, 1, 0, doc.attributes.add("k", "v"), 1);
  std::vector<char> buffer = doc_buffer("x<loc a=1 b>y<org c=\"2\">");
  xml_extract_tags(doc, buffer.data(), buffer.size() - 1, "hyp.txt", types);
  EXPECT_EQ("pers@0(1:0)[k=v] loc@1(1:1)[a=1,b=] org@2(1:13)[c=2]", render(doc, types));
}

// Long runs of text between tags, with line feeds anywhere in them, against
// places found by plain counting. Each run is moved down over the tag bytes
// before it while its line feeds are counted: a run with a line feed only
// near its start, longer than the tag before it, loses that line feed if the
// move happens first.
TEST_F(TextReader, LinesAndColumnsAcrossLongRuns) {
  std::string long_lines;
  for (int i = 0; i < 300; i++) {
    long_lines += std::string(static_cast<size_t>(i % 97), 'a' + static_cast<char>(i % 26)) + "\n";
  }
  const std::string long_line(70000, 'x');
  const std::vector<std::vector<std::string>> cases = {
      {"", "a\nbcdefghijklmnopqrstuvwxyz", "\n"},
      {"ab", "\r\n\r\nxy", "z\r\n", ""},
      {long_lines, long_line, "\n" + long_line, long_lines + "tail"},
      {long_line, "", "", "\n", long_line + "\n"},
      {"\n\n\n", "\n" + std::string(5000, ' ') + "<1 < b", "\r\n"},
  };
  const std::vector<std::string> tag_forms = {"<pers a=\"x\ny\">", "</pers>", "<loc\n>", "</loc>",
                                              "<org>"};
  for (const std::vector<std::string>& runs : cases) {
    std::vector<std::string> tags(tag_forms.begin(), tag_forms.begin() + (runs.size() - 1));
    const assembled_doc a = assemble(runs, tags);
    std::vector<char> buffer = doc_buffer(a.doc);
    text_tags doc;
    xml_extract_tags(doc, buffer.data(), buffer.size() - 1, "hyp.txt", types);
    // Too long to print: a wrong bare text is reported by its size.
    EXPECT_TRUE(a.bare == buffer.data()) << "bare text of " << std::strlen(buffer.data())
                                         << " bytes, " << a.bare.size() << " expected";
    ASSERT_EQ(tags.size(), doc.tags.size());
    for (size_t i = 0; i < tags.size(); i++) {
      const simple_tag& t = doc.tags[i];
      EXPECT_EQ(a.places[i], place(t.pos, t.line, t.col)) << "tag " << i << " of " << a.doc.size();
    }
  }
}

TEST_F(TextReader, Faults) {
  struct fault_case {
    std::string doc;
    std::string message;
  };
  const std::vector<fault_case> cases = {
      {"<pers =x>", "hyp.txt:1:6: Error: Malformed tag, stray '='.\n"},
      {"ab <pers a=1 =x>", "hyp.txt:1:13: Error: Malformed tag, stray '='.\n"},
      {"<pers a=1\n  =x>", "hyp.txt:2:2: Error: Malformed tag, stray '='.\n"},
      {"</pers =>", "hyp.txt:1:7: Error: Malformed tag, stray '='.\n"},
      {"<pers a=\"x", "hyp.txt:1:10: Error: Malformed tag, missing closing quote.\n"},
      {"<pers a=\"x\ny", "hyp.txt:2:1: Error: Malformed tag, missing closing quote.\n"},
      {"<pers a=\"", "hyp.txt:1:9: Error: Malformed tag, missing closing quote.\n"},
      {"text <pers", "hyp.txt:1:10: Error: Malformed tag, missing '>'.\n"},
      {"<pers\n", "hyp.txt:2:0: Error: Malformed tag, missing '>'.\n"},
      {"<pers a", "hyp.txt:1:7: Error: Malformed tag, missing '>'.\n"},
      {"<pers a=", "hyp.txt:1:8: Error: Malformed tag, missing '>'.\n"},
      {"<pers a=1 ", "hyp.txt:1:10: Error: Malformed tag, missing '>'.\n"},
      {"<pers a=\"1\"", "hyp.txt:1:11: Error: Malformed tag, missing '>'.\n"},
      {"x</pers", "hyp.txt:1:7: Error: Malformed tag, missing '>'.\n"},
  };
  for (const fault_case& c : cases) {
    std::vector<char> buffer = doc_buffer(c.doc);
    text_tags tags;
    EXPECT_FATAL(xml_extract_tags(tags, buffer.data(), buffer.size() - 1, "hyp.txt", types), 1,
                 c.message);
  }
}

}  // namespace
