// The entity table handed to the description, and the reading of its answers.
#include "description/costs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/escape.h"
#include "description/cost_fixture.h"
#include "description/lua_bridge.h"
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
    tables = std::make_unique<entity_tables>(L, vocab.types);
  }
  void TearDown() override {
    tables.reset();
    lua_close(L);
  }

  void run(const std::string& chunk) {
    ASSERT_EQ(LUA_OK, luaL_loadstring(L, chunk.c_str()));
    ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 0, 0));
  }
  // Pushes the entity table and renders it.
  std::string table_of(const entity_set& set, int32_t e, int sf, int ef, const char* data) {
    tables->push(set, set[size_t(e)], sf, ef, data);
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
  // The value of the entity table, with its span checked.
  std::string value_of(const entity_set& set, int32_t e, int sf, int ef, const char* data) {
    const entity& x = set[size_t(e)];
    tables->push(set, x, sf, ef, data);
    EXPECT_EQ(1, lua_gettop(L));
    lua_getfield(L, 1, "spos");
    lua_getfield(L, 1, "epos");
    lua_getfield(L, 1, "value");
    EXPECT_EQ(set.start(x, sf), lua_tointegerx(L, 2, nullptr));
    EXPECT_EQ(set.end(x, ef), lua_tointegerx(L, 3, nullptr));
    std::string s = lua_tocxxstring(L, 4);
    lua_settop(L, 0);
    return s;
  }
  // Reads the two values of `values` (a Lua expression list) as the answer of
  // a cost function.
  cost_record answer_record(const std::string& values) {
    cost_record record;
    record.cost = 99;
    record.errors = 7;  // a stale list, which the answer replaces
    EXPECT_EQ(LUA_OK, luaL_loadstring(L, ("return " + values).c_str())) << values;
    EXPECT_EQ(LUA_OK, lua_pcall(L, 0, 2, 0)) << values;
    lua_load_error(L, record, "get_miss_cost", vocab);
    EXPECT_EQ(2, lua_gettop(L)) << values;
    lua_settop(L, 0);
    return record;
  }
  std::string answer(const std::string& values) { return show(answer_record(values)); }
  std::string show(const cost_record& record) { return ::show(record, vocab); }

  vocabularies vocab;
  lua_State* L = nullptr;
  std::unique_ptr<entity_tables> tables;
};

TEST_F(CostsTable, KeysOfAHypothesisEntity) {
  const char* data = "0123Jean Dupont lives";
  entity_set set;
  const int32_t e = add_entity(set, 0, {4}, {15}, true);
  EXPECT_EQ("epos=number:15 hyp=boolean:true spos=number:4 type=\"pers\" value=\"Jean Dupont\"",
            table_of(set, e, 0, 0, data));
}

TEST_F(CostsTable, ChosenCandidatesOfAReferenceEntity) {
  const char* data = "abcdefghijklmnopqrstuvwxyz";
  entity_set set;
  const int32_t e = add_entity(set, 1, {10, 12}, {12, 20}, false);
  EXPECT_EQ("epos=number:20 hyp=boolean:false spos=number:12 type=\"loc\" value=\"mnopqrst\"",
            table_of(set, e, 1, 1, data));
  EXPECT_EQ("epos=number:12 hyp=boolean:false spos=number:10 type=\"loc\" value=\"kl\"",
            table_of(set, e, 0, 0, data));
}

TEST_F(CostsTable, TypeNameKeepsItsExactBytes) {
  entity_set set;
  const int32_t e = add_entity(set, 2, {0}, {1}, false);
  EXPECT_EQ("epos=number:1 hyp=boolean:false spos=number:0 type=\"o\\0rg\" value=\"x\"",
            table_of(set, e, 0, 0, "xy"));
}

TEST_F(CostsTable, ValueIsEscaped) {
  // Line feed, tab, a run of spaces, a carriage return, a high byte.
  const char* data = "_a\nb\tc   d\r\xc3\xa9_";
  entity_set set;
  const int32_t e = add_entity(set, 0, {1}, {13}, false);
  EXPECT_EQ(
      "epos=number:13 hyp=boolean:false spos=number:1 type=\"pers\" "
      "value=\"a\\\\nb\\\\0x09c d\\\\0x0d\xc3\xa9\"",
      table_of(set, e, 0, 0, data));
}

TEST_F(CostsTable, ValueStopsAtTheEntityEnd) {
  entity_set set;
  const int32_t e = add_entity(set, 0, {2}, {3}, true);
  EXPECT_EQ("epos=number:3 hyp=boolean:true spos=number:2 type=\"pers\" value=\"c\"",
            table_of(set, e, 0, 0, "abcdef"));
}

