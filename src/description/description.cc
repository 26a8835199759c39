#include "description/description.h"

#include <lua.hpp>

#include "base/fatal.h"
#include "description/costs.h"
#include "description/lua_bridge.h"

task_description::task_description() = default;

task_description::~task_description() {
  tables.reset();
  if (L) {
    lua_close(L);
  }
}

lua_State* task_description::interpreter() {
  if (!L) {
    L = luaL_newstate();
    if (!L) {
      fatal_out_of_memory();
    }
    if (embedded) {
      lua_embed(L);
    }
    if (stop_flag) {
      lua_stop_when(L, stop_flag);
    }
  }
  return L;
}

void task_description::load(const char* fname) {
  preset = native_preset_of_file(fname);
  if (preset != native_preset::none) {
    return;
  }
  load_lua_description(interpreter(), fname);
  random_after_load = lua_random_state(L);
}

void task_description::load_source(std::string_view source, const char* name) {
  preset = native_preset_of(source);
  if (preset != native_preset::none) {
    return;
  }
  load_lua_source(interpreter(), source, name);
  random_after_load = lua_random_state(L);
}

void task_description::embed() {
  embedded = true;
  if (L) {
    lua_embed(L);
  }
}

void task_description::stop_when(const std::atomic<bool>* flag) {
  stop_flag = flag;
  if (L) {
    lua_stop_when(L, flag);
  }
}

void task_description::rewind() {
  if (preset == native_preset::none) {
    lua_set_random_state(interpreter(), random_after_load);
  }
}

bool task_description::defines(const char* name) {
  if (preset != native_preset::none) {
    return native_preset_defines(preset, name);
  }
  return lua_has_global_function(interpreter(), name);
}

void task_description::read_types(name_table& types) {
  load_tag_list(interpreter(), types);
}

void task_description::prepare(const name_table& types) {
  if (preset != native_preset::none) {
    return;
  }
  // An earlier evaluation's tables serve again when the types are the same.
  if (tables && tables->serves(types)) {
    tables->forget_values();
    return;
  }
  tables.reset();
  tables = std::make_unique<entity_tables>(interpreter(), types);
}

void task_description::ask_miss_costs(entity_set& entities, const char* text, const char* fname,
                                      vocabularies& vocab) {
  if (preset != native_preset::none) {
    native_miss_costs(preset, entities, vocab);
    return;
  }
  compute_entities_miss_costs(L, *tables, entities, text, fname, vocab);
}

void task_description::ask_substitution_costs(const entity_set& ref, const entity_set& hyp,
                                              const segment_set& segments,
                                              substitution_costs& costs, const char* text,
                                              const char* ref_name, const char* hyp_name,
                                              vocabularies& vocab) {
  if (preset != native_preset::none) {
    native_substitution_costs(preset, ref, hyp, segments, costs, vocab);
    return;
  }
  compute_substitution_errors_costs(L, *tables, ref, hyp, segments, costs, text, ref_name, hyp_name,
                                    vocab);
}
