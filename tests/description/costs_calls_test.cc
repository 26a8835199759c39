// Which cost calls are made, in which order, and where their answers go.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/escape.h"
#include "description/cost_fixture.h"
#include "description/costs.h"
#include "description/lua_bridge.h"
#include "entities/segments.h"
#include "model/vocabulary.h"
#include "support/test_support.h"

namespace {

// Logs every call as "m <entity>" or "s <ref> <hyp>", an entity shown as its
// type, r or h, spos-epos and value.
const char* const logging_description = R"(
calls = {}
local function show(e)
  return e.type .. (e.hyp and "h" or "r") .. e.spos .. "-" .. e.epos .. "'" .. e.value .. "'"
end
function get_miss_cost(e)
  calls[#calls + 1] = "m " .. show(e)
  return e.epos - e.spos
end
function get_substitution_cost(r, h)
  calls[#calls + 1] = "s " .. show(r) .. " " .. show(h)
  return 100 * r.spos + r.epos
end
)";

class CostCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    vocab.types = make_types({"pers", "loc", "org"});
    L = luaL_newstate();
    tables = std::make_unique<entity_tables>(L, vocab.types);
  }
  void TearDown() override {
    tables.reset();
    lua_close(L);
  }

  void load(const std::string& chunk) {
    luaL_openlibs(L);
    ASSERT_EQ(LUA_OK, luaL_loadstring(L, chunk.c_str()));
    ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 0, 0));
  }
  // The calls logged since the last look, one per line.
  std::string calls() {
    EXPECT_EQ(0, lua_gettop(L));
    EXPECT_EQ(LUA_OK,
              luaL_loadstring(L, "local s = table.concat(calls, '\\n') calls = {} return s"));
    EXPECT_EQ(LUA_OK, lua_pcall(L, 0, 1, 0));
    std::string s = lua_tostring(L, -1);
    lua_pop(L, 1);
    return s;
  }
  void miss(entity_set& set) {
    compute_entities_miss_costs(L, *tables, set, text, "ref.txt", vocab);
    EXPECT_EQ(0, lua_gettop(L));
  }
  // Cuts the segments of `ref` and `hyp`, then asks for the substitutions.
  void subst() {
    segs = segment_set();
    build_segments(segs, ref, hyp);
    compute_substitution_errors_costs(L, *tables, ref, hyp, segs, costs, text, "ref.txt", "hyp.txt",
                                      vocab);
    EXPECT_EQ(0, lua_gettop(L));
  }

  std::string miss_of(const entity_set& set, int32_t e) { return show_miss(set, e, vocab); }
  std::string subst_of(int32_t r, int32_t h) { return show_subst(costs, ref, r, h, vocab); }
  // How many hypothesis entities reference entity `r` has a table with.
  uint32_t partners(int32_t r) {
    return costs.ref_begin[size_t(r) + 1] - costs.ref_begin[size_t(r)];
  }

  const char* text = "abcdefghijklmnopqrstuvwxyz";
  vocabularies vocab;
  lua_State* L = nullptr;
  std::unique_ptr<entity_tables> tables;
  entity_set ref, hyp;
  segment_set segs;
  substitution_costs costs;
};

TEST_F(CostCalls, OneMissCallForAHypothesisEntity) {
  load(logging_description);
  add_entity(hyp, 0, {5}, {9}, true);
  miss(hyp);
  EXPECT_EQ("m persh5-9'fghi'", calls());
  EXPECT_EQ("4", miss_of(hyp, 0));
}

TEST_F(CostCalls, AlternativeBoundariesSkipEmptySpans) {
  load(logging_description);
  add_entity(ref, 1, {10, 12}, {12, 20}, false);
  miss(ref);
  EXPECT_EQ(
      "m locr10-12'kl'\n"
      "m locr10-20'klmnopqrst'\n"
      "m locr12-20'mnopqrst'",
      calls());
  EXPECT_EQ("2 10|- 8", miss_of(ref, 0));
}

TEST_F(CostCalls, MissCostOfMinusOneIsAsked) {
  load("function get_miss_cost(e) return -1 end");
  add_entity(ref, 0, {3, 4}, {4}, false);
  miss(ref);
  EXPECT_EQ("-1|-", miss_of(ref, 0));
  EXPECT_TRUE(ref.miss_record(ref[0], 0, 0).asked());
  EXPECT_FALSE(ref.miss_record(ref[0], 1, 0).asked());
}

TEST_F(CostCalls, MissAnswersAreStored) {
  load(R"(
function get_miss_cost(e)
  if e.spos == 0 then return end
  return 1, 'missed'
end)");
  add_entity(ref, 0, {0}, {2}, false);
  add_entity(ref, 0, {3}, {5}, false);
  miss(ref);
  EXPECT_EQ("0", miss_of(ref, 0));
  EXPECT_EQ("1:missed", miss_of(ref, 1));
  EXPECT_EQ(0, ref.miss_record(ref[0], 0, 0).errors);  // the empty list: a correct outcome
}

