// Which cost calls are made, in which order, and where their answers go.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "description/cost_fixture.h"
#include "description/costs.h"
#include "description/lua_bridge.h"
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
  }
  void TearDown() override { lua_close(L); }

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
  void miss(std::vector<entity>& entities) {
    compute_entities_miss_costs(L, entities, text, vocab);
    EXPECT_EQ(0, lua_gettop(L));
  }
  void subst(std::vector<segment>& segments) {
    compute_substitution_errors_costs(L, segments, text, vocab);
    EXPECT_EQ(0, lua_gettop(L));
  }

  std::string show(const error_d& e) { return ::show(e, vocab.errors); }
  std::string show(const cost_table& t) { return ::show(t, vocab.errors); }

  const char* text = "abcdefghijklmnopqrstuvwxyz";
  vocabularies vocab;
  lua_State* L = nullptr;
};

TEST_F(CostCalls, OneMissCallForAHypothesisEntity) {
  load(logging_description);
  std::vector<entity> hyp;
  hyp.push_back(make_entity(0, {5}, {9}, true));
  miss(hyp);
  EXPECT_EQ("m persh5-9'fghi'", calls());
  EXPECT_EQ("4", show(hyp[0].miss_errors));
}

TEST_F(CostCalls, AlternativeBoundariesSkipEmptySpans) {
  load(logging_description);
  std::vector<entity> ref;
  ref.push_back(make_entity(1, {10, 12}, {12, 20}, false));
  miss(ref);
  EXPECT_EQ(
      "m locr10-12'kl'\n"
      "m locr10-20'klmnopqrst'\n"
      "m locr12-20'mnopqrst'",
      calls());
  EXPECT_EQ("2 10|- 8", show(ref[0].miss_errors));
}

TEST_F(CostCalls, MissCostOfMinusOneIsAsked) {
  load("function get_miss_cost(e) return -1 end");
  std::vector<entity> ref;
  ref.push_back(make_entity(0, {3, 4}, {4}, false));
  miss(ref);
  EXPECT_EQ("-1|-", show(ref[0].miss_errors));
  EXPECT_TRUE(ref[0].miss_errors[0][0].asked);
  EXPECT_FALSE(ref[0].miss_errors[1][0].asked);
}

TEST_F(CostCalls, MissAnswersAreStored) {
  load(R"(
function get_miss_cost(e)
  if e.spos == 0 then return end
  return 1, 'missed'
end)");
  std::vector<entity> ref;
  ref.push_back(make_entity(0, {0}, {2}, false));
  ref.push_back(make_entity(0, {3}, {5}, false));
  miss(ref);
  EXPECT_EQ("0", show(ref[0].miss_errors));
  EXPECT_EQ("1:missed", show(ref[1].miss_errors));
}

TEST_F(CostCalls, FunctionIsFetchedByNameBeforeEveryCall) {
  load(R"(
function get_miss_cost(e)
  function get_miss_cost(e) return 2, 'second' end
  return 1, 'first'
end)");
  std::vector<entity> ref;
  ref.push_back(make_entity(0, {0}, {1}, false));
  ref.push_back(make_entity(0, {1}, {2}, false));
  miss(ref);
  EXPECT_EQ("1:first", show(ref[0].miss_errors));
  EXPECT_EQ("2:second", show(ref[1].miss_errors));
}

TEST_F(CostCalls, DescriptionLoadedFromAFile) {
  std::string fname = temp_file(std::string(logging_description) +
                                "function get_all_tags() return {'pers', 'loc', 'org'} end");
  load_lua_description(L, fname.c_str());
  unlink(fname.c_str());
  std::vector<entity> hyp;
  hyp.push_back(make_entity(2, {0}, {3}, true));
  miss(hyp);
  EXPECT_EQ("m orgh0-3'abc'", calls());
}

TEST_F(CostCalls, ReferenceEndingWhereTheHypothesisStartsIsAsked) {
  load(logging_description);
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {10}, {20}, false));
  hyp.push_back(make_entity(0, {20}, {25}, true));
  std::vector<segment> segs;
  segs.push_back(make_segment(10, 20, {&ref[0]}));
  segs.push_back(make_segment(20, 25, {&ref[0], &hyp[0]}));
  subst(segs);
  EXPECT_EQ("s persr10-20'klmnopqrst' persh20-25'uvwxy'", calls());
  ASSERT_EQ(1u, ref[0].subst_errors.size());
  EXPECT_EQ("1020", show(ref[0].subst_errors.at(&hyp[0])));
  EXPECT_TRUE(hyp[0].subst_errors.empty());
}

