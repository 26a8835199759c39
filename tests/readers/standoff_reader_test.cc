// Tests of the standoff reader: character offsets as bytes, tags in an
// order that nests, what is read approximately or not at all, and the
// faults that name the annotation and its line.
#include "readers/standoff_reader.h"

#include <string>

#include "render.h"
#include "support/test_support.h"

namespace {

struct standoff_result {
  std::string tags;
  standoff_counts counts;
  name_table types = make_types({"PER", "LOC"});
};

standoff_result read(const std::string& ann, const std::string& text) {
  standoff_result r;
  text_tags doc;
  read_standoff(doc, r.counts, ann.c_str(), ann.size(), "doc.ann", text.c_str(), text.size(),
                "doc.txt", r.types);
  r.tags = render(doc, r.types);
  return r;
}

// Offsets count characters: a character beyond U+FFFF is one, as are CR LF
// and a byte that is not UTF-8; positions come out in bytes.
TEST(StandoffReader, CharactersBecomeBytes) {
  const std::string text = "\xf0\x9f\x98\x80 \xc3\xa9t\xc3\xa9\r\nParis \xff Lyon";
  // Characters: 0 the emoji, 2-5 "été", 5 CR LF, 6-11 "Paris", 12 the byte 0xFF, 14-18 "Lyon".
  const standoff_result r =
      read("T1\tPER 2 5\t\xc3\xa9t\xc3\xa9\nT2\tLOC 6 11\tParis\nT3\tLOC 14 18\tLyon\n", text);
  EXPECT_EQ("PER@5(1:0) /PER@10(1:0) LOC@12(2:1) /LOC@17(2:0) LOC@20(3:2) /LOC@24(3:0)", r.tags);
}

// Nested spans open outer first and close inner first; a span that ends
// where the next starts closes before it opens; equal spans nest in the
// order of their types' names, then of their lines. Types not known are
// added in the order of their first annotation. An opening tag's column is
// its annotation's index in the order of the lines.
TEST(StandoffReader, TagsNest) {
  const std::string text = "Jean Dupont de Paris";
  const standoff_result r = read(
      "T3\tLOC 15 20\tParis\nT1\tPER 0 11\tJean Dupont\nT2\tNAME 5 11\tDupont\n"
      "T4\tORG 11 20\t de Paris\nT5\tGPE 15 20\tParis\nT6\tGPE 15 20\tParis\n",
      text);
  EXPECT_EQ(
      "PER@0(2:1) NAME@5(3:2) /NAME@11(3:0) /PER@11(2:0) ORG@11(4:3) GPE@15(5:4) GPE@15(6:5) "
      "LOC@15(1:0) /LOC@20(1:0) /GPE@20(6:0) /GPE@20(5:0) /ORG@20(4:0)",
      r.tags);
  EXPECT_EQ((std::vector<std::string>{"PER", "LOC", "NAME", "ORG", "GPE"}), r.types.names());
}

// Fragments give their covering span; attributes, binary or valued, and
// normalisations become the entity's attributes; relations, events,
// equivalences, notes and attributes of events are counted and left.
TEST(StandoffReader, WhatIsReadApproximatelyOrNotAtAll) {
  const std::string text = "Jean Dupont de Paris";
  const standoff_result r = read(
      "T1\tPER 0 4;12 14\tJean de\nA1\tNegated T1\nM2\tLevel T1 High\n"
      "N1\tReference T1 Wikipedia:534366\tJean\nN2\tReference T1 local\n"
      "R1\tRel Arg1:T1 Arg2:T1\nE1\tEv:T1\n*\tEquiv T1 T1\n#1\tAnnotatorNotes T1\tx\n"
      "A3\tKind E1 big\n\r\n\n",
      text);
  EXPECT_EQ("PER@0(1:0)[Negated=true,Level=High,Wikipedia=534366,norm=local] /PER@14(1:0)", r.tags);
  EXPECT_EQ(1, r.counts.discontinuous);
  EXPECT_EQ(5, r.counts.ignored);
}

// Each text-bound annotation's line, id and fragments, as the file gives
// them, for the reports to point back with; its entity's column is its
// index among the sources, after those already there.
TEST(StandoffReader, SourcesInLineOrder) {
  const std::string ann = "T2\tPER 5 11\tDupont\nA1\tNegated T2\nT1\tLOC 0 4;15 20\tJean Paris\n";
  const std::string text = "Jean Dupont de Paris";
  text_tags doc;
  standoff_counts counts;
  name_table types;
  std::vector<annotation_source> sources(2);
  read_standoff(doc, counts, ann.c_str(), ann.size(), "doc.ann", text.c_str(), text.size(),
                "doc.txt", types, &sources);
  EXPECT_EQ("LOC@0(3:3) PER@5(1:2)[Negated=true] /PER@11(1:0) /LOC@20(3:0)", render(doc, types));
  ASSERT_EQ(4u, sources.size());
  EXPECT_EQ(1, sources[2].line);
  EXPECT_EQ("T2", sources[2].id);
  EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{5, 11}}), sources[2].characters);
  EXPECT_EQ(3, sources[3].line);
  EXPECT_EQ("T1", sources[3].id);
  EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{0, 4}, {15, 20}}), sources[3].characters);
}