TEST_F(CostsTable, AttributesLastValueWinsAndBytesAreExact) {
  attr_list attr = {{"note", "1"}, {"kind", std::string("a\0b", 3)}, {"note", "2"}};
  entity_set set;
  add_entity(set, 1, {0}, {1}, true, 0, {{"other", "entity"}});
  const int32_t e = add_entity(set, 0, {0}, {2}, true, 0, attr);
  EXPECT_EQ(
      "attr={kind=\"a\\0b\" note=\"2\"} epos=number:2 hyp=boolean:true spos=number:0 "
      "type=\"pers\" value=\"ab\"",
      table_of(set, e, 0, 0, "abc"));
}

TEST_F(CostsTable, EmptyAttributeValueStillMakesAnAttrTable) {
  entity_set set;
  const int32_t e = add_entity(set, 0, {0}, {1}, false, 0, {{"x", ""}});
  EXPECT_EQ("attr={x=\"\"} epos=number:1 hyp=boolean:false spos=number:0 type=\"pers\" value=\"a\"",
            table_of(set, e, 0, 0, "a"));
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
      {"-1", "-1"},  // a real cost, told apart by its error list
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
  cost_record record;
  run("function f() return 3, 'x', 'y', 'z' end");
  lua_getglobal(L, "f");
  ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 2, 0));
  lua_load_error(L, record, "get_miss_cost", vocab);
  EXPECT_EQ("3:x", show(record));
  lua_settop(L, 0);
}

