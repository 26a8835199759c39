// The entity table handed to the description, and the reading of its answers.
#include "description/costs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "description/cost_fixture.h"
#include "model/vocabulary.h"
#include "support/test_support.h"

namespace {

// Sorted-key rendering of a table, so one comparison covers all its keys.
const char* const dump_chunk = R"(
function dump(t)
  local keys = {}
  for k in pairs(t) do keys[#keys + 1] = k end
  table.sort(keys)
  local out = {}
  for _, k in ipairs(keys) do
    local v, s = t[k], nil
    if type(v) == "table" then s = "{" .. dump(v) .. "}"
    elseif type(v) == "string" then s = string.format("%q", v)
    elseif type(v) == "number" and v ~= math.floor(v) then s = "fractional"
    else s = type(v) .. ":" .. tostring(v) end
    out[#out + 1] = k .. "=" .. s
  end
  return table.concat(out, " ")
end
)";

class CostsTable : public ::testing::Test {
 protected:
  void SetUp() override {
    vocab.types = make_types({"pers", "loc", std::string("o\0rg", 4)});
    L = luaL_newstate();
    luaL_openlibs(L);
    run(dump_chunk);
  }
  void TearDown() override { lua_close(L); }

  void run(const std::string& chunk) {
    ASSERT_EQ(LUA_OK, luaL_loadstring(L, chunk.c_str()));
    ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 0, 0));
  }
  // Pushes the entity table and renders it.
  std::string table_of(const entity& e, int sf, int ef, const char* data) {
    lua_pushentity(L, e, sf, ef, data, vocab.types);
    EXPECT_EQ(1, lua_gettop(L));
    lua_setglobal(L, "t");
    lua_getglobal(L, "dump");
    lua_getglobal(L, "t");
    EXPECT_EQ(LUA_OK, lua_pcall(L, 1, 1, 0));
    std::string s = lua_tostring(L, -1);
    lua_pop(L, 1);
    EXPECT_EQ(0, lua_gettop(L));
    return s;
  }
  // Reads the two values of `values` (a Lua expression list) as the answer of
  // a cost function.
  std::string answer(const std::string& values) {
    error_d err;
    err.cost = 99;
    err.error_types = {0};
    EXPECT_EQ(LUA_OK, luaL_loadstring(L, ("return " + values).c_str())) << values;
    EXPECT_EQ(LUA_OK, lua_pcall(L, 0, 2, 0)) << values;
    lua_load_error(L, err, "get_miss_cost", vocab.errors);
    EXPECT_EQ(2, lua_gettop(L)) << values;
    lua_settop(L, 0);
    return show(err);
  }
  std::string show(const error_d& e) { return ::show(e, vocab.errors); }

  vocabularies vocab;
  lua_State* L = nullptr;
};

TEST_F(CostsTable, KeysOfAHypothesisEntity) {
  const char* data = "0123Jean Dupont lives";
  entity e = make_entity(0, {4}, {15}, true);
  EXPECT_EQ("epos=number:15 hyp=boolean:true spos=number:4 type=\"pers\" value=\"Jean Dupont\"",
            table_of(e, 0, 0, data));
}

TEST_F(CostsTable, ChosenCandidatesOfAReferenceEntity) {
  const char* data = "abcdefghijklmnopqrstuvwxyz";
  entity e = make_entity(1, {10, 12}, {12, 20}, false);
  EXPECT_EQ("epos=number:20 hyp=boolean:false spos=number:12 type=\"loc\" value=\"mnopqrst\"",
            table_of(e, 1, 1, data));
  EXPECT_EQ("epos=number:12 hyp=boolean:false spos=number:10 type=\"loc\" value=\"kl\"",
            table_of(e, 0, 0, data));
}

TEST_F(CostsTable, TypeNameKeepsItsExactBytes) {
  entity e = make_entity(2, {0}, {1}, false);
  EXPECT_EQ("epos=number:1 hyp=boolean:false spos=number:0 type=\"o\\0rg\" value=\"x\"",
            table_of(e, 0, 0, "xy"));
}

TEST_F(CostsTable, ValueIsEscaped) {
  // Line feed, tab, a run of spaces, a carriage return, a high byte.
  const char* data = "_a\nb\tc   d\r\xc3\xa9_";
  entity e = make_entity(0, {1}, {13}, false);
  EXPECT_EQ(
      "epos=number:13 hyp=boolean:false spos=number:1 type=\"pers\" "
      "value=\"a\\\\nb\\\\0x09c d\\\\0x0d\xc3\xa9\"",
      table_of(e, 0, 0, data));
}

