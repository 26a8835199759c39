// The set of small integers the search and the cost passes keep their live
// entities in: ordered iteration across its summary levels.
#include "base/index_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

std::vector<size_t> members(const index_set& s) {
  std::vector<size_t> out;
  s.for_each([&](size_t i) { out.push_back(i); });
  return out;
}

TEST(IndexSet, InsertEraseInOrder) {
  index_set s(200);
  EXPECT_TRUE(members(s).empty());
  for (size_t i : {130u, 3u, 64u, 63u, 199u, 0u}) {
    s.insert(i);
  }
  EXPECT_EQ((std::vector<size_t>{0, 3, 63, 64, 130, 199}), members(s));
  s.erase(64);
  s.erase(0);
  s.insert(3);  // already there
  EXPECT_EQ((std::vector<size_t>{3, 63, 130, 199}), members(s));
  EXPECT_TRUE(s.contains(130));
  EXPECT_FALSE(s.contains(64));
  EXPECT_EQ(130u, s.next(64));
  EXPECT_EQ(SIZE_MAX, s.next(200));
}

TEST(IndexSet, SmallAndEmptyRanges) {
  index_set none(0);
  EXPECT_TRUE(members(none).empty());
  index_set one(1);
  one.insert(0);
  EXPECT_EQ((std::vector<size_t>{0}), members(one));
  one.erase(0);
  EXPECT_TRUE(members(one).empty());
}

TEST(IndexSet, AgreesWithAnOrderedSetOverSeveralLevels) {
  // 300 000 members need three levels of summary words.
  const size_t n = 300000;
  index_set s(n);
  std::set<size_t> model;
  std::mt19937 rng(5);
  for (int round = 0; round < 20000; round++) {
    size_t i = rng() % n;
    if (rng() % 3 == 0) {
      s.erase(i);
      model.erase(i);
    } else {
      s.insert(i);
      model.insert(i);
    }
    if (round % 4000 == 0) {
      EXPECT_EQ(std::vector<size_t>(model.begin(), model.end()), members(s));
    }
  }
  EXPECT_EQ(std::vector<size_t>(model.begin(), model.end()), members(s));
  // Erasing while iterating, as the live sets do.
  s.for_each([&](size_t i) { s.erase(i); });
  EXPECT_TRUE(members(s).empty());
}

}  // namespace
