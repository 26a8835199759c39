// Loading the task description, calling its functions, and the vocabularies.
#include "description/lua_bridge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "description/costs.h"
#include "support/test_support.h"

namespace {

class LuaBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    vocab = vocabularies();
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
    for (int i = 0; i < vocab.types.size(); i++) {
      const std::string& name = vocab.types.name(i);
      s += (i ? "," : "") + name + "=" + std::to_string(vocab.types.find(name));
    }
    return s;
  }
  vocabularies vocab;
  lua_State* L = nullptr;
  std::vector<std::string> files;
};

TEST_F(LuaBridge, TypesInOrderOfFirstAppearance) {
  load("function get_all_tags() return {'pers', 'loc', 'pers', 'org'} end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("pers=0,loc=1,org=2", types());
  EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(LuaBridge, ArrayEndsAtFirstHole) {
  load("function get_all_tags() return {'x', 'y', nil, 'z'} end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("x=0,y=1", types());
}

TEST_F(LuaBridge, NumbersNameTypesByTheirText) {
  load("function get_all_tags() return {'x', 3, 2.5} end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("x=0,3=1,2.5=2", types());
}

TEST_F(LuaBridge, EmptyArrayAndCaseSensitiveNames) {
  load("function get_all_tags() return {} end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("", types());
  vocab = vocabularies();
  load("function get_all_tags() return {'Pers', 'pers'} end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("Pers=0,pers=1", types());
}

TEST_F(LuaBridge, RawAccessIgnoresMetamethods) {
  load(
      "function get_all_tags()\n"
      "  return setmetatable({'a'}, {__index = function(t, k) return 'ghost' end})\n"
      "end");
  load_tag_list(L, vocab.types);
  EXPECT_EQ("a=0", types());
}

TEST_F(LuaBridge, EmbeddedZeroBytesAreKept) {
  load("function get_all_tags() return {'a\\0b'} end");
  load_tag_list(L, vocab.types);
  ASSERT_EQ(1, vocab.types.size());
  EXPECT_EQ(std::string("a\0b", 3), vocab.types.name(0));
}

TEST_F(LuaBridge, TagListFaults) {
  struct {
    std::string script;
    std::string message;
  } cases[] = {
      {"function get_all_tags() return {'x', true} end",
       "Error in lua description: get_all_tags should return an array of type names and entry 2 "
       "is not a string.\n"},
      {"function get_all_tags() return {'pers', ''} end",
       "Error in lua description: get_all_tags should return an array of type names and entry 2 "
       "is empty.\n"},
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
    vocab = vocabularies();
    lua_close(L);
    L = luaL_newstate();
    load(c.script);
    std::string expected = c.message;
    size_t at = expected.find("FILE");
    if (at != std::string::npos) {
      expected.replace(at, 4, files.back());
    }
    EXPECT_FATAL(load_tag_list(L, vocab.types), 1, expected);
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
  // Numbers read as Lua writes them, and stay numbers on the stack.
  lua_pushnumber(L, 0.1);
  EXPECT_EQ("0.1", lua_tocxxstring(L, -1));
  lua_pushnumber(L, 1e300 * 1e300);
  EXPECT_EQ("inf", lua_tocxxstring(L, -1));
  lua_pushnumber(L, 123456789012345678.0);
  EXPECT_EQ("1.2345678901235e+17", lua_tocxxstring(L, -1));
  EXPECT_EQ(LUA_TNUMBER, lua_type(L, -1));
  lua_settop(L, 0);
}

TEST_F(LuaBridge, EachInterpreterDrawsItsOwnRandomSequence) {
  // The sequence of the C library's rand(), from a generator of the
  // interpreter's own: what other interpreters draw does not move it.
  const char* draws =
      "function draws(n, seed)\n"
      "  if seed then math.randomseed(seed) end\n"
      "  local t = {}\n"
      "  for i = 1, n do t[i] = string.format('%.17g', math.random()) end\n"
      "  return table.concat(t, ' ')\n"
      "end";
  load(draws);
  lua_State* other = luaL_newstate();
  load_lua_description(other, files.back().c_str());
  auto call = [](lua_State* S, const char* chunk) {
    EXPECT_EQ(LUA_OK, luaL_loadstring(S, chunk));
    EXPECT_EQ(LUA_OK, lua_pcall(S, 0, 1, 0));
    std::string s = lua_tostring(S, -1);
    lua_pop(S, 1);
    return s;
  };
  auto expected = [](int n, unsigned seed, bool reseeded) {
    srand(seed);
    if (reseeded) {
      rand();
    }
    std::string s;
    for (int i = 0; i < n; i++) {
      char b[64];
      snprintf(b, sizeof b, "%.17g", static_cast<double>(rand() % RAND_MAX) / RAND_MAX);
      s += (i ? " " : "") + std::string(b);
    }
    return s;
  };
  const std::string first = call(L, "return draws(5)");
  EXPECT_EQ(expected(5, 1, false), first);
  EXPECT_EQ(first, call(other, "return draws(5)"));
  EXPECT_EQ(expected(3, 7, true), call(L, "return draws(3, 7)"));
  EXPECT_EQ(call(other, "return draws(3, 7)"), expected(3, 7, true));
  EXPECT_EQ("3", call(L, "math.randomseed(1) local x = math.random(3, 3) return tostring(x)"));
  lua_close(other);
}

TEST_F(LuaBridge, RandomStateCannotBeSwapped) {
  // The debug library reaches the generator's state: another value there is
  // an error of the description, never memory written as a state.
  // A forgery: another userdata given the state's metatable.
  load(
      "local _, genuine = debug.getupvalue(math.random, 1)\n"
      "function forged()\n"
      "  local f = io.tmpfile()\n"
      "  debug.setmetatable(f, debug.getmetatable(genuine))\n"
      "  return f\n"
      "end\n"
      "function draw(v) debug.setupvalue(math.random, 1, v) return math.random() end\n"
      "function seed(v) debug.setupvalue(math.randomseed, 1, v) math.randomseed(3) end");
  for (const char* value : {"io.stdout", "{}", "nil", "1", "forged()"}) {
    for (const char* function : {"draw", "seed"}) {
      const std::string chunk = std::string("return ") + function + "(" + value + ")";
      ASSERT_EQ(LUA_OK, luaL_loadstring(L, chunk.c_str()));
      EXPECT_EQ(LUA_ERRRUN, lua_pcall(L, 0, 1, 0)) << chunk;
      EXPECT_NE(nullptr,
                std::strstr(lua_tostring(L, -1), "the generator's state has been replaced"))
          << chunk;
      lua_settop(L, 0);
    }
  }
}

TEST_F(LuaBridge, GuardedGlobalsFindNothing) {
  // The "strict globals" idiom: reading an undefined global raises. The
  // lookup runs protected, so the description's fault is reported as one.
  load(
      "function get_all_tags() return {'pers'} end\n"
      "setmetatable(_G, {__index = function(_, name) error('undefined ' .. name, 2) end})");
  load_tag_list(L, vocab.types);
  EXPECT_FATAL(lua_get_global_function(L, "get_miss_cost"), 1,
               "Error in lua description: function get_miss_cost not found\n");
  lua_settop(L, 0);
  // A guard that hands back a function is followed.
  load("setmetatable(_G, {__index = function() return function() return 'given' end end})");
  lua_get_global_function(L, "anything");
  lua_do_call(L, "anything", 0, 1);
  EXPECT_EQ("given", lua_tocxxstring(L, -1));
  lua_settop(L, 0);
}

// An allocator that refuses to grow anything once `limited` is set.
struct allocation_budget {
  bool limited = false;
};

void* limited_alloc(void* ud, void* ptr, size_t osize, size_t nsize) {
  if (nsize == 0) {
    free(ptr);
    return nullptr;
  }
  size_t old = ptr ? osize : 0;
  if (static_cast<allocation_budget*>(ud)->limited && nsize > old) {
    return nullptr;
  }
  return realloc(ptr, nsize);
}

TEST(LuaMemory, TheProgramsOwnCallsEndInOutOfMemory) {
  // What the program asks of the interpreter (a global's lookup, the names
  // registered for the entity tables, an entity table) runs protected:
  // memory running out there is the out-of-memory fault, never a panic of
  // the interpreter, nor a function reported missing.
  allocation_budget budget;
  lua_State* L = lua_newstate(limited_alloc, &budget);
  ASSERT_NE(nullptr, L);
  luaL_openlibs(L);
  vocabularies vocab;
  vocab.types.get("pers");
  entity_set set;
  entity& e = set.add(0, 1, 0, 0, false, {0}, {40});
  e.attrs = set.attributes.add("kind", "person");
  e.nattrs = 1;
  const std::string text(40, 'x');

  budget.limited = true;
  EXPECT_THROW(entity_tables(L, vocab.types), std::bad_alloc);
  lua_settop(L, 0);
  budget.limited = false;
  // Freed before the interpreter whose registry holds its names.
  auto tables = std::make_unique<entity_tables>(L, vocab.types);
  // A lookup that needs memory: the guard makes a new table for any name.
  ASSERT_EQ(LUA_OK,
            luaL_loadstring(L, "setmetatable(_G, {__index = function(_, n) return {n} end})"));
  ASSERT_EQ(LUA_OK, lua_pcall(L, 0, 0, 0));

  budget.limited = true;
  EXPECT_THROW(lua_get_global_function(L, "a_name_the_interpreter_never_saw"), std::bad_alloc);
  lua_settop(L, 0);
  EXPECT_THROW(tables->push(set, set[0], 0, 0, text.c_str()), std::bad_alloc);
  lua_settop(L, 0);
  const entity_tables::table t{&set, &set[0], 0, 0};
  EXPECT_THROW(tables->prepare_call("get_miss_cost", &t, 1, text.c_str()), std::bad_alloc);
  lua_settop(L, 0);
  budget.limited = false;
  tables->push(set, set[0], 0, 0, text.c_str());
  EXPECT_EQ(1, lua_gettop(L));
  tables.reset();
  lua_close(L);

  L = lua_newstate(limited_alloc, &budget);
  ASSERT_NE(nullptr, L);
  budget.limited = true;
  EXPECT_THROW(load_lua_description(L, "/nonexistent/descr.lua"), std::bad_alloc);
  lua_close(L);
}

}  // namespace

namespace {

// The stop flag goes with the interpreter: a script that loops stops once
// the flag is set, on whichever thread the interpreter is run (a corpus
// run's interpreters are made on one thread and may serve on another).
TEST_F(LuaBridge, StopFlagGoesWithTheInterpreter) {
  load(
      "calls = 0\n"
      "function get_all_tags()\n"
      "  calls = calls + 1\n"
      "  while calls == 1 do end\n"
      "  return {'a'}\n"
      "end");
  std::atomic<bool> stop{true};
  lua_stop_when(L, &stop);
  std::string message;
  std::thread other([&] {
    try {
      load_tag_list(L, vocab.types);
    } catch (const fatal_error& e) {
      message = e.text;
    }
  });
  other.join();
  EXPECT_NE(std::string::npos, message.find("the evaluation was stopped")) << message;
  // With the flag down, the script runs to its end (the failed call's
  // leftovers cleared, as a new evaluation would find the stack).
  lua_settop(L, 0);
  stop = false;
  load_tag_list(L, vocab.types);
  EXPECT_EQ("a=0", types());
}

}  // namespace
