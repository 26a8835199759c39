#include "description/description.h"

#include <lua.hpp>

#include "base/fatal.h"
#include "description/costs.h"
#include "description/lua_bridge.h"

task_description::task_description() : L(luaL_newstate()) {
  if (!L) {
    fatal_out_of_memory();
  }
}

task_description::~task_description() {
  tables.reset();
  lua_close(L);
}

void task_description::load(const char* fname) {
  load_lua_description(L, fname);
  random_after_load = lua_random_state(L);
}

void task_description::load_source(std::string_view source, const char* name) {
  load_lua_source(L, source, name);
  random_after_load = lua_random_state(L);
}

void task_description::embed() {
  lua_embed(L);
}

void task_description::stop_when(const std::atomic<bool>* flag) {
  lua_stop_when(L, flag);
}

void task_description::rewind() {
  lua_set_random_state(L, random_after_load);
}

bool task_description::defines(const char* name) {
  return lua_has_global_function(L, name);
}

void task_description::read_types(name_table& types) {
  load_tag_list(L, types);
}

void task_description::prepare(const name_table& types) {
  // An earlier evaluation's tables serve again when the types are the same.
  if (tables && tables->serves(types)) {
    tables->forget_values();
    return;
  }
  tables.reset();
  tables = std::make_unique<entity_tables>(L, types);
}

void task_description::ask_miss_costs(entity_set& entities, const char* text, const char* fname,
                                      vocabularies& vocab) {
  compute_entities_miss_costs(L, *tables, entities, text, fname, vocab);
}

void task_description::ask_substitution_costs(const entity_set& ref, const entity_set& hyp,
                                              const segment_set& segments,
                                              substitution_costs& costs, const char* text,
                                              const char* ref_name, const char* hyp_name,
                                              vocabularies& vocab) {
  compute_substitution_errors_costs(L, *tables, ref, hyp, segments, costs, text, ref_name, hyp_name,
                                    vocab);
}
