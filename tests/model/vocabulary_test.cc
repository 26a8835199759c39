// Name tables: dense ids in order of first appearance, exact byte names.
#include "model/vocabulary.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
