// Tests of the token-per-line reader: text, tokens, sentences and documents,
// separators and line ends, the column and tag faults, and the entities.
#include "readers/conll_reader.h"

#include <string>
#include <tuple>
#include <utility>

#include "support/test_support.h"

namespace {

conll_document read(const std::string& data, const std::vector<int>& columns = {-1},
                    bool docstart_tokens = false) {
  return read_conll(data.data(), data.size(), "ref.conll", conll_reading{columns, docstart_tokens});
}

TEST(ConllReader, TextTokensAndSentences) {
  const std::string file =
      "-DOCSTART- -X- O\n"
      "\n"
      "Jean\tNNP  B-PER\r\n"
      "Dupont NNP I-PER\n"
      "\n"
      "\n"
      "vit VB O\n"
      "-DOCSTART- O\n"
      "Paris NNP B-LOC\n"
      "-X- -X- O\n"  // conlleval's sentence boundary
      "Rome NNP B-LOC";
  const conll_document doc = read(file);
  EXPECT_EQ("Jean Dupont\nvit\nParis\nRome", doc.text.view());
  EXPECT_EQ((std::vector<uint32_t>{0, 5, 12, 16, 22}), doc.token_start);
  EXPECT_EQ((std::vector<int32_t>{3, 4, 7, 9, 11}), doc.token_line);
  EXPECT_EQ((std::vector<bool>{true, false, true, true, true}), doc.starts_sentence);
  EXPECT_EQ(3u, doc.columns);
  ASSERT_EQ(1u, doc.tags.size());
  EXPECT_EQ('B', doc.tags[0][0].prefix);
  EXPECT_EQ("PER", doc.types.name(static_cast<int>(doc.tags[0][1].type)));
  EXPECT_EQ(uint32_t{doc.tags[0][0].type}, uint32_t{doc.tags[0][1].type});
  EXPECT_EQ(0u, uint32_t{doc.tags[0][2].type});  // O's empty type
  EXPECT_EQ('O', doc.tags[0][2].prefix);
}

TEST(ConllReader, OneFileLayoutTakesTwoColumns) {
  const std::string file = "a x B-X I-Y\nb x I-X O\n";
  const conll_document doc = read(file, {-2, -1});
  ASSERT_EQ(2u, doc.tags.size());
  EXPECT_EQ('B', doc.tags[0][0].prefix);  // second to last: the reference
  EXPECT_EQ("Y", doc.types.name(static_cast<int>(doc.tags[1][0].type)));  // last: the hypothesis
  EXPECT_EQ('O', doc.tags[1][1].prefix);
}

TEST(ConllReader, Faults) {
  const struct {
    std::string file;
    std::vector<int> columns;
    std::string message;
  } cases[] = {
      {"a B-X\nb c O\n", {-1}, "ref.conll:2: Error: expected 2 columns, found 3.\n"},
      {"a O\n\nb\n", {-1}, "ref.conll:3: Error: expected 2 columns, found 1.\n"},
      {"a O\n", {-2, -1}, "ref.conll:1: Error: expected at least 3 columns, found 2.\n"},
      {"a B-X\nb PER\n",
       {-1},
       "ref.conll:2: Error: malformed tag 'PER': expected O, a prefix (B I E S L U [ ]), or a "
       "prefix, a hyphen and a type.\n"},
      {"a X-PER\n",
       {-1},
       "ref.conll:1: Error: malformed tag 'X-PER': expected O, a prefix (B I E S L U [ ]), or a "
       "prefix, a hyphen and a type.\n"},
      {std::string("a O\nb\0 O\n", 10), {-1}, "ref.conll:2:1: Error: NUL byte in the document.\n"},
      // Control bytes in a tag are shown, not sent to the terminal.
      {"a \x1b[2J\n",
       {-1},
       "ref.conll:1: Error: malformed tag '\\0x1b[2J': expected O, a prefix (B I E S L U [ ]), or "
       "a prefix, a hyphen and a "
       "type.\n"},
  };
  for (const auto& c : cases) {
    EXPECT_FATAL(read(c.file, c.columns), 1, c.message);
  }
}

// A line ends with LF, CRLF or a CR alone, so that files from old Macs and
// some exports keep their lines (and their numbers).
TEST(ConllReader, LineEnds) {
  const conll_document doc = read("a B-X\rb I-X\r\rc O\r\n\r\nd O\n\re B-Y\r\r\n", {-1});
  EXPECT_EQ("a b\nc\nd\ne", doc.text.view());
  EXPECT_EQ((std::vector<int32_t>{1, 2, 4, 6, 8}), doc.token_line);
  EXPECT_EQ((std::vector<bool>{true, false, true, true, true}), doc.starts_sentence);
  // A CR pasted inside a line ends it too.
  EXPECT_FATAL(read("a B-X\nb\rO\n"), 1, "ref.conll:2: Error: expected 2 columns, found 1.\n");
}

TEST(ConllReader, SameTokens) {
  const conll_document ref = read("She O\nlives O\n\nin O\nNew B-LOC\nYork I-LOC\n");
  check_same_tokens(ref, "ref", read("She O\nlives O\nin O\n\nNew B-LOC\nYork O\n"), "hyp");
  const std::string rule = ": the two files must hold the same tokens.\n";
  EXPECT_FATAL(check_same_tokens(ref, "ref", read("She O\nlives O\nin O\nNewYork B-LOC\n"), "hyp"),
               1, "hyp:4: Error: token 'NewYork', where ref:5 has 'New'" + rule);
  EXPECT_FATAL(check_same_tokens(ref, "ref", read("She O\nlives O\n"), "hyp"), 1,
               "hyp: Error: the file ends after 2 tokens, where ref:4 has 'in'" + rule);
  EXPECT_FATAL(check_same_tokens(ref, "ref", read(""), "hyp"), 1,
               "hyp: Error: the file ends after 0 tokens, where ref:1 has 'She'" + rule);
  const std::string longer = "She O\nlives O\nin O\nNew O\nYork O\n" + std::string(59, 'x') +
                             "\xC3\xA9" + std::string(20, 'x') + " O\n";
  EXPECT_FATAL(check_same_tokens(ref, "ref", read(longer), "hyp"), 1,
               // cut before the character that the 60th byte is in
               "hyp:6: Error: token '" + std::string(59, 'x') +
                   "...', where ref ends after 5 tokens" + rule);
}

// conlleval splits only on blank and "-X-" lines: to it a "-DOCSTART-" line
// is a token, tags and all. Read so, a tagged one is a token; any other is
// a boundary, and each is listed.
TEST(ConllReader, DocstartLines) {
  const std::string file =
      "-DOCSTART- -X- I-PER\n\nJean x B-PER\n-DOCSTART- O\nParis x B-LOC\n-DOCSTART-\n";
  conll_document doc = read(file, {-1}, true);
  EXPECT_EQ("-DOCSTART-\nJean\nParis", doc.text.view());
  EXPECT_EQ((std::vector<int32_t>{1, 3, 5}), doc.token_line);
  EXPECT_EQ('I', doc.tags[0][0].prefix);
  ASSERT_EQ(3u, doc.docstarts.size());
  EXPECT_TRUE(doc.docstarts[0].is_token);
  EXPECT_EQ(0u, doc.docstarts[0].token);
  EXPECT_FALSE(doc.docstarts[1].is_token);
  EXPECT_EQ(2u, doc.docstarts[1].token);  // the token after it
  EXPECT_EQ(4, doc.docstarts[1].line);
  EXPECT_EQ(3u, doc.docstarts[2].token);  // the end
  EXPECT_EQ(1u, doc.tagged_docstarts);
  EXPECT_EQ(1, doc.first_tagged_docstart);
  EXPECT_EQ("I-PER", doc.first_docstart_tag);
  // Otherwise every such line is a boundary, its tag still seen.
  doc = read(file, {-1}, false);
  EXPECT_EQ("Jean\nParis", doc.text.view());
  EXPECT_FALSE(doc.docstarts[0].is_token);
  EXPECT_EQ(1u, doc.tagged_docstarts);
  // A tag that is none: an error where the line is a token, as any token's
  // is (conlleval counts a phrase of the type "X-" for "-X-"); a tag the
  // warning counts where the line is a boundary. A column the line lacks
  // is an O.
  const std::string odd = "-DOCSTART- -X- O\n-DOCSTART-\na O O\n";
  EXPECT_FATAL(
      read(odd, {-2, -1}, true), 1,
      "ref.conll:1: Error: malformed tag '-X-': expected O, a prefix (B I E S L U [ ]), or "
      "a prefix, a hyphen and a type.\n");
  doc = read(odd, {-2, -1}, false);
  EXPECT_EQ("a", doc.text.view());
  EXPECT_EQ(1u, doc.tagged_docstarts);
  EXPECT_EQ("-X-", doc.first_docstart_tag);
  EXPECT_EQ(0u, read(odd, {-1}, true).tagged_docstarts);
}

// The column before the last is compared with the last as the file is
// read: the file need not be read again, which a pipe would not allow.
TEST(ConllReader, ComparedColumn) {
  auto compared = [](const std::string& data) {
    conll_reading reading;
    reading.compared_column = -2;
    return read_conll(data.data(), data.size(), "ref.conll", reading).compared;
  };
  EXPECT_EQ(compared_tags::same, compared("-DOCSTART- -X- I-X\na B-X B-X\nb O O\n"));
  EXPECT_EQ(compared_tags::differ, compared("a B-X B-X\nb B-Y O\nc O O\n"));
  // A column of parts of speech is no tag column, wherever its words stop
  // being tags.
  EXPECT_EQ(compared_tags::not_tags, compared("a B-X B-Y\nb NNP O\nc O O\n"));
  EXPECT_EQ(compared_tags::none, compared("a B-X\nb O\n"));
  EXPECT_EQ(compared_tags::none, compared("\n"));
  EXPECT_EQ(compared_tags::none, read("a B-X B-Y\n").compared);
}

// Two files read as a pair is: their "-DOCSTART-" lines paired by place.
std::pair<conll_document, conll_document> paired(const std::string& ref, const std::string& hyp,
                                                 bool tagged_tokens = true) {
  conll_reading reading;
  reading.docstart_tokens = tagged_tokens;
  reading.all_docstarts = true;
  std::pair<conll_document, conll_document> docs{read_conll(ref.data(), ref.size(), "r", reading),
                                                 read_conll(hyp.data(), hyp.size(), "h", reading)};
  pair_docstarts(docs.first, docs.second, tagged_tokens);
  for (const conll_document* d : {&docs.first, &docs.second}) {
    EXPECT_EQ(d->token_start.size(), d->tags[0].size());
    EXPECT_EQ(d->token_start.size(), d->starts_sentence.size());
    EXPECT_EQ(d->token_start.size(), d->token_line.size());
  }
  return docs;
}

std::string prefixes(const conll_document& doc) {
  std::string out;
  for (const token_tag& t : doc.tags[0]) {
    out += t.prefix;
  }
  return out;
}

std::string starts(const conll_document& doc) {
  std::string out;
  for (bool s : doc.starts_sentence) {
    out += s ? '|' : '.';
  }
  return out;
}

// A tagged "-DOCSTART-" line of one file gets an O-tagged counterpart in
// the other, where that file has a token; two lines at one place are a
// token of both when either is tagged.
TEST(ConllReader, DocstartTokensShared) {
  auto [a, b] = paired("-DOCSTART- I-X\nJean O\n-DOCSTART- O\nParis O\n",
                       "Jean O\n-DOCSTART- I-Y\nParis O\n");
  check_same_tokens(a, "a", b, "b");
  EXPECT_EQ("-DOCSTART- Jean -DOCSTART- Paris", a.text.view());
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), a.token_line);
  EXPECT_EQ("IOOO", prefixes(a));
  EXPECT_EQ("-DOCSTART-\nJean -DOCSTART- Paris", b.text.view());
  EXPECT_EQ((std::vector<int32_t>{1, 1, 2, 3}), b.token_line);
  EXPECT_EQ("OOIO", prefixes(b));
  for (const conll_document* d : {&a, &b}) {
    ASSERT_EQ(2u, d->docstarts.size());
    EXPECT_TRUE(d->docstarts[0].is_token && d->docstarts[1].is_token);
    EXPECT_EQ(0u, d->docstarts[0].token);
    EXPECT_EQ(2u, d->docstarts[1].token);
    EXPECT_FALSE(d->docstarts[1].inserted);
  }
  EXPECT_FALSE(a.docstarts[0].inserted);
  EXPECT_TRUE(b.docstarts[0].inserted);
  EXPECT_EQ(4u, own_tokens(a, 4));
  EXPECT_EQ(3u, own_tokens(b, 4));
  EXPECT_EQ(0u, own_tokens(b, 1));

  // Adjacent lines tagged differently pair line by line, not by how many
  // tokens come before them.
  std::tie(a, b) = paired("a O\n-DOCSTART- O\n-DOCSTART- B-PER\nb B-PER\n",
                          "a O\n-DOCSTART- B-PER\n-DOCSTART- O\nb B-PER\n");
  EXPECT_EQ("a -DOCSTART- -DOCSTART- b", a.text.view());
  EXPECT_EQ("OOBB", prefixes(a));
  EXPECT_EQ("OBOB", prefixes(b));
  EXPECT_EQ(a.token_line, b.token_line);

  // At the end of the text too; untagged lines of both are boundaries.
  std::tie(a, b) = paired("Jean O\n-DOCSTART- B-X\n", "Jean O\n");
  EXPECT_EQ("Jean -DOCSTART-", a.text.view());
  EXPECT_EQ("Jean\n-DOCSTART-", b.text.view());
  std::tie(a, b) = paired("-DOCSTART- O\nJean O\n-DOCSTART- O\nvit O\n",
                          "-DOCSTART- O\nJean O\n-DOCSTART- O\nvit O\n");
  EXPECT_EQ("Jean\nvit", a.text.view());
  EXPECT_EQ(a.text.view(), b.text.view());
  ASSERT_EQ(2u, a.docstarts.size());
  EXPECT_FALSE(a.docstarts[1].is_token);
  EXPECT_EQ(1u, a.docstarts[1].token);
  EXPECT_EQ(3, a.docstarts[1].line);
}

