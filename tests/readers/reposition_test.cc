// Tests of the repositioning of hypothesis tags onto the reference text:
// where tags land around whitespace, and the mismatch report.
#include "readers/reposition.h"

#include <algorithm>
#include <random>
#include <string>

#include "readers/text_reader.h"
#include "render.h"
#include "support/test_support.h"

namespace {

struct reposition_case {
  std::string ref;
  std::string hyp_doc;
  std::string tags;
};

// Reads the hypothesis document, moves its tags onto `ref` and renders them.
std::string reposition(const name_table& types, const std::string& ref,
                       const std::string& hyp_doc) {
  std::vector<char> hyp = doc_buffer(hyp_doc);
  text_tags doc;
  xml_extract_tags(doc, hyp.data(), hyp.size() - 1, "hyp.txt", types);
  align_and_reposition(ref.c_str(), hyp.data(), doc.tags);
  return render(doc, types);
}

std::string mismatch_message(int hyp_line, int ref_line, const std::string& ref_context,
                             const std::string& hyp_context) {
  return "Mismatch when aligning ref and hyp, hyp line " + std::to_string(hyp_line) +
         ", ref line " + std::to_string(ref_line) + ":\n  ref:  [" + ref_context + "]\n  hyp:  [" +
         hyp_context + "]\n";
}

bool is_ws(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Reposition : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc", "org"});
};

TEST_F(Reposition, Landings) {
  const std::vector<reposition_case> cases = {
      {"Jean  Dupont", "Jean <pers>Dupont</pers>", "pers@6(1:5) /pers@12(1:17)"},
      // Directly after a byte: lands directly after the matching byte.
      {"Jean Dupont", "Jean<pers> Dupont</pers>", "pers@4(1:4) /pers@11(1:17)"},
      {"a \n\t b", "a<pers> b</pers>", "pers@1(1:1) /pers@6(1:9)"},
      // After whitespace: lands past all the reference's whitespace there.
      {"a \n\t b", "a <pers>b</pers>", "pers@5(1:2) /pers@6(1:9)"},
      {"a \n\t b", "a\n\n<pers>b</pers>", "pers@5(3:0) /pers@6(3:7)"},
      {"ab", "a\n<pers>b</pers>", "pers@1(2:0) /pers@2(2:7)"},
      // At the end of the texts.
      {"ab   ", "ab</pers> ", "/pers@2(1:2)"},
      {"ab   ", "ab </pers>", "/pers@5(1:3)"},
      {"ab", "ab \n</pers>", "/pers@2(2:0)"},
      // At the start of the texts.
      {"  x", "<pers> x", "pers@0(1:0)"},
      {"  x", " <pers>x", "pers@2(1:1)"},
      {"x", " <pers>x", "pers@0(1:1)"},
      {"", "<pers></pers>", "pers@0(1:0) /pers@0(1:6)"},
      {"  \n", "<pers></pers>", "pers@0(1:0) /pers@0(1:6)"},
      {"\n", " <pers></pers>", "pers@1(1:1) /pers@1(1:7)"},
      // Several tags at one position all land together.
      {"x  Paris", "x <org><loc>Paris</loc></org>",
       "org@3(1:2) loc@3(1:7) /loc@8(1:17) /org@8(1:23)"},
      {"x Paris", "x<org> <loc>Paris</loc></org>",
       "org@1(1:1) loc@2(1:7) /loc@7(1:17) /org@7(1:23)"},
      // Bytes from 0x80 up match byte for byte.
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9<pers>t\xc3\xa9</pers>", "pers@2(1:2) /pers@5(1:11)"},
  };
  for (const reposition_case& c : cases) {
    EXPECT_EQ(c.tags, reposition(types, c.ref, c.hyp_doc))
        << "ref: " << c.ref << " hyp: " << c.hyp_doc;
  }
}

TEST_F(Reposition, WhitespaceDifferencesMatch) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a b", "a\nb"}, {"a b", "ab"},  {"ab", "a\r\n\tb"}, {"", " \n "},
      {" \n ", ""},    {"a b ", "ab"}, {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("", reposition(types, c.first, c.second)) << c.first << " / " << c.second;
  }
}

