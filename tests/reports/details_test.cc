// The detail report byte for byte, and the texts it shows for entities.
#include <gtest/gtest.h>

#include "model/vocabulary.h"
#include "reports/entity_text.h"
#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

std::string details_of(const run_outcome& run, const std::string& data, bool with_corrects) {
  return details_text(run, data, with_corrects);
}

TEST(Details, SubstitutionThenDeletionWithMarkedCandidates) {
  const name_table types = make_types({"loc", "pers", "org"});
  const std::string data = "in Paris and the University of Paris.";
  run_outcome run(types);
  run.vocab.errors.get("type");
  run.vocab.errors.get("miss");
  error_d miss = make_record(run, 1, {"miss"});
  entity& loc = add_entity(run, "loc", false, {3}, {8}, miss, 12);
  entity& pers = add_entity(run, "pers", true, {3}, {8}, miss, 12, {{"kind", "person"}});
  entity& org = add_entity(run, "org", false, {13, 17}, {36}, miss, 14);
  run.fm[&loc] = frontier_choice(0, 0);
  run.fm[&org] = frontier_choice(1, 0);
  add_segment(run, 3, 8, {}, {{&loc, &pers, add_record(run, 0.5, {"type"})}});
  add_segment(run, 13, 17, {&org});
  EXPECT_EQ(
      "S: type (0.5): ref.aref:12 hyp.txt:12\n"
      "S: ref: loc - Paris\n"
      "S: hyp: pers (kind=person) - Paris\n"
      "\n"
      "D: miss (1): ref.aref:14\n"
      "D: ref: org - [the {University of Paris}\n"
      "\n",
      details_of(run, data, false));
}

TEST(Details, CorrectsOnlyWithTheFlag) {
  const name_table types = make_types({"pers", "loc"});
  const std::string data = "Jean Dupont lives in Paris";
  run_outcome run(types);
  error_d miss = make_record(run, 1, {"miss"});
  entity& r1 = add_entity(run, "pers", false, {0}, {11}, miss, 1);
  entity& h1 = add_entity(run, "pers", true, {0}, {11}, miss, 3);
  entity& r2 = add_entity(run, "loc", false, {21}, {26}, miss, 2);
  add_segment(run, 0, 11, {}, {{&r1, &h1, add_record(run, 0.125, {})}});
  add_segment(run, 21, 26, {&r2});
  const std::string deletion =
      "D: miss (1): ref.aref:2\n"
      "D: ref: loc - Paris\n"
      "\n";
  EXPECT_EQ(deletion, details_of(run, data, false));
  EXPECT_EQ(
      "C: correct (0.125): ref.aref:1 hyp.txt:3\n"
      "C: ref: pers - Jean Dupont\n"
      "C: hyp: pers - Jean Dupont\n"
      "\n" +
          deletion,
      details_of(run, data, true));
}

TEST(Details, NothingToListPrintsNothing) {
  const name_table types = make_types({"pers"});
  const std::string data = "Jean";
  run_outcome run(types);
  entity& r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
  entity& h = add_entity(run, "pers", true, {0}, {4}, make_record(run, 1, {"miss"}));
  add_segment(run, 0, 4, {}, {{&r, &h, add_record(run, 0, {})}});
  EXPECT_EQ("", details_of(run, data, false));
  EXPECT_EQ("", details_of(run_outcome(), data, true));
}

TEST(Details, UnpairedBeforePairingsWithinASegment) {
  const name_table types = make_types({"pers"});
  const std::string data = "ab cd";
  run_outcome run(types);
  entity& r = add_entity(run, "pers", false, {0}, {5}, make_record(run, 1, {"miss"}), 4);
  entity& h = add_entity(run, "pers", true, {0}, {2}, make_record(run, 1, {"miss"}), 5);
  // An insertion whose miss record names no error type: two blanks after the colon.
  entity& h2 = add_entity(run, "pers", true, {3}, {5}, make_record(run, 0, {}), 6);
  add_segment(run, 0, 2, {&h2}, {{&r, &h, add_record(run, 0.5, {"boundary", "type"})}});
  EXPECT_EQ(
      "I:  (0): hyp.txt:6\n"
      "I: hyp: pers - cd\n"
      "\n"
      "S: boundary type (0.5): ref.aref:4 hyp.txt:5\n"
      "S: ref: pers - ab cd\n"
      "S: hyp: pers - ab\n"
      "\n",
      details_of(run, data, false));
}