TEST_F(CostCalls, KeyCreatedWithDefaultsWhenNoPairPasses) {
  // The hypothesis ends where the reference starts: the segment opened by
  // their common frontier lists both, yet no span of the reference starts
  // before the hypothesis end.
  load(logging_description);
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {5, 6}, {9, 12}, false));
  hyp.push_back(make_entity(0, {0}, {5}, true));
  std::vector<segment> segs;
  segs.push_back(make_segment(5, 6, {&ref[0], &hyp[0]}));
  subst(segs);
  EXPECT_EQ("", calls());
  ASSERT_EQ(1u, ref[0].subst_errors.size());
  EXPECT_EQ("- -|- -", show(ref[0].subst_errors.at(&hyp[0])));
}

TEST_F(CostCalls, CandidatePairsAgainstTheHypothesisSpan) {
  load(logging_description);
  std::vector<entity> ref, hyp;
  // Ends before the hypothesis start are skipped, so are starts at or after
  // its end and empty spans.
  ref.push_back(make_entity(1, {0, 8, 10}, {5, 10, 12}, false));
  hyp.push_back(make_entity(1, {6}, {10}, true));
  std::vector<segment> segs;
  segs.push_back(make_segment(6, 8, {&ref[0], &hyp[0]}));
  subst(segs);
  EXPECT_EQ(
      "s locr0-10'abcdefghij' loch6-10'ghij'\n"
      "s locr0-12'abcdefghijkl' loch6-10'ghij'\n"
      "s locr8-10'ij' loch6-10'ghij'\n"
      "s locr8-12'ijkl' loch6-10'ghij'",
      calls());
  EXPECT_EQ("- 10 12|- 810 812|- - -", show(ref[0].subst_errors.at(&hyp[0])));
}

TEST_F(CostCalls, OneQueryPerPairAcrossSegments) {
  load(logging_description);
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {0}, {9}, false));
  hyp.push_back(make_entity(0, {2}, {9}, true));
  hyp.push_back(make_entity(1, {4}, {6}, true));
  std::vector<segment> segs;
  segs.push_back(make_segment(0, 2, {&ref[0]}));
  segs.push_back(make_segment(2, 4, {&ref[0], &hyp[0]}));
  segs.push_back(make_segment(4, 6, {&ref[0], &hyp[0], &hyp[1]}));
  segs.push_back(make_segment(6, 9, {&ref[0], &hyp[0], &hyp[1]}));
  subst(segs);
  EXPECT_EQ(
      "s persr0-9'abcdefghi' persh2-9'cdefghi'\n"
      "s persr0-9'abcdefghi' loch4-6'ef'",
      calls());
  EXPECT_EQ(2u, ref[0].subst_errors.size());
}

TEST_F(CostCalls, SubstitutionAnswersAndErrorIds) {
  // Miss names come first, then substitution names, in call order.
  load(R"(
function get_miss_cost(e) return 1, (e.hyp and "H:" or "R:") .. e.type end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, {"zeta", "alpha", "R:" .. r.type}
end)");
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {0}, {5}, false));
  ref.push_back(make_entity(1, {6}, {9}, false));
  hyp.push_back(make_entity(1, {4}, {9}, true));
  hyp.push_back(make_entity(0, {0}, {5}, true));
  miss(ref);
  miss(hyp);
  std::vector<segment> segs;
  segs.push_back(make_segment(0, 5, {&ref[0], &hyp[1]}));
  segs.push_back(make_segment(5, 6, {&ref[0], &hyp[1]}));
  segs.push_back(make_segment(6, 9, {&ref[0], &ref[1], &hyp[0], &hyp[1]}));
  subst(segs);
  std::string names;
  for (const std::string& n : vocab.errors.names()) {
    names += n + " ";
  }
  EXPECT_EQ("R:pers R:loc H:loc H:pers zeta alpha ", names);
  EXPECT_EQ("1:R:pers", show(ref[0].miss_errors));
  EXPECT_EQ("1:H:pers", show(hyp[1].miss_errors));
  EXPECT_EQ("0", show(ref[0].subst_errors.at(&hyp[1])));
  // hyp[0] overlaps ref[0] too: loc against pers, ids sorted ascending.
  EXPECT_EQ("0.5:R:pers,zeta,alpha", show(ref[0].subst_errors.at(&hyp[0])));
  EXPECT_EQ("0", show(ref[1].subst_errors.at(&hyp[0])));
  // ref[1] starts after hyp[1] ends: the key exists, nothing was asked.
  EXPECT_EQ("-", show(ref[1].subst_errors.at(&hyp[1])));
}

