// Loading the task description, calling its functions, and the vocabularies.
#include "description/lua_bridge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "description/vocabulary.h"
#include "support/test_support.h"

namespace {

class LuaBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_vocabularies();
    L = luaL_newstate();
  }
  void TearDown() override {
    lua_close(L);
    for (const std::string& f : files) {
      unlink(f.c_str());
    }
  }
  // Loads a description from a file, as the program does.
  void load(const std::string& text) {
    files.push_back(temp_file(text));
    load_lua_description(L, files.back().c_str());
  }
  std::string types() {
    std::string s;
    for (size_t i = 0; i < tag_names.size(); i++) {
      s += (i ? "," : "") + tag_names[i] + "=" + std::to_string(tag_names_map.at(tag_names[i]));
    }
    return s;
  }
  lua_State* L = nullptr;
  std::vector<std::string> files;
};

TEST_F(LuaBridge, TypesInOrderOfFirstAppearance) {
  load("function get_all_tags() return {'pers', 'loc', 'pers', 'org'} end");
  load_tag_list(L);
  EXPECT_EQ("pers=0,loc=1,org=2", types());
  EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(LuaBridge, ArrayEndsAtFirstHole) {
  load("function get_all_tags() return {'x', 'y', nil, 'z'} end");
  load_tag_list(L);
  EXPECT_EQ("x=0,y=1", types());
}

TEST_F(LuaBridge, NumbersNameTypesByTheirText) {
  load("function get_all_tags() return {'x', 3, 2.5} end");
  load_tag_list(L);
  EXPECT_EQ("x=0,3=1,2.5=2", types());
}

TEST_F(LuaBridge, EmptyArrayAndCaseSensitiveNames) {
  load("function get_all_tags() return {} end");
  load_tag_list(L);
  EXPECT_EQ("", types());
  reset_vocabularies();
  load("function get_all_tags() return {'Pers', 'pers'} end");
  load_tag_list(L);
  EXPECT_EQ("Pers=0,pers=1", types());
}

TEST_F(LuaBridge, RawAccessIgnoresMetamethods) {
  load(
      "function get_all_tags()\n"
      "  return setmetatable({'a'}, {__index = function(t, k) return 'ghost' end})\n"
      "end");
  load_tag_list(L);
  EXPECT_EQ("a=0", types());
}

TEST_F(LuaBridge, EmbeddedZeroBytesAreKept) {
  load("function get_all_tags() return {'a\\0b'} end");
  load_tag_list(L);
  ASSERT_EQ(1u, tag_names.size());
  EXPECT_EQ(std::string("a\0b", 3), tag_names[0]);
}

TEST_F(LuaBridge, TagListFaults) {
  struct {
    std::string script;
    std::string message;
  } cases[] = {
      {"function get_all_tags() return {'x', true} end",
       "Error in lua description: get_all_tags should return an array of type names and entry 2 "
       "is not a string.\n"},
      {"function get_all_tags() return 'pers' end",
       "Error in lua description: get_all_tags should return an array of type names.\n"},
      {"function get_all_tags() end",
       "Error in lua description: get_all_tags should return an array of type names.\n"},
      {"x = 1", "Error in lua description: function get_all_tags not found\n"},
      {"get_all_tags = 12", "Error in lua description: function get_all_tags not found\n"},
      {"function get_all_tags() error('boom') end",
       "Error calling get_all_tags: " + std::string("") + "FILE:1: boom\n"},
      {"function get_all_tags() error({}) end",
       "Error calling get_all_tags: (error object is a table value)\n"},
      {"function get_all_tags() error(nil) end",
       "Error calling get_all_tags: (error object is a nil value)\n"},
      {"function get_all_tags() error(42, 0) end", "Error calling get_all_tags: 42\n"},
      {"function get_all_tags()\n"
       "  error(setmetatable({}, {__tostring = function() return 'custom' end}))\n"
       "end",
       "Error calling get_all_tags: custom\n"},
      {"function get_all_tags()\n"
       "  error(setmetatable({}, {__tostring = function() error('again') end}))\n"
       "end",
       "Error calling get_all_tags: (error object is a table value)\n"},
  };
  for (auto& c : cases) {
    reset_vocabularies();
    lua_close(L);
    L = luaL_newstate();
    load(c.script);
    std::string expected = c.message;
    size_t at = expected.find("FILE");
    if (at != std::string::npos) {
      expected.replace(at, 4, files.back());
    }
    EXPECT_FATAL(load_tag_list(L), 1, expected);
  }
}

TEST_F(LuaBridge, LoadFaults) {
  EXPECT_FATAL(
      load_lua_description(L, "/nonexistent/descr.lua"), 1,
      "Error loading /nonexistent/descr.lua: cannot open /nonexistent/descr.lua: No such file or "
      "directory\n");
  std::string syntax = temp_file("function (");
  files.push_back(syntax);
  EXPECT_FATAL(load_lua_description(L, syntax.c_str()), 1,
               "Error loading " + syntax + ": " + syntax + ":1: <name> expected near '('\n");
  std::string raising = temp_file("local x = 1\nerror('top level')");
  files.push_back(raising);
  EXPECT_FATAL(load_lua_description(L, raising.c_str()), 1,
               "Error: " + raising + ":2: top level\n");
}

TEST_F(LuaBridge, FunctionsAreFetchedByNameEachTime) {
  load("n = 0\nfunction f() n = n + 1; function f() return 'second' end; return 'first' end");
  for (const char* expected : {"first", "second"}) {
    lua_get_global_function(L, "f");
    lua_do_call(L, "f", 0, 1);
    EXPECT_EQ(expected, lua_tocxxstring(L, 1));
    lua_settop(L, 0);
  }
}

TEST_F(LuaBridge, StringHelpers) {
  lua_pushcxxstring(L, std::string("a\0b", 3));
  EXPECT_EQ(std::string("a\0b", 3), lua_tocxxstring(L, -1));
  lua_pushboolean(L, 1);
  EXPECT_EQ("", lua_tocxxstring(L, -1));
  lua_pushinteger(L, 17);
  EXPECT_EQ("17", lua_tocxxstring(L, -1));
  lua_settop(L, 0);
}

TEST(Vocabulary, FindNeverAddsGetAddsAtTheEnd) {
  set_types({"pers", "loc"});
  EXPECT_EQ(-1, tag_find("org"));
  EXPECT_EQ(2u, tag_names.size());
  EXPECT_EQ(1, tag_find("loc"));
  EXPECT_EQ(-1, tag_find("Loc"));
  EXPECT_EQ(0, error_get("miss"));
  EXPECT_EQ(1, error_get("type"));
  EXPECT_EQ(0, error_get("miss"));
  EXPECT_EQ(2u, error_names.size());
  EXPECT_EQ(2, tag_get("org"));
  EXPECT_EQ("org", tag_names[2]);
}

}  // namespace
