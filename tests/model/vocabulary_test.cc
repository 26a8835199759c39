// Name tables: dense ids in order of first appearance, exact byte names.
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <string>

#include "model/entity.h"

namespace {

TEST(NameTable, FindNeverAddsGetAddsAtTheEnd) {
  name_table types;
  EXPECT_EQ(0, types.get("pers"));
  EXPECT_EQ(1, types.get("loc"));
  EXPECT_EQ(-1, types.find("org"));
  EXPECT_EQ(2, types.size());
  EXPECT_EQ(1, types.find("loc"));
  EXPECT_EQ(0, types.get("pers"));
  EXPECT_EQ(2, types.get("org"));
  EXPECT_EQ("org", types.name(2));
  EXPECT_TRUE(types.has(2));
  EXPECT_FALSE(types.has(3));
  EXPECT_FALSE(types.has(-1));
}

TEST(NameTable, NamesAreExactBytes) {
  name_table t;
  EXPECT_EQ(0, t.get("Pers"));
  EXPECT_EQ(1, t.get("pers"));
  EXPECT_EQ(2, t.get(std::string("a\0b", 3)));
  EXPECT_EQ(3, t.get("a"));
  EXPECT_EQ(-1, t.find("pers "));
  EXPECT_EQ(std::string("a\0b", 3), t.name(2));
}

TEST(NameTable, TablesAreIndependent) {
  vocabularies one, two;
  one.types.get("pers");
  one.errors.get("miss");
  EXPECT_EQ(-1, two.types.find("pers"));
  EXPECT_EQ(0, two.errors.get("type"));
  EXPECT_EQ(0, one.errors.find("miss"));
  EXPECT_EQ(-1, one.errors.find("type"));
}

TEST(ErrorLists, EachListIsStoredOnce) {
  error_list_table lists;
  const int32_t a[] = {3}, ab[] = {1, 3}, ba[] = {3, 1}, abb[] = {1, 3, 3};
  EXPECT_EQ(0, lists.intern(nullptr, 0));  // the empty list: a correct outcome
  const int32_t one = lists.intern(a, 1);
  const int32_t two = lists.intern(ab, 2);
  EXPECT_NE(0, one);
  EXPECT_NE(one, two);
  EXPECT_EQ(one, lists.intern(a, 1));
  EXPECT_EQ(two, lists.intern(ab, 2));
  // Lists are kept as given: order and repeats make other lists.
  EXPECT_NE(two, lists.intern(ba, 2));
  EXPECT_NE(two, lists.intern(abb, 3));
  const view<const int32_t> l = lists.list(two);
  ASSERT_EQ(2u, l.size());
  EXPECT_EQ(1, l[0]);
  EXPECT_EQ(3, l[1]);
  EXPECT_TRUE(lists.list(0).empty());
  // A one-name list made through a longer path is found by the short one.
  error_list_table fresh;
  const int32_t seven[] = {7};
  const int32_t id = fresh.intern(seven, 1);
  EXPECT_EQ(id, fresh.intern(seven, 1));
  EXPECT_EQ(7, fresh.list(id)[0]);
}

TEST(EntitySet, CandidatesAndMissRecordsArePooled) {
  entity_set set;
  entity& a = set.add(0, 3, 1, 0, false, {0, 4}, {9});
  EXPECT_EQ(2u, a.nstarts);
  entity& b = set.add(1, 5, 0, 1, true, {10}, {12, 14});
  EXPECT_EQ(10, set.first_start(b));
  EXPECT_EQ(14, set.last_end(b));
  EXPECT_EQ(4, set.start(set[0], 1));
  EXPECT_EQ(9, set.last_end(set[0]));
  EXPECT_EQ(-1, set.parent(0));  // no links in this set
  set.miss.assign(4, cost_record());
  set[1].miss = 2;
  set.miss_record(set[1], 0, 1).cost = 2.5;
  EXPECT_EQ(2.5, set.miss[3].cost);
  EXPECT_FALSE(set.miss[0].asked());
}

}  // namespace
