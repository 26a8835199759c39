#include "description/lua_bridge.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/escape.h"
#include "base/fatal.h"

namespace {

// The text form Lua gives a number, written without asking Lua for it: a
// conversion inside Lua allocates, and may raise out of protected mode.
std::string number_text(lua_Number n) {
  char buffer[64];
  int length = snprintf(buffer, sizeof buffer, LUA_NUMBER_FMT, n);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// Protected: the text of the value at 1, as the standalone interpreter shows
// an error value: strings and numbers as they are, values with a __tostring
// metamethod through it; nil for anything else.
int error_text(lua_State* L) {
  int t = lua_type(L, 1);
  if (t == LUA_TSTRING || t == LUA_TNUMBER) {
    lua_pushvalue(L, 1);
    lua_tostring(L, -1);
    return 1;
  }
  if (luaL_getmetafield(L, 1, "__tostring")) {
    lua_pop(L, 1);
    luaL_tolstring(L, 1, nullptr);
    return 1;
  }
  lua_pushnil(L);
  return 1;
}

// Text of the error value on top of the stack. The metamethod may itself
// fail; then, as for values without one, the type names the value.
// Stack: unchanged.
std::string error_value_text(lua_State* L) {
  lua_pushcfunction(L, error_text);
  lua_pushvalue(L, -2);
  if (lua_pcall(L, 1, 1, 0) == LUA_OK && lua_type(L, -1) == LUA_TSTRING) {
    std::string text = lua_tocxxstring(L, -1);
    lua_pop(L, 1);
    return text;
  }
  lua_pop(L, 1);
  return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

// The pseudo-random generator of one interpreter. The standard math.random
// draws from the C library's rand(), which the whole process shares: two
// evaluations in one process, or side by side, would draw from one sequence.
// This one draws the same sequence as rand() (its state and seeding are the
// C library's own), from a state of its own, seeded with 1 as rand() is.
struct random_state {
  random_data data;
  char bytes[128];
  const random_state* self;  // where it was made: a copy or a forgery is not there
};

const char random_state_name[] = "orvane.random_state";
// The registry's reference to the interpreter's own state, for rewinding.
const char random_state_key[] = "orvane.random_state.own";

// The state in the function's upvalue, which a description can replace
// through the debug library, even with a userdata given the state's
// metatable: anything but the state itself (its size, then its own
// address inside it) is an error, not memory to write.
random_state& state_upvalue(lua_State* L) {
  const int up = lua_upvalueindex(1);
  void* state = luaL_testudata(L, up, random_state_name);
  if (!state || lua_rawlen(L, up) != sizeof(random_state) ||
      static_cast<random_state*>(state)->self != state) {
    luaL_error(L, "the generator's state has been replaced");
  }
  return *static_cast<random_state*>(state);
}

long next_random(random_state& r) {
  int32_t value = 0;
  random_r(&r.data, &value);
  return value;
}

// math.random as the standard library defines it, on the interpreter's state.
int math_random(lua_State* L) {
  random_state& r = state_upvalue(L);
  lua_Number x = static_cast<lua_Number>(next_random(r) % RAND_MAX) / RAND_MAX;
  switch (lua_gettop(L)) {
    case 0:
      lua_pushnumber(L, x);
      break;
    case 1: {
      lua_Number u = luaL_checknumber(L, 1);
      luaL_argcheck(L, 1.0 <= u, 1, "interval is empty");
      lua_pushnumber(L, std::floor(x * u) + 1.0);
      break;
    }
    case 2: {
      lua_Number l = luaL_checknumber(L, 1);
      lua_Number u = luaL_checknumber(L, 2);
      luaL_argcheck(L, l <= u, 2, "interval is empty");
      lua_pushnumber(L, std::floor(x * (u - l + 1)) + l);
      break;
    }
    default:
      return luaL_error(L, "wrong number of arguments");
  }
  return 1;
}

int math_randomseed(lua_State* L) {
  random_state& r = state_upvalue(L);
  srandom_r(luaL_checkunsigned(L, 1), &r.data);
  next_random(r);  // the first value is dropped, as the standard library does
  return 0;
}

// Where a caller embeds the interpreter, os.exit would end the caller's
// program: it raises an error instead.
const char embedded_key = 0;

int exit_refused(lua_State* L) {
  return luaL_error(L, "os.exit would end the program that runs orvane: not available here");
}

int open_libraries(lua_State* L) {
  luaL_openlibs(L);
  lua_rawgetp(L, LUA_REGISTRYINDEX, &embedded_key);
  const bool embedded = lua_toboolean(L, -1);
  lua_pop(L, 1);
  if (embedded) {
    lua_getglobal(L, "os");
    lua_pushcfunction(L, exit_refused);
    lua_setfield(L, -2, "exit");
    lua_pop(L, 1);
  }
  // math.random and math.randomseed on a generator of this interpreter.
  lua_getglobal(L, "math");
  random_state* r = static_cast<random_state*>(lua_newuserdata(L, sizeof(random_state)));
  r->data = random_data();
  initstate_r(1, r->bytes, sizeof r->bytes, &r->data);
  r->self = r;
  luaL_newmetatable(L, random_state_name);
  lua_setmetatable(L, -2);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, random_state_key);
  lua_pushvalue(L, -1);
  lua_pushcclosure(L, math_random, 1);
  lua_setfield(L, -3, "random");
  lua_pushcclosure(L, math_randomseed, 1);
  lua_setfield(L, -2, "randomseed");
  lua_pop(L, 1);
  return 0;
}

// Protected: the chunk (or the loader's message) and the loader's status.
int load_chunk(lua_State* L) {
  const char* fname = static_cast<const char*>(lua_touserdata(L, 1));
  // Text only: the loader does not verify bytecode, and a damaged binary
  // chunk can crash the process.
  int status = luaL_loadfilex(L, fname, "t");
  lua_pushinteger(L, status);
  return 2;
}

struct source_chunk {
  std::string_view text;
  std::string name;  // "=name": messages show the name as it is
};

int load_source_chunk(lua_State* L) {
  const auto* chunk = static_cast<const source_chunk*>(lua_touserdata(L, 1));
  int status =
      luaL_loadbufferx(L, chunk->text.data(), chunk->text.size(), chunk->name.c_str(), "t");
  lua_pushinteger(L, status);
  return 2;
}

int get_global(lua_State* L) {
  lua_getglobal(L, static_cast<const char*>(lua_touserdata(L, 1)));
  return 1;
}

}  // namespace

int lua_protected(lua_State* L, lua_CFunction f, void* ud, int nresults) {
  lua_pushcfunction(L, f);
  lua_pushlightuserdata(L, ud);
  return lua_pcall(L, 1, nresults, 0);
}

void lua_own_failure(lua_State* L, int status, const char* prefix) {
  if (status == LUA_ERRMEM) {
    fatal_out_of_memory();
  }
  std::string text = error_value_text(L);
  fatal(1, "%s%s\n", prefix, text.c_str());
}

std::string lua_tocxxstring(lua_State* L, int idx) {
  switch (lua_type(L, idx)) {
    case LUA_TSTRING: {
      size_t len = 0;
      const char* s = lua_tolstring(L, idx, &len);
      return std::string(s, len);
    }
    case LUA_TNUMBER:
      return number_text(lua_tonumberx(L, idx, nullptr));
    default:
      return std::string();
  }
}

void lua_pushcxxstring(lua_State* L, const std::string& s) {
  lua_pushlstring(L, s.data(), s.size());
}

namespace {

// The registry key of the stop flag: the flag goes with the interpreter,
// whichever thread runs it.
const char stop_flag_key = 0;

void stop_hook(lua_State* L, lua_Debug*) {
  lua_rawgetp(L, LUA_REGISTRYINDEX, &stop_flag_key);
  const auto* flag = static_cast<const std::atomic<bool>*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  if (flag && flag->load(std::memory_order_relaxed)) {
    luaL_error(L, "the evaluation was stopped");
  }
}

}  // namespace

void lua_embed(lua_State* L) {
  lua_pushboolean(L, 1);
  lua_rawsetp(L, LUA_REGISTRYINDEX, &embedded_key);
}

void lua_stop_when(lua_State* L, const std::atomic<bool>* flag) {
  // A light userdata: the flag is the caller's, and outlives the calls.
  lua_pushlightuserdata(L, const_cast<std::atomic<bool>*>(flag));
  lua_rawsetp(L, LUA_REGISTRYINDEX, &stop_flag_key);
  lua_sethook(L, flag ? stop_hook : nullptr, flag ? LUA_MASKCOUNT : 0, 10000);
}

std::string lua_random_state(lua_State* L) {
  lua_getfield(L, LUA_REGISTRYINDEX, random_state_key);
  const void* state = lua_touserdata(L, -1);
  lua_pop(L, 1);
  if (!state) {
    return std::string();
  }
  return std::string(static_cast<const char*>(state), sizeof(random_state));
}

void lua_set_random_state(lua_State* L, const std::string& bytes) {
  lua_getfield(L, LUA_REGISTRYINDEX, random_state_key);
  void* state = lua_touserdata(L, -1);
  lua_pop(L, 1);
  // The same interpreter's own state: its pointers point into itself.
  if (state && bytes.size() == sizeof(random_state)) {
    memcpy(state, bytes.data(), bytes.size());
  }
}

namespace {

// Opens the libraries, loads the chunk with `loader` and runs its top level.
void run_description(lua_State* L, lua_CFunction loader, void* chunk, const char* shown) {
  int status = lua_protected(L, open_libraries, nullptr, 0);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
  status = lua_protected(L, loader, chunk, 2);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
  status = static_cast<int>(lua_tointegerx(L, -1, nullptr));
  lua_pop(L, 1);
  if (status != LUA_OK) {
    // The loader's own message, "not enough memory" included: faults of the
    // script's loading and running are the description's.
    std::string text = error_value_text(L);
    fatal(1, "Error loading %s: %s\n", shown_name(shown).c_str(), text.c_str());
  }
  if (lua_pcallk(L, 0, 0, 0, 0, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error: %s\n", text.c_str());
  }
}

}  // namespace

void load_lua_description(lua_State* L, const char* fname) {
  run_description(L, load_chunk, const_cast<char*>(fname), fname);
}

void load_lua_source(lua_State* L, std::string_view source, const char* name) {
  source_chunk chunk{source, std::string("=") + name};
  run_description(L, load_source_chunk, &chunk, name);
}

void lua_get_global_function(lua_State* L, const char* name) {
  int status = lua_protected(L, get_global, const_cast<char*>(name), 1);
  if (status == LUA_ERRMEM) {
    fatal_out_of_memory();
  }
  // A lookup that raises finds nothing: descriptions that guard their
  // globals raise for any name they do not define.
  if (status != LUA_OK || lua_type(L, -1) != LUA_TFUNCTION) {
    fatal_lua("function %s not found\n", name);
  }
}

bool lua_has_global_function(lua_State* L, const char* name) {
  int status = lua_protected(L, get_global, const_cast<char*>(name), 1);
  if (status == LUA_ERRMEM) {
    fatal_out_of_memory();
  }
  const bool found = status == LUA_OK && lua_type(L, -1) == LUA_TFUNCTION;
  lua_pop(L, 1);  // the value, or the error
  return found;
}

void lua_do_call(lua_State* L, const char* name, int np, int nr) {
  if (lua_pcallk(L, np, nr, 0, 0, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error calling %s: %s\n", name, text.c_str());
  }
}

void load_tag_list(lua_State* L, name_table& types) {
  lua_get_global_function(L, "get_all_tags");
  lua_do_call(L, "get_all_tags", 0, 1);
  if (lua_type(L, 1) != LUA_TTABLE) {
    fatal_lua("get_all_tags should return an array of type names.\n");
  }
  for (int i = 1;; i++) {
    lua_rawgeti(L, 1, i);
    if (lua_type(L, -1) == LUA_TNIL) {
      lua_pop(L, 2);
      return;
    }
    if (!lua_isstring(L, -1)) {
      fatal_lua("get_all_tags should return an array of type names and entry %d is not a string.\n",
                i);
    }
    const std::string name = lua_tocxxstring(L, -1);
    if (name.empty()) {
      // It would make "</>" a closing tag.
      fatal_lua("get_all_tags should return an array of type names and entry %d is empty.\n", i);
    }
    types.get(name);
    lua_pop(L, 1);
  }
}
