// The summary report, byte for byte.
#include "reports/summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

// The counts the report shows are the sizes of the two entity sets.
std::string summary_of(const run_outcome& run, size_t count_ref, size_t count_hyp) {
  EXPECT_EQ(count_ref, run.ref.size());
  EXPECT_EQ(count_hyp, run.hyp.size());
  return summary_text(run);
}

TEST(Summary, WorkedExample) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ(
      "Slot Error Rate:  37.5% (1.5 4)\n"
      "\n"
      "     2  50.0% corrects\n"
      "     0   0.0% inserts\n"
      "     1  25.0% deletes\n"
      "     1  25.0% substitutions\n"
      "     2  50.0% total errors\n"
      "\n"
      " 66.7% overall precision (3 entities in hypothesis)\n"
      " 50.0% overall recall (4 entities in reference)\n"
      " 57.1% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n"
      "100.0%  66.7%  80.0% pers (hyp_count=2, ref_count=3, correct=2)\n"
      "  0.0%   0.0%   0.0% loc (hyp_count=1, ref_count=1, correct=0)\n",
      summary_of(run, 4, 3));
}

TEST(Summary, EmptyHypothesisPrintsTheFixedPrecisionLine) {
  const name_table types = make_types({"pers", "loc", "org"});
  run_outcome run(types);
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r1 = add_entity(run, "pers", false, {0}, {4}, miss);
  const entity_id r2 = add_entity(run, "pers", false, {5}, {9}, make_record(run, 0.25, {"miss"}));
  const entity_id r3 = add_entity(run, "org", false, {10}, {14}, miss);
  add_segment(run, {r1});
  add_segment(run, {r2});
  add_segment(run, {r3});
  // A type seen only in the reference shows P as 0.0; loc, seen nowhere, has no row.
  EXPECT_EQ(
      "Slot Error Rate:  75.0% (2.25 3)\n"
      "\n"
      "     0   0.0% corrects\n"
      "     0   0.0% inserts\n"
      "     3 100.0% deletes\n"
      "     0   0.0% substitutions\n"
      "     3 100.0% total errors\n"
      "\n"
      "   0.0% overall precision (0 entities in hypothesis)\n"
      "  0.0% overall recall (3 entities in reference)\n"
      "  0.0% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n"
      "  0.0%   0.0%   0.0% pers (hyp_count=0, ref_count=2, correct=0)\n"
      "  0.0%   0.0%   0.0% org (hyp_count=0, ref_count=1, correct=0)\n",
      summary_of(run, 3, 0));
}

TEST(Summary, TypeSeenOnlyInTheHypothesisAndShortCosts) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  const entity_id r = add_entity(run, "pers", false, {0}, {4}, make_record(run, 1, {"miss"}));
  const entity_id h = add_entity(run, "pers", true, {0}, {4}, make_record(run, 1, {"miss"}));
  const entity_id h2 = add_entity(run, "loc", true, {5}, {9}, make_record(run, 3, {"ins"}));
  add_segment(run, {}, {{r, h, add_record(run, 0, {})}});
  add_segment(run, {h2});
  EXPECT_EQ(
      "Slot Error Rate: 300.0% (3 1)\n"
      "\n"
      "     1 100.0% corrects\n"
      "     1 100.0% inserts\n"
      "     0   0.0% deletes\n"
      "     0   0.0% substitutions\n"
      "     1 100.0% total errors\n"
      "\n"
      " 50.0% overall precision (2 entities in hypothesis)\n"
      "100.0% overall recall (1 entities in reference)\n"
      " 66.7% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n"
      "100.0% 100.0% 100.0% pers (hyp_count=1, ref_count=1, correct=1)\n"
      "  0.0%   0.0%   0.0% loc (hyp_count=1, ref_count=0, correct=0)\n",
      summary_of(run, 1, 2));
}

TEST(Summary, SlotErrorSumInShortestForm) {
  const name_table types = make_types({"pers"});
  const struct {
    double cost;
    const char* first_line;
  } cases[] = {
      {0.25, "Slot Error Rate:  25.0% (0.25 1)\n"},
      {3, "Slot Error Rate: 300.0% (3 1)\n"},
      {1.0 / 3, "Slot Error Rate:  33.3% (0.333333 1)\n"},
      {1234567, "Slot Error Rate: 123456700.0% (1.23457e+06 1)\n"},
      {0, "Slot Error Rate:   0.0% (0 1)\n"},
  };
  for (const auto& c : cases) {
    run_outcome run(types);
    const entity_id r =
        add_entity(run, "pers", false, {0}, {4}, make_record(run, c.cost, {"miss"}));
    add_segment(run, {r});
    std::string out = summary_of(run, 1, 0);
    EXPECT_EQ(c.first_line, out.substr(0, out.find('\n') + 1)) << c.cost;
  }
}

// Without reference entities the divisions have no finite value; printf
// renders them and the report completes.
TEST(Summary, NoEntityAtAll) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  EXPECT_EQ(
      "Slot Error Rate:  -nan% (0 0)\n"
      "\n"
      "     0  -nan% corrects\n"
      "     0  -nan% inserts\n"
      "     0  -nan% deletes\n"
      "     0  -nan% substitutions\n"
      "     0  -nan% total errors\n"
      "\n"
      "   0.0% overall precision (0 entities in hypothesis)\n"
      " -nan% overall recall (0 entities in reference)\n"
      " -nan% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n",
      summary_of(run, 0, 0));
}