TEST_F(Reposition, Mismatches) {
  struct mismatch_case {
    std::string ref;
    std::string hyp_doc;
    std::string message;
  };
  std::string digits;
  for (int i = 0; i < 10; i++) {
    digits += "0123456789";
  }
  std::string changed = digits;
  changed[50] = 'X';
  // Thousands of lines before the difference, with tags between them.
  std::string many_ref, many_hyp;
  for (int i = 0; i < 2000; i++) {
    many_ref += "ab\n";
    many_hyp += i % 7 ? "ab \r\n\n" : "<pers>ab</pers> \r\n\n";
  }
  const std::vector<mismatch_case> cases = {
      {"paris", "<loc>Paris</loc>", mismatch_message(1, 1, "paris", "Paris")},
      // A hypothesis without tags is still compared to the end.
      {"abc", "abd", mismatch_message(1, 1, "abc", "abd")},
      {"abc", "abcd", mismatch_message(1, 1, "abc", "abcd")},
      {"abcd", "abc", mismatch_message(1, 1, "abcd", "abc")},
      {"the cat sat on the mat today", "the cat sat on <loc>the mat</loc>",
       mismatch_message(1, 1, "the mat today", " the mat")},
      // Within the first 8 bytes the context starts at the text's start.
      {"ab cd", "abXcd", mismatch_message(1, 1, "ab cd", "abXcd")},
      {"x", "y", mismatch_message(1, 1, "x", "y")},
      // 64 bytes from 8 before the cursor.
      {digits, changed, mismatch_message(1, 1, digits.substr(42, 64), changed.substr(42, 64))},
      // Line counters of the bare texts; a line feed inside a tag does not count.
      {"a\n\n\nb\nX", "a b\nY", mismatch_message(2, 5, "a\\n\\n\\nb\\nX", "a b\\nY")},
      {"ab\nc", "a<pers\n\n>b d", mismatch_message(1, 2, "ab\\nc", "ab d")},
      {"a\tb  c\rd e", "a\tb c\rdXe",
       mismatch_message(1, 1, "\\0x09b c\\0x0dd e", "a\\0x09b c\\0x0ddXe")},
      {many_ref + "X", many_hyp + "<loc>Y</loc>",
       mismatch_message(4001, 2001, "b\\nab\\nab\\nX", "\\n\\nab \\0x0d\\n\\nY")},
  };
  for (const mismatch_case& c : cases) {
    EXPECT_FATAL(reposition(types, c.ref, c.hyp_doc), 1, c.message);
  }
}

// The texts of token-per-line documents have a line per sentence; the
// report names the lines of the tokens in their files instead.
TEST_F(Reposition, MismatchNamesTheLinesOfTokens) {
  // Tokens "a b" on lines 3 and 4, "c" on line 7; "a b" on 1 and 2, "d" on 9.
  const std::vector<uint32_t> ref_start = {0, 2, 4};
  const std::vector<int32_t> ref_line = {3, 4, 7};
  const std::vector<uint32_t> hyp_start = {0, 2, 4};
  const std::vector<int32_t> hyp_line = {1, 2, 9};
  std::vector<simple_tag> none;
  EXPECT_FATAL(align_and_reposition("a b\nc", "a b\nd", none, {&ref_start, &ref_line},
                                    {&hyp_start, &hyp_line}),
               1, mismatch_message(9, 7, "a b\\nc", "a b\\nd"));
  // Past the last token of a shorter text: the last token's line.
  EXPECT_FATAL(
      align_and_reposition("a b\nc", "a b", none, {&ref_start, &ref_line}, {&hyp_start, &hyp_line}),
      1, mismatch_message(2, 7, "a b\\nc", "a b"));
  // A document without tokens is on line 1.
  const std::vector<uint32_t> no_start;
  const std::vector<int32_t> no_line;
  EXPECT_FATAL(
      align_and_reposition("a b\nc", "", none, {&ref_start, &ref_line}, {&no_start, &no_line}), 1,
      mismatch_message(1, 3, "a b\\nc", ""));
}