// Everything a paired document holds, in one line.
std::string shown(const conll_document& doc) {
  std::string out;
  for (char c : doc.text.view()) {
    out += c == '\n' ? std::string("/") : std::string(1, c);
  }
  out += " |";
  for (size_t i = 0; i < doc.token_start.size(); i++) {
    out += " " + std::to_string(doc.token_start[i]) + ":" + std::to_string(doc.token_line[i]) +
           (doc.starts_sentence[i] ? "s" : "") + doc.tags[0][i].prefix;
  }
  out += " |";
  for (const docstart_line& d : doc.docstarts) {
    out += " " + std::to_string(d.token) + "@" + std::to_string(d.line) + (d.is_token ? "t" : "b");
  }
  return out;
}

// Lines that pairing keeps or drops, none added: the tokens move down in
// place, with their tags, lines and sentence starts.
TEST(ConllReader, DocstartsKeptAndDroppedInPlace) {
  auto [a, b] = paired(
      "-DOCSTART- O\n\nJean B-PER\nDupont I-PER\n\nvit O\n-DOCSTART- O\nà O\n"
      "-DOCSTART- B-X\nParis B-LOC\n",
      "-DOCSTART- O\n\nJean B-PER\nDupont O\n\nvit O\n-DOCSTART- O\nà O\n-DOCSTART- O\n"
      "Paris B-LOC\n");
  EXPECT_EQ(
      "Jean Dupont/vit/à -DOCSTART- Paris | 0:3sB 5:4I 12:6sO 16:8sO 19:9B 30:10B | 0@1b 3@7b 4@9t",
      shown(a));
  EXPECT_EQ(
      "Jean Dupont/vit/à -DOCSTART- Paris | 0:3sB 5:4O 12:6sO 16:8sO 19:9O 30:10B | 0@1b 3@7b 4@9t",
      shown(b));
}