TEST(Summary, NoReferenceEntity) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  const entity_id h1 = add_entity(run, "pers", true, {0}, {4}, make_record(run, 1, {"ins"}));
  const entity_id h2 = add_entity(run, "pers", true, {5}, {9}, make_record(run, 0.5, {"ins"}));
  add_segment(run, {h1});
  add_segment(run, {h2});
  EXPECT_EQ(
      "Slot Error Rate:   inf% (1.5 0)\n"
      "\n"
      "     0  -nan% corrects\n"
      "     2   inf% inserts\n"
      "     0  -nan% deletes\n"
      "     0  -nan% substitutions\n"
      "     2   inf% total errors\n"
      "\n"
      "  0.0% overall precision (2 entities in hypothesis)\n"
      " -nan% overall recall (0 entities in reference)\n"
      "  0.0% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n"
      "  0.0%   0.0%   0.0% pers (hyp_count=2, ref_count=0, correct=0)\n",
      summary_of(run, 0, 2));
}

// A description may call a pairing of two types correct. Precision counts
// the corrects among the type's hypothesis entities, recall among its
// reference entities; a row shows both counts only where they differ.
TEST(Summary, CorrectsAcrossTypes) {
  run_outcome run;
  build_cross_type_example(run);
  EXPECT_EQ(
      "Slot Error Rate:  20.0% (1 5)\n"
      "\n"
      "     4  80.0% corrects\n"
      "     0   0.0% inserts\n"
      "     1  20.0% deletes\n"
      "     0   0.0% substitutions\n"
      "     1  20.0% total errors\n"
      "\n"
      "100.0% overall precision (4 entities in hypothesis)\n"
      " 80.0% overall recall (5 entities in reference)\n"
      " 88.9% overall F-measure\n"
      "\n"
      "   P      R      F   tag\n"
      "100.0% 100.0% 100.0% pers (hyp_count=1, ref_count=2, correct=1 of hyp, 2 of ref)\n"
      "100.0%  50.0%  66.7% loc (hyp_count=2, ref_count=2, correct=2 of hyp, 1 of ref)\n"
      "  0.0% 100.0%   0.0% org (hyp_count=0, ref_count=1, correct=0 of hyp, 1 of ref)\n"
      "100.0%   0.0%   0.0% misc (hyp_count=1, ref_count=0, correct=1 of hyp, 0 of ref)\n",
      summary_of(run, 5, 4));
}

TEST(Summary, HarmonicMean) {
  EXPECT_DOUBLE_EQ(80, harmonic_mean(100, 200.0 / 3));
  EXPECT_DOUBLE_EQ(0.5, harmonic_mean(0.5, 0.5));
  EXPECT_EQ(0, harmonic_mean(0, 100));
  EXPECT_EQ(0, harmonic_mean(0, 0));
}

// Whatever pairings a description calls correct, a type's corrects on each
// side are among its own entities of that side, and each side's add up to
// the corrects: no row passes 100%, and a row whose two counts agree has
// the F-measure of its counts.
TEST(Summary, NoTypePassesAHundredPercent) {
  const std::vector<std::string> names = {"a", "b", "c"};
  const name_table types = make_types(names);
  std::mt19937 rng(7);
  for (int round = 0; round < 300; round++) {
    run_outcome run(types);
    const cost_record miss = make_record(run, 1, {"miss"});
    const uint32_t correct = add_record(run, 0, {});
    const uint32_t wrong = add_record(run, 1, {"type"});
    const int32_t outcomes = static_cast<int32_t>(rng() % 8);
    for (int32_t at = 0; at < 2 * outcomes; at += 2) {
      const std::string& rt = names[rng() % 3];
      const std::string& ht = names[rng() % 3];
      switch (rng() % 4) {
        case 0:
        case 1:
          add_segment(
              run, {},
              {{add_entity(run, rt, false, {at}, {at + 1}, miss),
                add_entity(run, ht, true, {at}, {at + 1}, miss), rng() % 2 ? correct : wrong}});
          break;
        case 2:
          add_segment(run, {add_entity(run, rt, false, {at}, {at + 1}, miss)});
          break;
        default:
          add_segment(run, {add_entity(run, ht, true, {at}, {at + 1}, miss)});
      }
    }
    const outcome_counts c = count_outcomes(run.pair(""));
    int by_ref = 0, by_hyp = 0;
    for (size_t t = 0; t < names.size(); t++) {
      EXPECT_LE(c.correct_per_type[t], c.ref_per_type[t]);
      EXPECT_LE(c.correct_hyp_per_type[t], c.hyp_per_type[t]);
      by_ref += c.correct_per_type[t];
      by_hyp += c.correct_hyp_per_type[t];
    }
    EXPECT_EQ(c.corrects, by_ref);
    EXPECT_EQ(c.corrects, by_hyp);
    for (const type_row& row : summarize(c, types).rows) {
      EXPECT_LE(row.precision_pct, 100) << row.type << " in round " << round;
      EXPECT_LE(row.recall_pct, 100) << row.type << " in round " << round;
      EXPECT_LE(row.f_measure_pct, 100) << row.type << " in round " << round;
      EXPECT_LE(row.f_measure_pct, std::max(row.precision_pct, row.recall_pct) + 1e-9);
      if (!row.corrects_differ()) {
        EXPECT_EQ(200.0 * row.correct / (row.hypothesis_count + row.reference_count),
                  row.f_measure_pct);
      }
    }
  }
}

}  // namespace