// Given the declared types, the report names the tags it shows that are of
// none: kept as text, they are most likely why the texts differ.
TEST_F(Reposition, MismatchNamesUndeclaredTags) {
  const name_table declared = make_types({"pers"});
  const std::string one = " (get_all_tags or --types), so its tags are read as text.\n";
  const std::string many = " (get_all_tags or --types), so their tags are read as text.\n";
  std::vector<simple_tag> none;
  struct {
    const char* ref;
    const char* hyp;
    std::string note;
  } cases[] = {
      {"Anna <loc>Rome</loc>", "Anna Rome", "  loc is not a declared type" + one},
      {"<pers>Anna</pers> in Rome", "<pers>Anna</pers> in <LOC>Rome",
       "  LOC is not a declared type" + one},
      {"a </org x=1> b <loc>", "a b", "  org and loc are not declared types" + many},
      {"a <x> <y> <z>", "a", "  x, y and z are not declared types" + many},
      // Declared names, a '<' without a name, a name the shown stretch cuts.
      {"a <pers> b", "a b", ""},
      {"a < b <> c", "a b", ""},
      {"a b c d e f g h i j k l m n o p q r s t u v w x y z aa bb cc <long>", "a c", ""},
  };
  for (const auto& c : cases) {
    try {
      align_and_reposition(c.ref, c.hyp, none, {}, {}, &declared);
      ADD_FAILURE() << "no mismatch: " << c.ref;
    } catch (const fatal_error& e) {
      const size_t shown = e.text.find("]\n", e.text.find("  hyp:  ["));
      ASSERT_NE(std::string::npos, shown) << e.text;
      EXPECT_EQ(c.note, e.text.substr(shown + 2)) << e.text;
    }
  }
}

// Whatever the whitespace, a tag lands after as many non-whitespace bytes of
// the reference as it followed in the hypothesis: directly after the last of
// them when it followed one, and at the next one (or the end) when it
// followed whitespace.
TEST_F(Reposition, RandomWhitespaceKeepsTagsInPlace) {
  std::mt19937 rng(12345);
  const std::vector<std::string> words = {"a", "bc", "Paris", "\xc3\xa9t\xc3\xa9", "x-y"};
  const std::string spaces = " \t\n\r";
  auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
  auto gap = [&]() {
    std::string g;
    for (size_t k = pick(4); k > 0; k--) {
      g += spaces[pick(spaces.size())];
    }
    return g;
  };
  for (int round = 0; round < 400; round++) {
    std::vector<std::string> text;
    for (size_t k = pick(6); k > 0; k--) {
      text.push_back(words[pick(words.size())]);
    }
    std::string ref = gap();
    std::string hyp = gap();
    for (const std::string& w : text) {
      ref += w + gap();
      hyp += w + gap();
    }
    std::vector<simple_tag> tags;
    std::vector<int> old_pos;
    for (size_t k = pick(6); k > 0; k--) {
      old_pos.push_back(static_cast<int>(pick(hyp.size() + 1)));
    }
    std::sort(old_pos.begin(), old_pos.end());
    for (int p : old_pos) {
      tags.emplace_back(0, false, p, 1, 0);
    }
    align_and_reposition(ref.c_str(), hyp.c_str(), tags);

    auto solid_before = [](const std::string& s, int pos) {
      int n = 0;
      for (int i = 0; i < pos; i++) {
        n += !is_ws(s[static_cast<size_t>(i)]);
      }
      return n;
    };
    size_t k = 0;
    for (const simple_tag& t : tags) {
      int p = old_pos[k++];
      SCOPED_TRACE("ref [" + ref + "] hyp [" + hyp + "] hyp pos " + std::to_string(p));
      ASSERT_GE(t.pos, 0);
      ASSERT_LE(t.pos, static_cast<int>(ref.size()));
      EXPECT_EQ(solid_before(hyp, p), solid_before(ref, t.pos));
      if (p == 0 || !is_ws(hyp[static_cast<size_t>(p - 1)])) {
        EXPECT_TRUE(t.pos == 0 || !is_ws(ref[static_cast<size_t>(t.pos - 1)]));
      } else {
        EXPECT_TRUE(t.pos == static_cast<int>(ref.size()) ||
                    !is_ws(ref[static_cast<size_t>(t.pos)]));
      }
    }

    // Changing any one non-whitespace byte is a mismatch.
    std::vector<size_t> solid;
    for (size_t i = 0; i < hyp.size(); i++) {
      if (!is_ws(hyp[i])) {
        solid.push_back(i);
      }
    }
    if (!solid.empty()) {
      std::string wrong = hyp;
      wrong[solid[pick(solid.size())]] = '#';
      std::vector<simple_tag> none;
      try {
        align_and_reposition(ref.c_str(), wrong.c_str(), none);
        ADD_FAILURE() << "no mismatch for ref [" << ref << "] hyp [" << wrong << "]";
      } catch (const fatal_error& e) {
        EXPECT_EQ(1, e.status);
      }
    }
  }
}

}  // namespace
