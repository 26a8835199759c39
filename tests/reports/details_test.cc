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

// The entity's text and label as the listing shows them.
std::string shown(run_outcome& run, entity_id e, const char* data) {
  return shown_text(run.set_of(e), run[e], data, &run.result.chosen);
}
std::string label(run_outcome& run, entity_id e) {
  return type_label(run.set_of(e), run[e], run.vocab.types);
}

TEST(Details, SubstitutionThenDeletionWithMarkedCandidates) {
  const name_table types = make_types({"loc", "pers", "org"});
  const std::string data = "in Paris and the University of Paris.";
  run_outcome run(types);
  run.vocab.errors.get("type");
  run.vocab.errors.get("miss");
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id loc = add_entity(run, "loc", false, {3}, {8}, miss, 12);
  const entity_id pers = add_entity(run, "pers", true, {3}, {8}, miss, 12, {{"kind", "person"}});
  const entity_id org = add_entity(run, "org", false, {13, 17}, {36}, miss, 14);
  choose(run, loc, frontier_choice(0, 0));
  choose(run, org, frontier_choice(1, 0));
  add_segment(run, {}, {{loc, pers, add_record(run, 0.5, {"type"})}});
  add_segment(run, {org});
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
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r1 = add_entity(run, "pers", false, {0}, {11}, miss, 1);
  const entity_id h1 = add_entity(run, "pers", true, {0}, {11}, miss, 3);
  const entity_id r2 = add_entity(run, "loc", false, {21}, {26}, miss, 2);
  add_segment(run, {}, {{r1, h1, add_record(run, 0.125, {})}});
  add_segment(run, {r2});
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
  const entity_id r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
  const entity_id h = add_entity(run, "pers", true, {0}, {4}, make_record(run, 1, {"miss"}));
  add_segment(run, {}, {{r, h, add_record(run, 0, {})}});
  EXPECT_EQ("", details_of(run, data, false));
  EXPECT_EQ("", details_of(run_outcome(), data, true));
}

TEST(Details, UnpairedBeforePairingsWithinASegment) {
  const name_table types = make_types({"pers"});
  const std::string data = "ab cd";
  run_outcome run(types);
  const entity_id r = add_entity(run, "pers", false, {0}, {5}, make_record(run, 1, {"miss"}), 4);
  const entity_id h = add_entity(run, "pers", true, {0}, {2}, make_record(run, 1, {"miss"}), 5);
  // An insertion whose miss record names no error type: two blanks after the colon.
  const entity_id h2 = add_entity(run, "pers", true, {3}, {5}, make_record(run, 0, {}), 6);
  add_segment(run, {h2}, {{r, h, add_record(run, 0.5, {"boundary", "type"})}});
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
  const entity_id r = add_entity(run, "org", false, {0, 4}, {12}, make_record(run, 1, {"miss"}), 9);
  miss_of(run, r, 1, 0) = make_record(run, 0.25, {"partial"});
  choose(run, r, frontier_choice(1, 0));
  add_segment(run, {r});
  EXPECT_EQ(
      "D: miss (1): ref.aref:9\n"
      "D: ref: org - [the {Sorbonne}\n"
      "\n",
      details_of(run, data, false));
}

TEST(ErrorNamesText, NamesInListOrder) {
  run_outcome run;
  EXPECT_EQ("", error_names_text(make_record(run, 0, {}), run.vocab));
  EXPECT_EQ("miss", error_names_text(make_record(run, 1, {"miss"}), run.vocab));
  EXPECT_EQ("a b a", error_names_text(make_record(run, 1, {"a", "b", "a"}), run.vocab));
  EXPECT_EQ("b a", error_names_text(make_record(run, 1, {"b", "a"}), run.vocab));
}

TEST(ShowEntity, MarkedCandidates) {
  const name_table types = make_types({"pers"});
  const std::string data = "aaaaabbbbbccccc";
  const struct {
    std::vector<int32_t> start, end;
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
    const entity_id e = add_entity(run, "pers", false, c.start, c.end, make_record(run, 1, {}));
    if (c.has_choice) {
      choose(run, e, c.choice);
    }
    EXPECT_EQ(c.text, shown(run, e, data.c_str()));
  }
}

TEST(ShowEntity, TextIsEscapedMarkersIncluded) {
  const name_table types = make_types({"loc"});
  run_outcome run(types);
  const std::string data = "New\tYork  City\nX\r";
  const entity_id single = add_entity(run, "loc", true, {0}, {17}, make_record(run, 1, {}), 1,
                                      {{"a", "1"}, {"b", "x y"}});
  EXPECT_EQ("loc (a=1 b=x y)", label(run, single));
  EXPECT_EQ("New\\0x09York City\\nX\\0x0d", shown(run, single, data.c_str()));
  // The marker between two spaces breaks their run.
  const entity_id marked = add_entity(run, "loc", false, {0, 9}, {14}, make_record(run, 1, {}));
  EXPECT_EQ("loc", label(run, marked));
  EXPECT_EQ("{New\\0x09York [ City}", shown(run, marked, data.c_str()));
  // Each entity shows the attributes of its own run in the pool.
  const entity_id other =
      add_entity(run, "loc", true, {0}, {3}, make_record(run, 1, {}), 1, {{"c", ""}});
  EXPECT_EQ("loc (c=)", label(run, other));
  EXPECT_EQ("loc (a=1 b=x y)", label(run, single));
}

TEST(ShowEntity, HypothesisTextComesFromTheGivenText) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  const entity_id h = add_entity(run, "pers", true, {2}, {6}, make_record(run, 1, {}));
  EXPECT_EQ("Jean", shown(run, h, "  Jean  "));
}

}  // namespace