TEST_F(CostsTable, StackLeftAsFound) {
  cost_record record;
  lua_pushinteger(L, 7);
  lua_pushnumber(L, 2.5);
  lua_load_error(L, record, "get_miss_cost", vocab);
  ASSERT_EQ(2, lua_gettop(L));
  EXPECT_EQ(LUA_TNUMBER, lua_type(L, 1));
  EXPECT_EQ(LUA_TNUMBER, lua_type(L, 2));
  EXPECT_EQ("7:2.5", show(record));
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

// Each list of error names is stored once in the vocabularies: records that
// name the same errors share its id, and the empty list is id 0.
TEST_F(CostsTable, ErrorListsAreInterned) {
  EXPECT_EQ(0, answer_record("").errors);
  EXPECT_EQ(0, answer_record("1, {}").errors);
  const int32_t a = answer_record("1, 'a'").errors;
  const int32_t ba = answer_record("2, {'b', 'a'}").errors;
  const int32_t aa = answer_record("1, {'a', 'a'}").errors;
  // New lists take the next ids, in order of first appearance.
  EXPECT_EQ(1, a);
  EXPECT_EQ(2, ba);
  EXPECT_EQ(3, aa);
  EXPECT_EQ(a, answer_record("5, {'a'}").errors);
  EXPECT_EQ(a, answer_record("0, 'a\\0z'").errors);
  EXPECT_EQ(ba, answer_record("1, {'a', 'b'}").errors);
  EXPECT_EQ(0, answer_record("7, nil").errors);
  // A list holds its error ids in the order stored: sorted ascending when
  // the answer is an array.
  const view<const int32_t> stored = vocab.error_lists.list(ba);
  ASSERT_EQ(2u, stored.size());
  EXPECT_EQ(vocab.errors.find("a"), stored[0]);
  EXPECT_EQ(vocab.errors.find("b"), stored[1]);
  EXPECT_EQ(2u, vocab.error_lists.list(aa).size());
  EXPECT_TRUE(vocab.error_lists.list(0).empty());
  EXPECT_EQ("3:a,a", show(answer_record("3, {'a', 'a'}")));
  // Longer lists too: twenty names, given backwards then forwards, name the
  // same errors and make one list.
  const cost_record backwards = answer_record(
      "(function() local t = {} for i = 20, 1, -1 do t[#t + 1] = 'n' .. i end return 1, t end)()");
  const cost_record forwards = answer_record(
      "(function() local t = {} for i = 1, 20 do t[#t + 1] = 'n' .. i end return 1, t end)()");
  EXPECT_EQ(backwards.errors, forwards.errors);
  EXPECT_EQ(20u, vocab.error_lists.list(forwards.errors).size());
  EXPECT_EQ("1:n20,n19,n18,n17,n16,n15,n14,n13,n12,n11,n10,n9,n8,n7,n6,n5,n4,n3,n2,n1",
            show(forwards));
}

// Texts of at least a few hundred bytes are kept as Lua strings and handed
// again when the same candidates of the same entity are pushed again; a
// small cache, whose places other long texts take. Every push must give the
// entity's own text, whatever came between.
TEST_F(CostsTable, LongTextsFromTheCache) {
  const std::string data = varied_text(1200);
  entity_set ref, hyp;
  add_entity(ref, 0, {0, 7}, {600, 640}, false);
  add_entity(ref, 1, {3}, {5}, false);
  // The first spans 0-256 where the reference entity of the same index
  // spans 0-600: entities of two sets are told apart.
  for (int32_t i = 0; i < 20; i++) {
    add_entity(hyp, 1, {i * 40}, {i * 40 + 256 + i}, true);
  }
  auto expected = [&](int from, int to) { return escape_string(data.c_str() + from, to - from); };
  const char* text = data.c_str();
  for (int round = 0; round < 3; round++) {
    for (int sf = 0; sf < 2; sf++) {
      for (int ef = 0; ef < 2; ef++) {
        EXPECT_EQ(expected(ref.start(ref[0], sf), ref.end(ref[0], ef)),
                  value_of(ref, 0, sf, ef, text))
            << round << " " << sf << " " << ef;
      }
    }
    EXPECT_EQ(expected(3, 5), value_of(ref, 1, 0, 0, text));
    // The hypothesis entities forwards, then backwards, then forwards.
    for (int32_t k = 0; k < 20; k++) {
      const int32_t i = round == 1 ? 19 - k : k;
      EXPECT_EQ(expected(i * 40, i * 40 + 256 + i), value_of(hyp, i, 0, 0, text))
          << round << " " << i;
      // The reference entity between two of them.
      EXPECT_EQ(expected(7, 640), value_of(ref, 0, 1, 1, text)) << round << " " << i;
    }
  }
  EXPECT_NE(std::string::npos, expected(0, 640).find("\\0x09"));  // some texts were escaped

  // An entity with many candidates: each pair has a text of its own, pushed
  // row by row, then column by column.
  std::vector<int32_t> starts, ends;
  for (int32_t k = 0; k < 20; k++) {
    starts.push_back(k);
    ends.push_back(600 + k);
  }
  const int32_t many = add_entity(ref, 0, starts, ends, false);
  for (int round = 0; round < 2; round++) {
    for (int a = 0; a < 20; a++) {
      for (int b = 0; b < 20; b++) {
        const int sf = round ? b : a;
        const int ef = round ? a : b;
        EXPECT_EQ(expected(sf, 600 + ef), value_of(ref, many, sf, ef, text))
            << round << " " << sf << " " << ef;
      }
    }
  }
}

// The function and its tables come from one call: the function first, then
// a table per entity.
TEST_F(CostsTable, PrepareCallPushesTheFunctionThenTheTables) {
  run(R"(
function get_miss_cost(e) return "miss " .. e.value end
function get_substitution_cost(r, h) return r.value .. "/" .. h.value end)");
  entity_set ref, hyp;
  add_entity(ref, 0, {0}, {2}, false);
  add_entity(hyp, 1, {2}, {4}, true);
  const entity_tables::table both[2] = {{&ref, &ref[0], 0, 0}, {&hyp, &hyp[0], 0, 0}};
  tables->prepare_call("get_substitution_cost", both, 2, "abcd");
  ASSERT_EQ(3, lua_gettop(L));
  EXPECT_EQ(LUA_TFUNCTION, lua_type(L, 1));
  ASSERT_EQ(LUA_OK, lua_pcall(L, 2, 1, 0));
  EXPECT_EQ("ab/cd", lua_tocxxstring(L, 1));
  lua_settop(L, 0);
  tables->prepare_call("get_miss_cost", both + 1, 1, "abcd");
  ASSERT_EQ(2, lua_gettop(L));
  ASSERT_EQ(LUA_OK, lua_pcall(L, 1, 1, 0));
  EXPECT_EQ("miss cd", lua_tocxxstring(L, 1));
  lua_settop(L, 0);
}

TEST_F(CostsTable, PrepareCallFindsNoFunction) {
  const char* message = "Error in lua description: function get_miss_cost not found\n";
  const char* scripts[] = {
      "",
      "get_miss_cost = 'get_miss_cost'",
      "get_miss_cost = {}",
      // Guarded globals: the lookup raises, with a string or any other value.
      "setmetatable(_G, {__index = function(_, name) error('undefined ' .. name, 2) end})",
      "setmetatable(_G, {__index = function() error({}) end})",
      "setmetatable(_G, {__index = function() return 42 end})",
  };
  entity_set ref;
  add_entity(ref, 0, {0}, {2}, false);
  const entity_tables::table t{&ref, &ref[0], 0, 0};
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    run(std::string("setmetatable(_G, nil) get_miss_cost = nil ") + script);
    EXPECT_FATAL(tables->prepare_call("get_miss_cost", &t, 1, "ab"), 1, message);
    lua_settop(L, 0);
  }
}

}  // namespace