TEST_F(CostsTable, ValueStopsAtTheEntityEnd) {
  entity e = make_entity(0, {2}, {3}, true);
  EXPECT_EQ("epos=number:3 hyp=boolean:true spos=number:2 type=\"pers\" value=\"c\"",
            table_of(e, 0, 0, "abcdef"));
}

TEST_F(CostsTable, AttributesLastValueWinsAndBytesAreExact) {
  attr_list attr = {{"note", "1"}, {"kind", std::string("a\0b", 3)}, {"note", "2"}};
  entity e = make_entity(0, {0}, {2}, true, 0, attr);
  EXPECT_EQ(
      "attr={kind=\"a\\0b\" note=\"2\"} epos=number:2 hyp=boolean:true spos=number:0 "
      "type=\"pers\" value=\"ab\"",
      table_of(e, 0, 0, "abc"));
}

TEST_F(CostsTable, EmptyAttributeValueStillMakesAnAttrTable) {
  entity e = make_entity(0, {0}, {1}, false, 0, {{"x", ""}});
  EXPECT_EQ("attr={x=\"\"} epos=number:1 hyp=boolean:false spos=number:0 type=\"pers\" value=\"a\"",
            table_of(e, 0, 0, "a"));
}

TEST_F(CostsTable, SecondResultForms) {
  vocab.errors.get("a");  // seen before b in the run
  struct {
    const char* values;
    const char* expected;
  } cases[] = {
      {"", "0"},
      {"nil, nil", "0"},
      {"1, 'missed'", "1:missed"},
      {"'2.5'", "2.5"},
      {"' 0x10 '", "16"},
      {"'cheap', 'x'", "0:x"},
      {"{}, 'x'", "0:x"},
      {"true", "0"},
      {"-1", "-1"},  // a real cost, told apart by the asked flag
      {"-0.25, {}", "-0.25"},
      {"1, 42", "1:42"},
      {"1, 2.5", "1:2.5"},
      {"1, {'b', 'a', 'b'}", "1:a,b,b"},
      {"1, {'x', nil, 'y'}", "1:x"},
      {"1, {3, 'a'}", "1:a,3"},
      {"1, 'na\\0me'", "1:na"},
      {"1, {'p\\0q', 'p'}", "1:p,p"},
      {"1, ''", "1:"},
      {"0/0", "nan"},
      {"math.huge, 'inf'", "inf:inf"},
      {"-math.huge", "-inf"},
      {"1, setmetatable({}, {__index = function() return 'z' end})", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, answer(c.values)) << c.values;
  }
}

TEST_F(CostsTable, ExtraResultsAreDropped) {
  error_d err;
  run("function f() return 3, 'x', 'y', 'z' end");
  lua_getglobal(L, "f");
  ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 2, 0));
  lua_load_error(L, err, "get_miss_cost", vocab.errors);
  EXPECT_EQ("3:x", show(err));
  lua_settop(L, 0);
}

TEST_F(CostsTable, StackLeftAsFound) {
  error_d err;
  lua_pushinteger(L, 7);
  lua_pushnumber(L, 2.5);
  lua_load_error(L, err, "get_miss_cost", vocab.errors);
  ASSERT_EQ(2, lua_gettop(L));
  EXPECT_EQ(LUA_TNUMBER, lua_type(L, 1));
  EXPECT_EQ(LUA_TNUMBER, lua_type(L, 2));
  EXPECT_EQ("7:2.5", show(err));
  lua_settop(L, 0);
}

TEST_F(CostsTable, ErrorIdsInOrderOfFirstAppearance) {
  EXPECT_EQ("1:zeta", answer("1, 'zeta'"));
  EXPECT_EQ("1:zeta,mid,alpha", answer("1, {'mid', 'alpha', 'zeta'}"));
  ASSERT_EQ(3, vocab.errors.size());
  EXPECT_EQ("zeta", vocab.errors.name(0));
  EXPECT_EQ("mid", vocab.errors.name(1));
  EXPECT_EQ("alpha", vocab.errors.name(2));
}

TEST_F(CostsTable, SecondResultFaults) {
  const char* second =
      "Error in lua description: get_miss_cost should return as a second paramter nothing, a "
      "string or an array of strings.";
  const char* bad_second[] = {"1, true", "1, false", "1, print", "1, coroutine.create(print)"};
  for (const char* values : bad_second) {
    EXPECT_FATAL(answer(values), 1, second);
    lua_settop(L, 0);
  }
  EXPECT_FATAL(answer("1, {'a', true}"), 1,
               "Error in lua description: get_miss_cost should return an array of error names "
               "and entry 2 is not a string.\n");
  lua_settop(L, 0);
  EXPECT_FATAL(answer("1, {{}}"), 1,
               "Error in lua description: get_miss_cost should return an array of error names "
               "and entry 1 is not a string.\n");
  lua_settop(L, 0);
}

}  // namespace
