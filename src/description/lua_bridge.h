// Running the task description: loading the script, calling its functions,
// moving strings between Lua and the program, and reading the entity types.
// Every function here leaves the Lua stack as its comment says; between two
// script calls the stack is empty.
#pragma once

#include <lua.hpp>
#include <string>

// Opens the standard libraries, loads the script and runs its top level.
// Stack: unchanged.
void load_lua_description(lua_State* L, const char* fname);

// Pushes the global function `name`; a missing or non-function global is a
// fault of the description. Stack: +1.
void lua_get_global_function(lua_State* L, const char* name);

// Protected call of the function below the `np` arguments on top of the
// stack; on success its `nr` results replace them. `name` is for messages.
void lua_do_call(lua_State* L, const char* name, int np, int nr);

// Calls get_all_tags and fills the entity type vocabulary from its array.
// Stack: unchanged (empty before and after).
void load_tag_list(lua_State* L);

// The string or number at `idx` with its exact length; "" for other values.
std::string lua_tocxxstring(lua_State* L, int idx);

// Pushes `s` with its exact length. Stack: +1.
void lua_pushcxxstring(lua_State* L, const std::string& s);
