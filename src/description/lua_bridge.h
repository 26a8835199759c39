// Running the task description: loading the script, calling its functions,
// moving strings between Lua and the program, and reading the entity types.
// Every function here leaves the Lua stack as its comment says; between two
// script calls the stack is empty. Whatever may raise a Lua error runs in
// protected mode, and faults are reported only after the protected call has
// returned, so no error crosses from Lua into C++ or back.
#pragma once

#include <atomic>
#include <lua.hpp>
#include <string>
#include <string_view>

#include "model/vocabulary.h"

// Opens the standard libraries, loads the script and runs its top level.
// Stack: unchanged.
void load_lua_description(lua_State* L, const char* fname);
// Before loading: the interpreter runs inside a caller's program, where
// os.exit raises an error rather than end it.
void lua_embed(lua_State* L);
// Same, the script given as text; messages name it `name`.
void load_lua_source(lua_State* L, std::string_view source, const char* name);

// The bytes of the interpreter's pseudo-random generator (empty before the
// libraries are open), and their return, so that every evaluation that the
// interpreter serves draws what a fresh interpreter would.
std::string lua_random_state(lua_State* L);

// A count hook that raises an error once *flag is true. The flag is kept in
// the interpreter's registry, so that it goes wherever the interpreter is
// run; it must outlive the calls made until it is changed.
void lua_stop_when(lua_State* L, const std::atomic<bool>* flag);
void lua_set_random_state(lua_State* L, const std::string& bytes);

// Pushes the global function `name`; a missing or non-function global, or a
// lookup that raises (a "strict globals" metatable), is a fault of the
// description. Stack: +1.
void lua_get_global_function(lua_State* L, const char* name);

// Whether the global `name` is a function, looked up as above; a lookup
// that raises finds none. Stack: unchanged.
bool lua_has_global_function(lua_State* L, const char* name);

// Protected call of the function below the `np` arguments on top of the
// stack; on success its `nr` results replace them. `name` is for messages.
void lua_do_call(lua_State* L, const char* name, int np, int nr);

// Calls get_all_tags and fills `types` from its array.
// Stack: unchanged (empty before and after).
void load_tag_list(lua_State* L, name_table& types);

// Runs `f` in protected mode with `ud` as its one argument (a light
// userdata) and `nresults` results; a failure leaves the error value on the
// stack. Returns the status of lua_pcall.
int lua_protected(lua_State* L, lua_CFunction f, void* ud, int nresults);

// Ends the run for a failed protected call of the program's own: out of
// memory, or the error value's text after `prefix`. Pops nothing.
[[noreturn]] void lua_own_failure(lua_State* L, int status, const char* prefix);

// The string or number at `idx` with its exact length, as Lua writes it; ""
// for other values. Never allocates inside Lua, so it cannot raise.
std::string lua_tocxxstring(lua_State* L, int idx);

// Pushes `s` with its exact length. Stack: +1. May raise (out of memory):
// call it only inside a protected call.
void lua_pushcxxstring(lua_State* L, const std::string& s);
