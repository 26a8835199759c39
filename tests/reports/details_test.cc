// The detail report and its entity lines, byte for byte.
#include <gtest/gtest.h>

#include "description/vocabulary.h"
#include "driver/options.h"
#include "reports/hand_made.h"
#include "reports/reports.h"
#include "support/test_support.h"

namespace {

std::string details_of(const run_outcome& run, const std::string& data, bool with_corrects) {
  opt_details_correct = with_corrects;
  std::string out = capture_stdout(
      [&] { show_details(run.segments, data.c_str(), run.fm, "ref.aref", "hyp.txt"); });
  opt_details_correct = false;
  return out;
}

std::string entity_line(const entity& e, const std::string& data, char letter,
                        const frontier_choice_map& fm = {}) {
  return capture_stdout([&] { show_entity(e, data.c_str(), letter, fm); });
}

TEST(Details, SubstitutionThenDeletionWithMarkedCandidates) {
  set_types({"loc", "pers", "org"});
  error_get("type");
  error_get("miss");
  const std::string data = "in Paris and the University of Paris.";
  run_outcome run;
  error_d miss = make_record(1, {"miss"});
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
  set_types({"pers", "loc"});
  const std::string data = "Jean Dupont lives in Paris";
  run_outcome run;
  error_d miss = make_record(1, {"miss"});
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
  set_types({"pers"});
  const std::string data = "Jean";
  run_outcome run;
  entity& r = add_entity(run, "pers", false, {0}, {4}, make_record(1, {"miss"}));
  entity& h = add_entity(run, "pers", true, {0}, {4}, make_record(1, {"miss"}));
  add_segment(run, 0, 4, {}, {{&r, &h, add_record(run, 0, {})}});
  EXPECT_EQ("", details_of(run, data, false));
  EXPECT_EQ("", details_of(run_outcome(), data, true));
}

TEST(Details, UnpairedBeforePairingsWithinASegment) {
  set_types({"pers"});
  const std::string data = "ab cd";
  run_outcome run;
  entity& r = add_entity(run, "pers", false, {0}, {5}, make_record(1, {"miss"}), 4);
  entity& h = add_entity(run, "pers", true, {0}, {2}, make_record(1, {"miss"}), 5);
  // An insertion whose miss record names no error type: two blanks after the colon.
  entity& h2 = add_entity(run, "pers", true, {3}, {5}, make_record(0, {}), 6);
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
  set_types({"org"});
  const std::string data = "the Sorbonne";
  run_outcome run;
  entity& r = add_entity(run, "org", false, {0, 4}, {12}, make_record(1, {"miss"}), 9);
  r.miss_errors[1][0] = make_record(0.25, {"partial"});
  run.fm[&r] = frontier_choice(1, 0);
  add_segment(run, 0, 4, {&r});
  EXPECT_EQ(
      "D: miss (1): ref.aref:9\n"
      "D: ref: org - [the {Sorbonne}\n"
      "\n",
      details_of(run, data, false));
}

TEST(BuildErrorString, NamesInListOrder) {
  set_types({"pers"});
  EXPECT_EQ("", build_error_string(make_record(0, {})));
  EXPECT_EQ("miss", build_error_string(make_record(1, {"miss"})));
  EXPECT_EQ("a b a", build_error_string(make_record(1, {"a", "b", "a"})));
}

TEST(ShowEntity, MarkedCandidates) {
  set_types({"pers"});
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
    run_outcome run;
    entity& e = add_entity(run, "pers", false, c.start, c.end, make_record(1, {}));
    if (c.has_choice) {
      run.fm[&e] = c.choice;
    }
    EXPECT_EQ(std::string("D: ref: pers - ") + c.text + "\n", entity_line(e, data, 'D', run.fm))
        << c.text;
  }
}

TEST(ShowEntity, TextIsEscapedMarkersIncluded) {
  set_types({"loc"});
  run_outcome run;
  const std::string data = "New\tYork  City\nX\r";
  entity& single =
      add_entity(run, "loc", true, {0}, {17}, make_record(1, {}), 1, {{"a", "1"}, {"b", "x y"}});
  EXPECT_EQ("I: hyp: loc (a=1 b=x y) - New\\0x09York City\\nX\\0x0d\n",
            entity_line(single, data, 'I'));
  // The marker between two spaces breaks their run.
  entity& marked = add_entity(run, "loc", false, {0, 9}, {14}, make_record(1, {}));
  EXPECT_EQ("D: ref: loc - {New\\0x09York [ City}\n", entity_line(marked, data, 'D'));
}

TEST(ShowEntity, HypothesisTextComesFromTheGivenText) {
  set_types({"pers"});
  run_outcome run;
  entity& h = add_entity(run, "pers", true, {2}, {6}, make_record(1, {}));
  EXPECT_EQ("S: hyp: pers - Jean\n", entity_line(h, "  Jean  ", 'S'));
}

}  // namespace