// A line of the reference alone is a boundary of the hypothesis too (the
// documents are the reference's); one of the hypothesis alone is its own.
TEST(ConllReader, DocstartBoundariesShared) {
  for (bool tagged_tokens : {true, false}) {
    auto [a, b] = paired("a B-X\n-DOCSTART- O\nb I-X\n", "a B-X\nb I-X\n", tagged_tokens);
    EXPECT_EQ("||", starts(a));
    EXPECT_EQ("||", starts(b));
    std::tie(a, b) = paired("a B-X\nb I-X\n", "a B-X\n-DOCSTART- O\nb I-X\n", tagged_tokens);
    EXPECT_EQ("|.", starts(a));
    EXPECT_EQ("||", starts(b));
  }
  // Under a strict scheme a tagged line is a boundary all the same.
  auto [a, b] = paired("a B-X\n-DOCSTART- B-X\nb I-X\n", "a B-X\nb I-X\n", false);
  EXPECT_EQ("a\nb", a.text.view());
  EXPECT_EQ("||", starts(b));
  EXPECT_EQ(1u, a.tagged_docstarts);
}

// A file that ends first says after how many of its own tokens.
TEST(ConllReader, FilesEndAfterTheirOwnTokens) {
  auto [r, h] = paired("a O\n-DOCSTART- B-PER\nb O\n", "a O\n");
  EXPECT_FATAL(check_same_tokens(r, "r", h, "h"), 1,
               "h: Error: the file ends after 1 token, where r:3 has 'b': the two files must hold "
               "the same tokens.\n");
  std::tie(r, h) = paired("a O\n", "a O\n-DOCSTART- B-PER\nb O\n");
  EXPECT_FATAL(check_same_tokens(r, "r", h, "h"), 1,
               "h:3: Error: token 'b', where r ends after 1 token: the two files must hold the "
               "same tokens.\n");
}