// Spans given as values: their own ids when they have them, their numbers
// (given, as a task's results have, or their places), their document's id;
// a task's spans are placed by the task in messages.
TEST(StandoffReader, SpansGivenAsValuesKeepTheirIdsAndNumbers) {
  const std::string text = "Jean Dupont de Paris";
  character_span paris{"span 1", "", 0, "LOC", 15, 20};
  character_span jean{"result 4", "r9", 4, "PER", 0, 11};
  span_document where;
  where.file = "f.jsonl";
  where.line = 3;
  where.id = "doc7";
  text_tags doc;
  name_table types;
  std::vector<annotation_source> sources(1);
  read_character_spans(doc, {paris, jean}, where, text.c_str(), text.size(), types, &sources);
  EXPECT_EQ("PER@0(3:2) /PER@11(3:0) LOC@15(3:1) /LOC@20(3:0)", render(doc, types));
  ASSERT_EQ(3u, sources.size());
  EXPECT_EQ("", sources[1].id);
  EXPECT_EQ("span 1", sources[1].name);
  EXPECT_EQ(1, sources[1].span);
  EXPECT_EQ("doc7", sources[1].document);
  EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{15, 20}}), sources[1].characters);
  EXPECT_EQ("r9", sources[2].id);
  EXPECT_EQ(4, sources[2].span);

  where.place = "task 3 (id 7)";
  character_span crossing{"result 5", "", 5, "PER", 5, 17};
  EXPECT_FATAL(
      read_character_spans(doc, {paris, jean, crossing}, where, text.c_str(), text.size(), types),
      1,
      "f.jsonl: task 3 (id 7): Error: result 5 (characters 5-17) crosses result 4 "
      "(characters 0-11): two annotations may nest or lie apart, but not overlap in "
      "part.\n");
}

TEST(StandoffReader, FaultsNameTheAnnotationAndItsLine) {
  const std::string text = "Jean Dupont\nParis";
  EXPECT_FATAL(read("T1\tPER 0 4\tJean\nT2\tLOC 12 18\tParis\n", text), 1,
               "doc.ann:2: Error: T2 ends at character 18, past the end of doc.txt (17 "
               "characters).\n");
  EXPECT_FATAL(read("T1\tPER 0 11\tJean\x01"
                    "Dupont\n",
                    text),
               1,
               "doc.ann:1: Error: T1's text \"Jean\\0x01Dupont\" is not the text at characters "
               "0-11 of doc.txt, \"Jean Dupont\".\n");
  // A line end in the text stands for the space an annotation gives.
  EXPECT_EQ("PER@5(1:0) /PER@17(1:0)", read("T1\tPER 5 17\tDupont Paris\n", text).tags);
  EXPECT_FATAL(read("T1\tPER 5 17\tDupontParis\n", text), 1,
               "doc.ann:1: Error: T1's text \"DupontParis\" is not the text at characters 5-17 "
               "of doc.txt, \"Dupont\\nParis\".\n");
  EXPECT_FATAL(read("T7\tPER 0 11\tJean Dupont\nT2\tPER 5 17\tDupont Paris\n", text), 1,
               "doc.ann:2: Error: T2 (characters 5-17) crosses T7 (characters 0-11, line 1): "
               "two annotations may nest or lie apart, but not overlap in part.\n");
  EXPECT_FATAL(read("T1\tPER 0 4\tJean\nA1\tNegated T1\nA1\tNegated T1\n", text), 1,
               "doc.ann:3: Error: A1 is defined again (first on line 2).\n");
  EXPECT_FATAL(read("N1\tReference T1\n", text), 1,
               "doc.ann:1: Error: expected a normalisation: N1, a tab, a type, a text-bound "
               "annotation's id and a reference (as in Reference T1 Wikipedia:534366).\n");
  EXPECT_FATAL(read("T1\tPER 0 4\tJean\nA1\tNegated\n", text), 1,
               "doc.ann:2: Error: expected an attribute: A1, a tab, a name, an annotation's id "
               "and maybe a value (as in Negation T1, or Confidence T1 High).\n");
  EXPECT_FATAL(read("T1\tPER 0 4 5\tJean\n", text), 1,
               "doc.ann:1: Error: expected a text-bound annotation: T1, a tab, a type, its "
               "start and end offsets (as in Person 0 4, or Person 0 4;9 13 in fragments), a "
               "tab and its text; found \"T1\\0x09PER 0 4 5\\0x09Jean\".\n");
  EXPECT_FATAL(read("T1\tPER 99999999999 99999999999\tx\n", text), 1,
               "doc.ann:1: Error: expected a text-bound annotation: T1, a tab, a type, its "
               "start and end offsets (as in Person 0 4, or Person 0 4;9 13 in fragments), a "
               "tab and its text; found \"T1\\0x09PER 99999999999 99999999999\\0x09x\".\n");
}

}  // namespace