TEST_F(CostCalls, FunctionIsFetchedByNameBeforeEveryCall) {
  load(R"(
function get_miss_cost(e)
  function get_miss_cost(e) return 2, 'second' end
  return 1, 'first'
end)");
  add_entity(ref, 0, {0}, {1}, false);
  add_entity(ref, 0, {1}, {2}, false);
  miss(ref);
  EXPECT_EQ("1:first", miss_of(ref, 0));
  EXPECT_EQ("2:second", miss_of(ref, 1));
}

TEST_F(CostCalls, DescriptionLoadedFromAFile) {
  std::string fname = temp_file(std::string(logging_description) +
                                "function get_all_tags() return {'pers', 'loc', 'org'} end");
  load_lua_description(L, fname.c_str());
  unlink(fname.c_str());
  add_entity(hyp, 2, {0}, {3}, true);
  miss(hyp);
  EXPECT_EQ("m orgh0-3'abc'", calls());
}

TEST_F(CostCalls, ReferenceEndingWhereTheHypothesisStartsIsAsked) {
  // The segment that the reference's last end opens lists it: the two meet there.
  load(logging_description);
  add_entity(ref, 0, {10}, {20}, false);
  add_entity(hyp, 0, {20}, {25}, true);
  subst();
  EXPECT_EQ("s persr10-20'klmnopqrst' persh20-25'uvwxy'", calls());
  ASSERT_EQ(1u, partners(0));
  EXPECT_EQ("1020", subst_of(0, 0));
  EXPECT_EQ(1u, costs.records.size());
}

TEST_F(CostCalls, TableCreatedWithDefaultsWhenNoPairPasses) {
  // The hypothesis ends where the reference starts: the segment opened by
  // their common frontier concerns both, yet no span of the reference starts
  // before the hypothesis end.
  load(logging_description);
  add_entity(ref, 0, {5, 6}, {9, 12}, false);
  add_entity(hyp, 0, {0}, {5}, true);
  subst();
  EXPECT_EQ("", calls());
  ASSERT_EQ(1u, partners(0));
  EXPECT_EQ("- -|- -", subst_of(0, 0));
}

TEST_F(CostCalls, CandidatePairsAgainstTheHypothesisSpan) {
  load(logging_description);
  // Ends before the hypothesis start are skipped, so are starts at or after
  // its end and empty spans.
  add_entity(ref, 1, {0, 8, 10}, {5, 10, 12}, false);
  add_entity(hyp, 1, {6}, {10}, true);
  subst();
  EXPECT_EQ(
      "s locr0-10'abcdefghij' loch6-10'ghij'\n"
      "s locr0-12'abcdefghijkl' loch6-10'ghij'\n"
      "s locr8-10'ij' loch6-10'ghij'\n"
      "s locr8-12'ijkl' loch6-10'ghij'",
      calls());
  EXPECT_EQ("- 10 12|- 810 812|- - -", subst_of(0, 0));
}

TEST_F(CostCalls, OneQueryPerPairAcrossSegments) {
  load(logging_description);
  add_entity(ref, 0, {0}, {9}, false);
  add_entity(hyp, 0, {2}, {9}, true);
  add_entity(hyp, 1, {4}, {6}, true);
  subst();
  EXPECT_EQ(
      "s persr0-9'abcdefghi' persh2-9'cdefghi'\n"
      "s persr0-9'abcdefghi' loch4-6'ef'",
      calls());
  EXPECT_EQ(2u, partners(0));
}

TEST_F(CostCalls, SubstitutionAnswersAndErrorIds) {
  // Miss names come first, then substitution names, in call order.
  load(R"(
function get_miss_cost(e) return 1, (e.hyp and "H:" or "R:") .. e.type end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, {"zeta", "alpha", "R:" .. r.type}
end)");
  add_entity(ref, 0, {0}, {5}, false);
  add_entity(ref, 1, {6}, {9}, false);
  add_entity(hyp, 1, {4}, {9}, true);
  add_entity(hyp, 0, {0}, {5}, true);
  miss(ref);
  miss(hyp);
  subst();
  std::string names;
  for (const std::string& n : vocab.errors.names()) {
    names += n + " ";
  }
  EXPECT_EQ("R:pers R:loc H:loc H:pers zeta alpha ", names);
  EXPECT_EQ("1:R:pers", miss_of(ref, 0));
  EXPECT_EQ("1:H:pers", miss_of(hyp, 1));
  EXPECT_EQ("0", subst_of(0, 1));
  // hyp[0] overlaps ref[0] too: loc against pers, ids sorted ascending.
  EXPECT_EQ("0.5:R:pers,zeta,alpha", subst_of(0, 0));
  EXPECT_EQ("0", subst_of(1, 0));
  // ref[1] starts after hyp[1] has ended: they share no segment, no table.
  EXPECT_EQ("none", subst_of(1, 1));
  // Correct answers all name the empty list.
  EXPECT_EQ(0, costs.records[costs.find(0, 1)->records].errors);
  EXPECT_EQ(0, costs.records[costs.find(1, 0)->records].errors);
}