// The sections of one file, or of two.
conll_sections_of sections(const std::string& ref, const std::string& hyp = "",
                           const std::vector<int>& ref_columns = {-1}, bool tagged_tokens = false) {
  conll_reading r;
  r.tag_columns = ref_columns;
  r.docstart_tokens = tagged_tokens;
  conll_reading h;
  h.docstart_tokens = tagged_tokens;
  const conll_input ref_input{ref.data(), ref.size(), "r", r};
  const conll_input hyp_input{hyp.data(), hyp.size(), "h", h};
  return conll_sections(ref_input, hyp.empty() ? nullptr : &hyp_input);
}

// The stretch of `file` that a section is.
std::string text_of(const std::string& file, const conll_section& s) {
  return file.substr(s.begin, s.end - s.begin);
}

// The documents of a file begin at its "-DOCSTART-" lines; what comes
// before the first is one only if it holds a token. A second file of the
// same tokens is cut where its lines pair with the first's.
TEST(ConllReader, Sections) {
  const std::string file =
      "\xEF\xBB\xBF\n-DOCSTART- O\n\na O\nb O\n\n-DOCSTART- O\n-DOCSTART- O\nc O\r-X- O\nd O\n";
  const std::vector<conll_section> s = sections(file).ref;
  ASSERT_EQ(3u, s.size());
  EXPECT_EQ(file.find("-DOCSTART-"), s[0].begin);
  EXPECT_EQ(2, s[0].first_line);
  EXPECT_EQ(4, s[0].first_token_line);
  EXPECT_EQ(s[0].end, s[1].begin);
  EXPECT_EQ(0, s[1].first_token_line);  // a "-DOCSTART-" right after another
  EXPECT_EQ(8, s[2].first_line);
  EXPECT_EQ(9, s[2].first_token_line);
  EXPECT_EQ(file.size(), s[2].end);
  // Read on its own, a document keeps the file's lines.
  conll_reading third_reading;
  third_reading.first_line = 8;
  const conll_document third =
      read_conll(file.data() + s[2].begin, s[2].end - s[2].begin, "f", third_reading);
  EXPECT_EQ((std::vector<int32_t>{9, 11}), third.token_line);
  // A file before whose first "-DOCSTART-" a token stands starts with it.
  EXPECT_EQ(2u, sections("x O\n-DOCSTART- O\n").ref.size());
  EXPECT_EQ(1u, sections("").ref.size());

  // Without lines of its own, the second file is cut right after the
  // tokens before each document, what follows them going with the next.
  const std::string other = "a O\nb O\nc O\n\nd O\n";
  const conll_sections_of both = sections(file, other);
  EXPECT_EQ(s.size(), both.ref.size());
  const std::vector<conll_section>& t = both.hyp;
  ASSERT_EQ(3u, t.size());
  EXPECT_EQ(0u, t[0].begin);
  EXPECT_EQ(other.find("c"), t[0].end);  // after the second token
  EXPECT_EQ(t[0].end, t[1].begin);
  EXPECT_EQ(t[1].begin, t[1].end);  // no token
  EXPECT_EQ(3, t[2].first_line);
  EXPECT_EQ(3, t[2].first_token_line);
  EXPECT_EQ(other.size(), t[2].end);
  // A file that ends first gives empty documents.
  const std::vector<conll_section> u = sections(file, "a O\n").hyp;
  EXPECT_EQ(4u, u[1].begin);
  EXPECT_EQ(4u, u[2].end);
}

