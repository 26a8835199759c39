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
  lua_close(L);
}

void task_description::load(const char* fname, name_table& types) {
  load_lua_description(L, fname);
  load_tag_list(L, types);
}

void task_description::ask_miss_costs(std::vector<entity>& entities, const char* text,
                                      vocabularies& vocab) {
  compute_entities_miss_costs(L, entities, text, vocab);
}

void task_description::ask_substitution_costs(std::vector<segment>& segments, const char* text,
                                              vocabularies& vocab) {
  compute_substitution_errors_costs(L, segments, text, vocab);
}
