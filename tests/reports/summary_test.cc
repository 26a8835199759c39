// The summary report, byte for byte.
#include <gtest/gtest.h>

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

}  // namespace