// The second file's "-DOCSTART-" lines go with the reference's they pair
// with, a document of no token included; its own lines stay where they are.
TEST(ConllReader, SectionsPairDocstartLines) {
  const std::string ref = "a O\n-DOCSTART- O\n-DOCSTART- O\nb O\n";
  const std::string hyp = "a O\n\n-DOCSTART- O\n-DOCSTART- B-PER\nb O\n";
  conll_sections_of s = sections(ref, hyp, {-1}, true);
  ASSERT_EQ(3u, s.hyp.size());
  EXPECT_EQ("a O\n\n", text_of(hyp, s.hyp[0]));
  EXPECT_EQ("-DOCSTART- O\n", text_of(hyp, s.hyp[1]));
  EXPECT_EQ("-DOCSTART- B-PER\nb O\n", text_of(hyp, s.hyp[2]));
  EXPECT_EQ(3, s.hyp[1].first_line);
  // A tagged line is its document's first token, in both files, where
  // conlleval's reading makes it a token.
  EXPECT_EQ(4, s.hyp[2].first_token_line);
  EXPECT_EQ(3, s.ref[2].first_token_line);
  EXPECT_EQ(0, s.ref[1].first_token_line);
  s = sections(ref, hyp, {-1}, false);
  EXPECT_EQ(5, s.hyp[2].first_token_line);
  EXPECT_EQ(4, s.ref[2].first_token_line);
  // The hypothesis's own lines, and lines past the reference's.
  s = sections("a O\n-DOCSTART- O\nb O\n", "-DOCSTART- I-X\na O\n-DOCSTART- O\n-DOCSTART- O\nb O\n",
               {-1}, true);
  ASSERT_EQ(2u, s.hyp.size());
  EXPECT_EQ(1, s.hyp[0].first_token_line);
  EXPECT_EQ(3, s.hyp[1].first_line);
  EXPECT_EQ(5, s.hyp[1].first_token_line);
  // One file: a tag in either column.
  s = sections("-DOCSTART- O O\na O O\n-DOCSTART- O B-X\nb O O\n", "", {-2, -1}, true);
  ASSERT_EQ(2u, s.ref.size());
  EXPECT_EQ(2, s.ref[0].first_token_line);
  EXPECT_EQ(3, s.ref[1].first_token_line);
}