// Nested entities on both sides and a reference entity with two start and two
// end candidates; the frontiers 0 2 6 8 10 12 15 18 20 cut the segments.
TEST_F(CostCalls, ExactCallOrder) {
  load(logging_description);
  add_entity(ref, 2, {0}, {20}, false);
  add_entity(ref, 0, {2}, {8}, false, 1);
  add_entity(ref, 1, {10, 12}, {15, 18}, false, 1);
  add_entity(hyp, 2, {0}, {20}, true);
  add_entity(hyp, 0, {2}, {6}, true, 1);
  add_entity(hyp, 1, {12}, {18}, true, 1);

  miss(ref);
  miss(hyp);
  subst();
  EXPECT_EQ((std::vector<int32_t>{0, 2, 6, 8, 10, 12, 15, 18, 20}), segs.frontiers);
  EXPECT_EQ(
      "m orgr0-20'abcdefghijklmnopqrst'\n"
      "m persr2-8'cdefgh'\n"
      "m locr10-15'klmno'\n"
      "m locr10-18'klmnopqr'\n"
      "m locr12-15'mno'\n"
      "m locr12-18'mnopqr'\n"
      "m orgh0-20'abcdefghijklmnopqrst'\n"
      "m persh2-6'cdef'\n"
      "m loch12-18'mnopqr'\n"
      "s orgr0-20'abcdefghijklmnopqrst' orgh0-20'abcdefghijklmnopqrst'\n"
      "s persr2-8'cdefgh' orgh0-20'abcdefghijklmnopqrst'\n"
      "s orgr0-20'abcdefghijklmnopqrst' persh2-6'cdef'\n"
      "s persr2-8'cdefgh' persh2-6'cdef'\n"
      "s locr10-15'klmno' orgh0-20'abcdefghijklmnopqrst'\n"
      "s locr10-18'klmnopqr' orgh0-20'abcdefghijklmnopqrst'\n"
      "s locr12-15'mno' orgh0-20'abcdefghijklmnopqrst'\n"
      "s locr12-18'mnopqr' orgh0-20'abcdefghijklmnopqrst'\n"
      "s orgr0-20'abcdefghijklmnopqrst' loch12-18'mnopqr'\n"
      "s locr10-15'klmno' loch12-18'mnopqr'\n"
      "s locr10-18'klmnopqr' loch12-18'mnopqr'\n"
      "s locr12-15'mno' loch12-18'mnopqr'\n"
      "s locr12-18'mnopqr' loch12-18'mnopqr'",
      calls());
  EXPECT_EQ("1015 1018|1215 1218", subst_of(2, 2));
  EXPECT_EQ(3u, partners(0));
  EXPECT_EQ(2u, partners(1));
  EXPECT_EQ(2u, partners(2));
  EXPECT_EQ("5 8|3 6", miss_of(ref, 2));
}

TEST_F(CostCalls, NothingIsFetchedWhenNothingIsAsked) {
  // Neither function exists: fetching one would be a fault.
  load("");
  // An empty span, as no refined entity has: no miss to ask.
  entity_set unrefined;
  add_entity(unrefined, 0, {4}, {4}, false);
  miss(unrefined);
  EXPECT_EQ("-", miss_of(unrefined, 0));
  // The hypothesis ends where the reference starts: a table, no pair to ask.
  add_entity(ref, 0, {5}, {9}, false);
  add_entity(hyp, 0, {0}, {5}, true);
  subst();
  EXPECT_EQ("-", subst_of(0, 0));
}

// Each description breaks both cost functions the same way; the message names
// the function that was called.
TEST_F(CostCalls, FaultsNameTheFunction) {
  struct {
    const char* description;
    std::string miss_message;
    std::string subst_message;
  } cases[] = {
      {"get_substitution_cost = 5", "Error in lua description: function get_miss_cost not found\n",
       "Error in lua description: function get_substitution_cost not found\n"},
      {R"(
function get_miss_cost(e) error("no miss for " .. e.value, 0) end
function get_substitution_cost(r, h) error(42, 0) end)",
       "Error calling get_miss_cost: no miss for abcd\n",
       "Error calling get_substitution_cost: 42\n"},
      {R"(
function get_miss_cost(e) return 1, true end
function get_substitution_cost(r, h) return 1, {"a", "b", get_miss_cost} end)",
       "Error in lua description: get_miss_cost should return as a second paramter nothing, a "
       "string or an array of strings.",
       "Error in lua description: get_substitution_cost should return an array of error names and "
       "entry 3 is not a string.\n"},
  };
  for (const auto& c : cases) {
    ref = entity_set();
    hyp = entity_set();
    add_entity(ref, 0, {0}, {4}, false);
    add_entity(hyp, 0, {0}, {4}, true);
    load(c.description);
    EXPECT_FATAL(miss(ref), 1, c.miss_message);
    lua_settop(L, 0);
    EXPECT_FATAL(subst(), 1, c.subst_message);
    lua_settop(L, 0);
  }
}