TEST(Details, DeletionShowsTheFirstMissRecordWhateverWasChosen) {
  const name_table types = make_types({"org"});
  const std::string data = "the Sorbonne";
  run_outcome run(types);
  entity& r = add_entity(run, "org", false, {0, 4}, {12}, make_record(run, 1, {"miss"}), 9);
  r.miss_errors[1][0] = make_record(run, 0.25, {"partial"});
  run.fm[&r] = frontier_choice(1, 0);
  add_segment(run, 0, 4, {&r});
  EXPECT_EQ(
      "D: miss (1): ref.aref:9\n"
      "D: ref: org - [the {Sorbonne}\n"
      "\n",
      details_of(run, data, false));
}

TEST(ErrorNamesText, NamesInListOrder) {
  run_outcome run;
  const name_table& errors = run.vocab.errors;
  EXPECT_EQ("", error_names_text(make_record(run, 0, {}), errors));
  EXPECT_EQ("miss", error_names_text(make_record(run, 1, {"miss"}), errors));
  EXPECT_EQ("a b a", error_names_text(make_record(run, 1, {"a", "b", "a"}), errors));
}

TEST(ShowEntity, MarkedCandidates) {
  const name_table types = make_types({"pers"});
  const std::string data = "aaaaabbbbbccccc";
  const struct {
    std::vector<int> start, end;
    bool has_choice;
    frontier_choice choice;
    const char* text;
  } cases[] = {
      // One position that carries an end and a start: the end marker comes first.
      {{0, 5}, {5, 10}, true, {1, 1}, "[aaaaa]{bbbbb}"},
      {{0, 5}, {5, 10}, true, {0, 0}, "{aaaaa}[bbbbb]"},
      {{0, 5}, {5, 10}, true, {0, 1}, "{aaaaa][bbbbb}"},
      // Without a choice: first start, last end.
      {{0, 5}, {5, 10}, false, {}, "{aaaaa][bbbbb}"},
      {{0, 5}, {15}, false, {}, "{aaaaa[bbbbbccccc}"},
      {{0}, {5, 10, 15}, true, {0, 1}, "{aaaaa]bbbbb}ccccc]"},
      {{0, 5, 10}, {15}, true, {2, 0}, "[aaaaa[bbbbb{ccccc}"},
  };
  for (const auto& c : cases) {
    run_outcome run(types);
    entity& e = add_entity(run, "pers", false, c.start, c.end, make_record(run, 1, {}));
    if (c.has_choice) {
      run.fm[&e] = c.choice;
    }
    EXPECT_EQ(c.text, shown_text(e, data.c_str(), run.fm));
  }
}

TEST(ShowEntity, TextIsEscapedMarkersIncluded) {
  const name_table types = make_types({"loc"});
  run_outcome run(types);
  const std::string data = "New\tYork  City\nX\r";
  entity& single = add_entity(run, "loc", true, {0}, {17}, make_record(run, 1, {}), 1,
                              {{"a", "1"}, {"b", "x y"}});
  EXPECT_EQ("loc (a=1 b=x y)", type_label(single, run.vocab.types));
  EXPECT_EQ("New\\0x09York City\\nX\\0x0d", shown_text(single, data.c_str(), run.fm));
  // The marker between two spaces breaks their run.
  entity& marked = add_entity(run, "loc", false, {0, 9}, {14}, make_record(run, 1, {}));
  EXPECT_EQ("loc", type_label(marked, run.vocab.types));
  EXPECT_EQ("{New\\0x09York [ City}", shown_text(marked, data.c_str(), run.fm));
}

TEST(ShowEntity, HypothesisTextComesFromTheGivenText) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  entity& h = add_entity(run, "pers", true, {2}, {6}, make_record(run, 1, {}));
  EXPECT_EQ("Jean", shown_text(h, "  Jean  ", run.fm));
}

}  // namespace
