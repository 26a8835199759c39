#include "description/lua_bridge.h"

#include <cstdio>

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

int open_libraries(lua_State* L) {
  luaL_openlibs(L);
  return 0;
}

// Protected: the chunk (or the loader's message) and the loader's status.
int load_chunk(lua_State* L) {
  const char* fname = static_cast<const char*>(lua_touserdata(L, 1));
  int status = luaL_loadfilex(L, fname, nullptr);
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

void load_lua_description(lua_State* L, const char* fname) {
  int status = lua_protected(L, open_libraries, nullptr, 0);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
  status = lua_protected(L, load_chunk, const_cast<char*>(fname), 2);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
  status = static_cast<int>(lua_tointegerx(L, -1, nullptr));
  lua_pop(L, 1);
  if (status != LUA_OK) {
    if (status == LUA_ERRMEM) {
      fatal_out_of_memory();
    }
    std::string text = error_value_text(L);
    fatal(1, "Error loading %s: %s\n", fname, text.c_str());
  }
  if (lua_pcallk(L, 0, 0, 0, 0, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error: %s\n", text.c_str());
  }
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
    types.get(lua_tocxxstring(L, -1));
    lua_pop(L, 1);
  }
}
