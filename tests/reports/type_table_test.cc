// The per-type table: its averages where they divide by zero, a type's
// names that differ, and the text as papers take it.
#include "reports/type_table.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

// Counts by hand: `per_type` holds (hypothesis, reference, correct) for each
// type of `types`.
outcome_counts counts_of(const std::vector<std::array<int, 3>>& per_type) {
  outcome_counts c;
  for (const auto& [h, r, k] : per_type) {
    c.hyp_per_type.push_back(h);
    c.ref_per_type.push_back(r);
    c.correct_per_type.push_back(k);
    c.correct_hyp_per_type.push_back(k);
    c.hypothesis_entities += h;
    c.reference_entities += r;
    c.corrects += k;
  }
  return c;
}

TEST(TypeTable, AveragesThatDivideByZeroAreNone) {
  // No entity at all: no row, and no average has a value.
  type_table empty = make_type_table(counts_of({{0, 0, 0}}), make_types({"PER"}));
  EXPECT_TRUE(empty.types.empty());
  EXPECT_FALSE(empty.micro.precision || empty.macro.recall || empty.weighted.f_measure);
  // Hypothesis entities only: the rows have values, the recall-side averages none.
  type_table spurious = make_type_table(counts_of({{2, 0, 0}}), make_types({"PER"}));
  ASSERT_EQ(1u, spurious.types.size());
  EXPECT_EQ(0.0, *spurious.types[0].recall);
  EXPECT_EQ(0.0, *spurious.micro.precision);
  EXPECT_FALSE(spurious.micro.recall);
  EXPECT_EQ(0.0, *spurious.macro.f_measure);
  EXPECT_FALSE(spurious.weighted.precision);
}

TEST(TypeTable, TypesByNameAndTheirAveragesAsSeqevalTakesThem) {
  // Declared Z, A, M; M has neither side's entities and has no row.
  const type_table t =
      make_type_table(counts_of({{4, 2, 1}, {1, 3, 1}, {0, 0, 0}}), make_types({"Z", "A", "M"}));
  ASSERT_EQ(2u, t.types.size());
  EXPECT_EQ("A", t.types[0].name);
  EXPECT_DOUBLE_EQ(1.0 / 3, *t.types[0].recall);
  EXPECT_DOUBLE_EQ((1.0 + 0.25) / 2, *t.macro.precision);
  EXPECT_DOUBLE_EQ((3 * (1.0 / 3) + 2 * 0.5) / 5, *t.weighted.recall);
  EXPECT_EQ(5, t.weighted.support);
  EXPECT_EQ(
      "type               P       R      F1  support      hyp  correct\n"
      "A             100.00   33.33   50.00        3        1        1\n"
      "Z              25.00   50.00   33.33        2        4        1\n"
      "\n"
      "micro avg      40.00   40.00   40.00        5        5        2\n"
      "macro avg      62.50   41.67   41.67        5        5        2\n"
      "weighted avg   70.00   40.00   43.33        5        5        2\n",
      capture([&](FILE* out) { print_type_table(out, t); }));
}

TEST(TypeTable, LongAndControlNamesAreEscapedAndTheColumnsFollowThem) {
  const type_table t = make_type_table(counts_of({{1, 1, 1}, {1, 1, 0}}),
                                       make_types({"a_rather_long_type_name", "b\x1b[2J"}));
  const std::string text = capture([&](FILE* out) { print_type_table(out, t); });
  EXPECT_NE(std::string::npos, text.find("a_rather_long_type_name  100.00")) << text;
  EXPECT_NE(std::string::npos, text.find("b\\0x1b[2J")) << text;
  EXPECT_EQ(std::string::npos, text.find('\x1b'));
}

}  // namespace
