#include "description/lua_bridge.h"

#include "description/vocabulary.h"
#include "driver/fatal.h"

namespace {

int tostring_for_error(lua_State* L) {
  luaL_tolstring(L, 1, nullptr);
  return 1;
}

// Text of the error value on top of the stack, as the standalone interpreter
// shows one: strings and numbers as they are, values with a __tostring
// metamethod through it, anything else by its type. Stack: unchanged.
std::string error_value_text(lua_State* L) {
  int t = lua_type(L, -1);
  if (t == LUA_TSTRING || t == LUA_TNUMBER) {
    return lua_tocxxstring(L, -1);
  }
  if (luaL_getmetafield(L, -1, "__tostring")) {
    lua_pop(L, 1);
    lua_pushcfunction(L, tostring_for_error);
    lua_pushvalue(L, -2);
    // The metamethod may itself fail; it must not escape unprotected.
    if (lua_pcall(L, 1, 1, 0) == LUA_OK && lua_type(L, -1) == LUA_TSTRING) {
      std::string text = lua_tocxxstring(L, -1);
      lua_pop(L, 1);
      return text;
    }
    lua_pop(L, 1);
  }
  return std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
}

}  // namespace

std::string lua_tocxxstring(lua_State* L, int idx) {
  size_t len = 0;
  const char* s = lua_tolstring(L, idx, &len);
  return s ? std::string(s, len) : std::string();
}

void lua_pushcxxstring(lua_State* L, const std::string& s) {
  lua_pushlstring(L, s.data(), s.size());
}

void load_lua_description(lua_State* L, const char* fname) {
  luaL_openlibs(L);
  if (luaL_loadfilex(L, fname, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error loading %s: %s\n", fname, text.c_str());
  }
  if (lua_pcallk(L, 0, 0, 0, 0, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error: %s\n", text.c_str());
  }
}

void lua_get_global_function(lua_State* L, const char* name) {
  lua_getglobal(L, name);
  if (lua_type(L, -1) != LUA_TFUNCTION) {
    fatal_lua("function %s not found\n", name);
  }
}

void lua_do_call(lua_State* L, const char* name, int np, int nr) {
  if (lua_pcallk(L, np, nr, 0, 0, nullptr) != LUA_OK) {
    std::string text = error_value_text(L);
    fatal(1, "Error calling %s: %s\n", name, text.c_str());
  }
}

void load_tag_list(lua_State* L) {
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
    tag_get(lua_tocxxstring(L, -1));
    lua_pop(L, 1);
  }
}