// The "strict globals" idiom: reading an undefined global raises. The
// function is looked up in the protected call that builds the tables, so the
// description's fault is reported as one.
TEST_F(CostCalls, GuardedGlobalsFindNoCostFunction) {
  add_entity(ref, 0, {0}, {4}, false);
  add_entity(hyp, 0, {0}, {4}, true);
  load("setmetatable(_G, {__index = function(_, name) error('undefined ' .. name, 2) end})");
  EXPECT_FATAL(miss(ref), 1, "Error in lua description: function get_miss_cost not found\n");
  lua_settop(L, 0);
  EXPECT_FATAL(subst(), 1, "Error in lua description: function get_substitution_cost not found\n");
  lua_settop(L, 0);
  // A guard that hands back a function is followed.
  load(R"(
setmetatable(_G, {__index = function(_, name)
  return function(e) return 7, name .. ":" .. e.value end
end}))");
  miss(ref);
  EXPECT_EQ("7:get_miss_cost:abcd", miss_of(ref, 0));
  subst();
  EXPECT_EQ("7:get_substitution_cost:abcd", subst_of(0, 0));
}

// +inf is a cost like any other; NaN and -inf would break the search's
// comparisons and end the run, naming the entities.
TEST_F(CostCalls, NonFiniteCosts) {
  load(R"(
function get_miss_cost(e) return e.hyp and 0/0 or math.huge end
function get_substitution_cost(r, h) return -math.huge, "neg" end)");
  add_entity(ref, 0, {0}, {4}, false);
  add_entity(hyp, 0, {0}, {4}, true);
  miss(ref);
  EXPECT_EQ("inf", miss_of(ref, 0));
  EXPECT_FATAL(miss(hyp), 1,
               "Error in lua description: get_miss_cost returned a cost that is not a number "
               "(nan) for ref.txt:" +
                   std::to_string(hyp[0].line) + ".\n");
  lua_settop(L, 0);
  EXPECT_FATAL(subst(), 1,
               "Error in lua description: get_substitution_cost returned a cost of -inf for "
               "ref.txt:" +
                   std::to_string(ref[0].line) + " / hyp.txt:" + std::to_string(hyp[0].line) +
                   ".\n");
  lua_settop(L, 0);
}

// Long texts come back from a cache of Lua strings when pushed again: a
// reference entity with several candidates is asked about with many
// hypothesis entities, whose own long texts take the cache's places between
// two of its calls. Every table must still hold its own text.
TEST_F(CostCalls, LongTextsAreRightEveryTime) {
  const std::string long_text = varied_text(1600);
  text = long_text.c_str();
  load(R"(
calls = {}
local function show(e) return e.spos .. " " .. e.epos .. " " .. e.value end
function get_miss_cost(e)
  calls[#calls + 1] = show(e)
  return 1
end
function get_substitution_cost(r, h)
  calls[#calls + 1] = show(r)
  calls[#calls + 1] = show(h)
  return 1
end)");
  add_entity(ref, 0, {0, 10, 20}, {700, 710}, false);
  add_entity(ref, 1, {300, 305}, {1000, 1300}, false);
  for (int32_t i = 0; i < 24; i++) {
    add_entity(hyp, 1, {i * 50}, {i * 50 + 260 + i}, true);
  }
  miss(ref);
  miss(hyp);
  subst();
  // Each logged table's value against the text at its span.
  std::string log = calls() + "\n";
  int checked = 0;
  for (size_t at = 0, next; (next = log.find('\n', at)) != std::string::npos; at = next + 1) {
    const std::string line = log.substr(at, next - at);
    int spos = 0, epos = 0, n = 0;
    ASSERT_EQ(2, sscanf(line.c_str(), "%d %d%n", &spos, &epos, &n)) << line;
    EXPECT_EQ(escape_string(text + spos, epos - spos), line.substr(size_t(n) + 1)) << line;
    checked++;
  }
  // 6 + 4 miss calls of the references, 24 of the hypotheses, and two tables
  // per substitution call.
  EXPECT_GT(checked, 10 + 24 + 2 * 60);
}

}  // namespace
