// Option parsing: the globals each option sets and the summary default.
#include "driver/options.h"

#include <getopt.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct parsed {
  std::vector<std::string> rest;
};

// Parses a command line (without the program name) and returns the words left.
parsed parse(std::vector<std::string> words) {
  words.insert(words.begin(), "orvane");
  std::vector<char*> argv;
  for (std::string& w : words) {
    argv.push_back(&w[0]);
  }
  argv.push_back(nullptr);
  optind = 0;  // a full reset of getopt's state between parses
  char** av = argv.data();
  options(static_cast<int>(words.size()), &av);
  parsed p;
  for (; *av; ++av) {
    p.rest.push_back(*av);
  }
  return p;
}

std::string flags() {
  std::string s;
  s += opt_summary ? 's' : '-';
  s += opt_details ? 'd' : '-';
  s += opt_details_correct ? 'c' : '-';
  s += opt_iag ? 'i' : '-';
  s += opt_ref_aref ? 'a' : '-';
  s += opt_open ? 'o' : '-';
  return s + std::to_string(opt_expected_count);
}

TEST(Options, FlagsAndDefaults) {
  struct {
    std::vector<std::string> words;
    std::string expected;
  } cases[] = {
      {{"d", "r", "h"}, "s-----0"},
      {{"-d", "d", "r", "h"}, "-d----0"},
      {{"-d", "-s", "d", "r", "h"}, "sd----0"},
      {{"-c", "d", "r", "h"}, "-dc---0"},
      {{"-a", "d", "r", "h"}, "s---a-0"},
      {{"-o", "d", "r", "h"}, "s----o0"},
      {{"-i", "10", "d", "r", "h"}, "---i--10"},
      {{"-i40", "d", "r", "h"}, "---i--40"},
      {{"-i", "abc", "d", "r", "h"}, "---i--0"},
      {{"-i", "7.9", "d", "r", "h"}, "---i--7"},
      {{"-i", "-3.5", "d", "r", "h"}, "---i---3"},
      {{"-i", "12xyz", "d", "r", "h"}, "---i--12"},
      {{"-i", "5", "-i", "9", "d", "r", "h"}, "---i--9"},
      {{"-i", "1e30", "d", "r", "h"}, "---i--2147483647"},
      {{"-i", "nan", "d", "r", "h"}, "---i--0"},
      {{"d", "r", "h", "-d"}, "-d----0"},
      {{"-sdca", "-i", "3", "-o", "d", "r", "h"}, "sdciao3"},
  };
  for (auto& c : cases) {
    parse(c.words);
    EXPECT_EQ(c.expected, flags()) << c.words[0];
  }
}

TEST(Options, LeavesTheFileNames) {
  EXPECT_EQ((std::vector<std::string>{"descr.lua", "ref", "hyp"}),
            parse({"-d", "descr.lua", "ref", "-s", "hyp"}).rest);
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), parse({"a", "b"}).rest);
}

TEST(Options, EveryParseStartsFromScratch) {
  parse({"-a", "-c", "-o", "-i", "4", "d", "r", "h"});
  parse({"d", "r", "h"});
  EXPECT_EQ("s-----0", flags());
}

}  // namespace
