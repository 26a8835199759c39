// The confusion counts and their table.
#include "reports/confusion.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "reports/hand_made.h"
#include "reports/text_report.h"
#include "support/test_support.h"

namespace {

std::string table_of(const run_outcome& run) {
  return capture(
      [&](FILE* out) { print_confusion(out, count_confusions(run.pair("")), run.vocab.types); });
}

TEST(Confusion, WorkedExampleCountsEveryOutcomeOnce) {
  run_outcome run;
  build_worked_example(run);
  const confusion_report c = count_confusions(run.pair(""));
  ASSERT_EQ(3u, c.cells.size());
  const int pers = run.vocab.types.find("pers"), loc = run.vocab.types.find("loc");
  EXPECT_EQ(pers, c.cells[0].ref_type);  // two corrects
  EXPECT_EQ(pers, c.cells[0].hyp_type);
  EXPECT_EQ(2, c.cells[0].count);
  EXPECT_EQ(pers, c.cells[1].ref_type);  // the substitution
  EXPECT_EQ(loc, c.cells[1].hyp_type);
  EXPECT_EQ(1, c.cells[1].count);
  EXPECT_EQ(loc, c.cells[2].ref_type);  // the deletion
  EXPECT_EQ(no_type, c.cells[2].hyp_type);
  EXPECT_EQ(
      "Confusion (rows: reference types, columns: hypothesis types)\n"
      "        pers  loc  (none)  total\n"
      "pers       2    1       0      3\n"
      "loc        0    0       1      1\n"
      "(none)     0    0       0      0\n"
      "total      2    1       1      4\n",
      table_of(run));
}

// A type with outcomes on one side only still has both its row and its
// column; a type with none has neither. Names are measured in characters,
// not bytes, and a count wider than its name widens its column.
TEST(Confusion, TableKeepsTheTypesInUseInTypeOrder) {
  run_outcome run(make_types({"PERSÖN", "org", "unused", "l"}));
  const cost_record miss = make_record(run, 1, {"miss"});
  std::vector<entity_id> inserted;
  for (int i = 0; i < 12; i++) {
    inserted.push_back(add_entity(run, "l", true, {10 * i}, {10 * i + 5}, miss));
  }
  const entity_id r = add_entity(run, "PERSÖN", false, {200}, {205}, miss);
  const entity_id h = add_entity(run, "org", true, {200}, {205}, miss);
  add_segment(run, inserted);
  add_segment(run, {}, {{r, h, add_record(run, 1, {"type"})}});
  EXPECT_EQ(
      "Confusion (rows: reference types, columns: hypothesis types)\n"
      "        PERSÖN  org   l  (none)  total\n"
      "PERSÖN       0    1   0       0      1\n"
      "org          0    0   0       0      0\n"
      "l            0    0   0       0      0\n"
      "(none)       0    0  12       0     12\n"
      "total        0    1  12       0     13\n",
      table_of(run));
}

TEST(Confusion, NoOutcomeLeavesTheNoneRowAndColumn) {
  run_outcome run(make_types({"pers"}));
  EXPECT_TRUE(count_confusions(run.pair("")).cells.empty());
  EXPECT_EQ(
      "Confusion (rows: reference types, columns: hypothesis types)\n"
      "        (none)  total\n"
      "(none)       0      0\n"
      "total        0      0\n",
      table_of(run));
}

// Past 32 types a table would grow with their square: the cells in use are
// listed, each name padded to 30 columns at most.
TEST(Confusion, ManyTypesAreListedByCell) {
  std::vector<std::string> names;
  for (int i = 0; i < 33; i++) {
    names.push_back("t" + std::to_string(i));
  }
  names[32] = std::string(40, 'L');
  run_outcome run(make_types(names));
  const cost_record miss = make_record(run, 1, {"miss"});
  std::vector<made_pairing> pairings;
  for (int i = 0; i < 32; i++) {
    const entity_id r = add_entity(run, names[i], false, {10 * i}, {10 * i + 5}, miss);
    const entity_id h = add_entity(run, names[i + 1], true, {10 * i}, {10 * i + 5}, miss);
    pairings.push_back({r, h, add_record(run, 1, {"type"})});
  }
  const entity_id alone = add_entity(run, names[32], false, {400}, {405}, miss);
  add_segment(run, {}, pairings);
  add_segment(run, {alone});
  const std::string table = table_of(run);
  EXPECT_EQ(
      "Confusion (33 types: the pairs of reference and hypothesis types that occur, in place of "
      "a table)\n"
      "reference                       hypothesis                      count\n"
      "t0                              t1                                  1\n",
      table.substr(0, table.find('\n', table.find("t0 ")) + 1));
  const std::string end = "t31                             " + names[32] + "      1\n" + names[32] +
                          "  (none)                              1\n" +
                          "total                                                              33\n";
  EXPECT_EQ(end, table.substr(table.size() - end.size()));
  EXPECT_EQ(36, std::count(table.begin(), table.end(), '\n'));
}

}  // namespace