TEST(ConllReader, EmptyFiles) {
  EXPECT_EQ("", read("").text.view());
  EXPECT_EQ("", read("\n\n \t\n-DOCSTART- O\n").text.view());
  EXPECT_TRUE(read("\xEF\xBB\xBF").token_start.empty());
}

TEST(ConllReader, EntitiesAsTags) {
  const std::string file = "Jean B-PER\nDupont I-PER\nvit O\n\nParis B-LOC\n";
  const conll_document doc = read(file);
  name_table types = make_types({"LOC"});
  text_tags tags;
  EXPECT_EQ(0u, conll_entities(doc, 0, chunk_scheme::iob2, types, tags).unfit);
  // PER, undeclared, is added after the declared types.
  ASSERT_EQ(2, types.size());
  EXPECT_EQ("PER", types.name(1));
  ASSERT_EQ(4u, tags.tags.size());
  EXPECT_EQ(1, tags.tags[0].tagid);
  EXPECT_EQ(0, tags.tags[0].pos);
  EXPECT_EQ(11, tags.tags[1].pos);
  EXPECT_TRUE(tags.tags[1].closing);
  EXPECT_EQ(0, tags.tags[2].tagid);
  EXPECT_EQ(16, tags.tags[2].pos);
  EXPECT_EQ(5, tags.tags[2].line);
  EXPECT_EQ("Jean Dupont vit\nParis", doc.text.view());
  // An I-X that opens nothing, under the strict scheme: counted, with its line.
  const conll_document bad = read("a O\nb I-LOC\n");
  text_tags none;
  const column_chunks c = conll_entities(bad, 0, chunk_scheme::iob2, types, none);
  EXPECT_EQ(1u, c.unfit);
  EXPECT_EQ(2, c.first_unfit_line);
  EXPECT_TRUE(none.tags.empty());
}

// conlleval's bracket inside an open chunk: the tags nest, in text order.
TEST(ConllReader, NestedChunksAsNestedTags) {
  const conll_document doc = read("a B-X\nb [-X\nc B-Y\n");
  name_table types;
  text_tags tags;
  conll_entities(doc, 0, chunk_scheme::conlleval, types, tags);
  std::string order;
  for (const simple_tag& t : tags.tags) {
    order += (t.closing ? "/" : "") + std::to_string(t.pos) + "@" + std::to_string(t.line) + " ";
  }
  // X[a b] holds X[b]; Y[c] follows.
  EXPECT_EQ("0@1 2@2 /3@2 /3@1 4@3 /5@3 ", order);
}

}  // namespace
