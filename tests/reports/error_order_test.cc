// The one order of error names that JSON and the page give.
#include "reports/error_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The names of `table` in error_order's order, joined by '|'.
std::string ordered(const std::vector<std::string>& names) {
  name_table table;
  for (const std::string& name : names) {
    table.get(name);
  }
  std::string out;
  for (int32_t id : error_order(table).ids()) {
    out += (out.empty() ? "" : "|") + table.name(id);
  }
  return out;
}

TEST(ErrorOrder, ByTheBytesOfTheNames) {
  const struct {
    std::vector<std::string> met;  // in the order the run met them
    const char* expected;
  } cases[] = {
      {{}, ""},
      {{"type", "boundary"}, "boundary|type"},
      {{"boundary", "type"}, "boundary|type"},
      // Capitals, digits and blanks come before small letters; a prefix
      // before what extends it.
      {{"type", "Type", "type 2", "2", " x", "typ"}, " x|2|Type|typ|type|type 2"},
      // Bytes from 0x80 up are past ASCII, not below it: no signed char.
      {{"\xC3\xA9", "z", "\xE6\x97\xA5", "\x7F"}, "z|\x7F|\xC3\xA9|\xE6\x97\xA5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ordered(c.met));
  }
}

// A byte that begins no UTF-8 sequence is written as U+FFFD (EF BF BD), and
// sorts so; two names written alike keep the order of their own bytes.
TEST(ErrorOrder, AsTheReportsWriteTheNames) {
  EXPECT_EQ("\xC3\xA9|\xC0", ordered({"\xC0", "\xC3\xA9"}));
  EXPECT_EQ("\xC0|\xF0", ordered({"\xF0", "\xC0"}));
  EXPECT_EQ("\xEF\xBF\xBD|\xFF", ordered({"\xFF", "\xEF\xBF\xBD"}));
  EXPECT_TRUE(error_name_before("a\xFF",
                                "a\xFF"
                                "b"));
  EXPECT_FALSE(error_name_before("x", "x"));
}

// An outcome's list, by ids of the run, sorted by name; repeats stay.
TEST(ErrorOrder, SortsAList) {
  name_table table;
  const int32_t type = table.get("type"), boundary = table.get("boundary"), a = table.get("a");
  const error_order order(table);
  const int32_t list[] = {type, boundary, type, a};
  std::vector<int32_t> out = {99};
  order.sort(view<const int32_t>(list, 4), out);
  EXPECT_EQ((std::vector<int32_t>{a, boundary, type, type}), out);
  order.sort(view<const int32_t>(), out);
  EXPECT_TRUE(out.empty());
}

}  // namespace
