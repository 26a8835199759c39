// Boundaries moved inwards past whitespace, impossible candidates pruned,
// equal candidates merged, and entities with nothing left rejected.
#include "entities/refine.h"

#include <string>
#include <vector>

#include "render.h"
#include "support/test_support.h"
#include "type_ids.h"

namespace {

void add(entity_set& set, const std::vector<int>& starts, const std::vector<int>& ends,
         int tagid = pers, int line = 1, int col = 0) {
  set.add(tagid, line, col, 0, false, starts, ends);
}

std::string refined(const name_table& types, const std::string& text,
                    const std::vector<int>& starts, const std::vector<int>& ends) {
  entity_set entities;
  add(entities, starts, ends);
  refine_entities(entities, text.c_str(), "ref.txt", types);
  return show_entities(entities, types);
}

class refine : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc"});
};

TEST_F(refine, boundaries_move_inwards) {
  struct {
    const char* text;
    std::vector<int> starts, ends;
    const char* expected;
  } cases[] = {
      {" Jean ", {0}, {6}, "pers[1:5]d0"},
      {"\nParis\r\n", {0}, {8}, "pers[1:6]d0"},
      {"a \t\r\n b", {0}, {7}, "pers[0:7]d0"},
      // A tab inside stays; form feed, vertical tab and high bytes are not whitespace.
      {"a\tb", {0}, {3}, "pers[0:3]d0"},
      {"\fab\v", {0}, {4}, "pers[0:4]d0"},
      {"\x80x\xa0", {0}, {3}, "pers[0:3]d0"},
      // Positions at both ends of the text.
      {"ab", {0}, {2}, "pers[0:2]d0"},
      {"  ab  ", {2}, {4}, "pers[2:4]d0"},
      // aref candidates: an equal start and end stay, impossible ones go.
      {"abcdefghijklmnopqrstuvwxyz", {10, 12}, {12, 20}, "pers[10,12:12,20]d0"},
      {"abcdefghijklmnopqrstuvwxyz", {10, 25}, {20}, "pers[10:20]d0"},
      {"abcdefghijklmnopqrstuvwxyz", {10}, {8, 20}, "pers[10:20]d0"},
      {"abcdefghijklmnopqrstuvwxyz", {5}, {2, 3, 5, 9}, "pers[5:9]d0"},
      {"abcdefghijklmnopqrstuvwxyz", {1, 7, 8, 9}, {7}, "pers[1:7]d0"},
      {"abcdefghijklmnopqrstuvwxyz", {1, 7}, {4, 7}, "pers[1:4,7]d0"},
      // A candidate moved past whitespace may land where another is, or be pruned.
      {"ab  cd  ef", {0, 2, 4}, {8, 10}, "pers[0,4:6,10]d0"},
      {"ab  cd  ef", {4}, {2, 6}, "pers[4:6]d0"},
      {"ab  cd", {0, 2}, {6}, "pers[0,4:6]d0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, refined(types, c.text, c.starts, c.ends)) << c.text;
  }
}

TEST_F(refine, equal_candidates_merge) {
  struct {
    const char* text;
    std::vector<int> starts, ends;
    const char* expected;
  } cases[] = {
      {"Le M. Jean Dupont dit", {3, 3, 6}, {17, 17}, "pers[3,6:17]d0"},
      // Two markers separated only by whitespace end up on one position.
      {"xx  Jean  yy", {2, 3, 4}, {8, 9, 10}, "pers[4:8]d0"},
      {"a b c", {0, 1, 2, 2}, {3, 4, 5}, "pers[0,2:3,5]d0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, refined(types, c.text, c.starts, c.ends)) << c.text;
  }
}

TEST_F(refine, empty_tags) {
  struct {
    const char* text;
    std::vector<int> starts, ends;
  } cases[] = {
      {"  x", {0}, {2}},        // two spaces before a letter
      {"abc", {1}, {1}},        // opening and closing at one position
      {"", {0}, {0}},           // empty text
      {" ab", {0}, {1}},        // the end over a leading space goes to 0
      {"a   ", {1}, {4}},       // the start runs to the end of the text
      {"  \n\t\r ", {0}, {6}},  // only whitespace
      {"abcdef", {4}, {2, 3, 4}},
      {"abcdef", {}, {3}},  // end markers but no start marker
      {"abcdef", {1}, {}},  // no end marker
      {"abcdef", {}, {}},
  };
  for (const auto& c : cases) {
    entity_set entities;
    add(entities, c.starts, c.ends, loc, 7, 3);
    EXPECT_FATAL(refine_entities(entities, c.text, "ref.txt", types), 1,
                 "ref.txt:7:3: Empty tag loc.\n");
  }
}

TEST_F(refine, first_rejected_entity_in_set_order) {
  entity_set entities;
  add(entities, {0}, {3});
  add(entities, {1}, {}, loc, 2, 0);
  add(entities, {}, {}, -1);
  add(entities, {3}, {3}, pers, 1, 9);
  EXPECT_FATAL(refine_entities(entities, "abcdef", "hyp.txt", types), 1,
               "hyp.txt:2:0: Empty tag loc.\n");

  // A slot no marker described is named by its id.
  entities = entity_set();
  add(entities, {0}, {3});
  add(entities, {}, {}, -1);
  add(entities, {3}, {3}, pers, 1, 9);
  EXPECT_FATAL(refine_entities(entities, "abcdef", "ref.aref", types), 1,
               "ref.aref: Empty tag: annotation id 1 is never used.\n");
}

TEST_F(refine, guarantees_hold_afterwards) {
  entity_set entities;
  add(entities, {0, 1, 1, 3, 5, 8}, {0, 2, 2, 4, 6, 6, 7});
  add(entities, {2}, {9});
  const std::string text = "a  b c d  ";
  refine_entities(entities, text.c_str(), "ref.txt", types);
  EXPECT_EQ("pers[0,3,5:1,4,6]d0 pers[3:8]d0", show_entities(entities, types));
}

TEST_F(refine, candidates_stay_apart_in_the_pool) {
  // The candidates of all entities share one pool; dropping and merging
  // candidates of one entity must leave its neighbours' untouched, including
  // when its first end candidates go.
  entity_set entities;
  add(entities, {4, 4}, {1, 2, 9, 9});
  add(entities, {0, 0}, {2, 2});
  add(entities, {1, 5, 9}, {3, 6});
  add(entities, {8}, {9}, loc);
  refine_entities(entities, "abcdefghij", "ref.txt", types);
  EXPECT_EQ("pers[4:9]d0 pers[0:2]d0 pers[1,5:3,6]d0 loc[8:9]d0", show_entities(entities, types));
}

}  // namespace