// Nested entities on both sides and a reference entity with two start and two
// end candidates; the segments are those the frontiers 0 2 6 8 10 12 15 18 20
// cut, with their entity lists.
TEST_F(CostCalls, ExactCallOrder) {
  load(logging_description);
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(2, {0}, {20}, false));
  ref.push_back(make_entity(0, {2}, {8}, false, 1));
  ref.push_back(make_entity(1, {10, 12}, {15, 18}, false, 1));
  hyp.push_back(make_entity(2, {0}, {20}, true));
  hyp.push_back(make_entity(0, {2}, {6}, true, 1));
  hyp.push_back(make_entity(1, {12}, {18}, true, 1));
  entity *r0 = &ref[0], *r1 = &ref[1], *r2 = &ref[2];
  entity *h0 = &hyp[0], *h1 = &hyp[1], *h2 = &hyp[2];
  std::vector<segment> segs;
  segs.push_back(make_segment(0, 2, {r0, h0}));
  segs.push_back(make_segment(2, 6, {r0, r1, h0, h1}));
  segs.push_back(make_segment(6, 8, {r0, r1, h0, h1}));
  segs.push_back(make_segment(8, 10, {r0, r1, h0}));
  segs.push_back(make_segment(10, 12, {r0, r2, h0}));
  segs.push_back(make_segment(12, 15, {r0, r2, h0, h2}));
  segs.push_back(make_segment(15, 18, {r0, r2, h0, h2}));
  segs.push_back(make_segment(18, 20, {r0, r2, h0, h2}));

  miss(ref);
  miss(hyp);
  subst(segs);
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
  EXPECT_EQ("1015 1018|1215 1218", show(r2->subst_errors.at(h2)));
  EXPECT_EQ(3u, r0->subst_errors.size());
  EXPECT_EQ(2u, r1->subst_errors.size());
  EXPECT_EQ(2u, r2->subst_errors.size());
  EXPECT_EQ("5 8|3 6", show(r2->miss_errors));
}

TEST_F(CostCalls, NothingIsFetchedWhenNothingIsAsked) {
  load("");
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {4}, {4}, false));
  hyp.push_back(make_entity(0, {0}, {2}, true));
  miss(ref);
  EXPECT_EQ("-", show(ref[0].miss_errors));
  std::vector<segment> segs;
  segs.push_back(make_segment(0, 2, {&hyp[0]}));
  segs.push_back(make_segment(2, 4, {&ref[0], &hyp[0]}));
  subst(segs);
  EXPECT_EQ("-", show(ref[0].subst_errors.at(&hyp[0])));
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
    std::vector<entity> ref, hyp;
    ref.push_back(make_entity(0, {0}, {4}, false));
    hyp.push_back(make_entity(0, {0}, {4}, true));
    std::vector<segment> segs;
    segs.push_back(make_segment(0, 4, {&ref[0], &hyp[0]}));
    load(c.description);
    EXPECT_FATAL(compute_entities_miss_costs(L, ref, text, vocab), 1, c.miss_message);
    lua_settop(L, 0);
    EXPECT_FATAL(compute_substitution_errors_costs(L, segs, text, vocab), 1, c.subst_message);
    lua_settop(L, 0);
  }
}

TEST_F(CostCalls, NonFiniteCostsAreKept) {
  load(R"(
function get_miss_cost(e) return e.hyp and 0/0 or math.huge end
function get_substitution_cost(r, h) return -math.huge, "neg" end)");
  std::vector<entity> ref, hyp;
  ref.push_back(make_entity(0, {0}, {4}, false));
  hyp.push_back(make_entity(0, {0}, {4}, true));
  miss(ref);
  miss(hyp);
  std::vector<segment> segs;
  segs.push_back(make_segment(0, 4, {&ref[0], &hyp[0]}));
  subst(segs);
  EXPECT_EQ("inf", show(ref[0].miss_errors));
  EXPECT_TRUE(std::isnan(hyp[0].miss_errors[0][0].cost));
  EXPECT_TRUE(hyp[0].miss_errors[0][0].asked);
  EXPECT_EQ("-inf:neg", show(ref[0].subst_errors.at(&hyp[0])));
}

}  // namespace
