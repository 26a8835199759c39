// Asking the task description for the cost of every miss and every pairing
// the alignment may need, and storing the answers in the entities.
#include "description/costs.h"

#include <cassert>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "base/escape.h"
#include "base/fatal.h"
#include "description/cost_queries.h"
#include "description/lua_bridge.h"

namespace {

const char* const miss_function = "get_miss_cost";
const char* const subst_function = "get_substitution_cost";

// What the entity table holds, prepared before the protected call that
// builds it, so that nothing is allocated by C++ while Lua may raise.
struct entity_table {
  const entity* e;
  const std::string* type;
  int spos;
  int epos;
  const char* value;  // the escaped text, NUL-terminated
};

// Protected: pushes the entity table described by the light userdata at 1.
int build_entity_table(lua_State* L) {
  const entity_table* t = static_cast<const entity_table*>(lua_touserdata(L, 1));
  lua_createtable(L, 0, 0);
  lua_pushlstring(L, t->type->data(), t->type->size());
  lua_setfield(L, -2, "type");
  lua_pushboolean(L, t->e->hyp);
  lua_setfield(L, -2, "hyp");
  lua_pushinteger(L, t->spos);
  lua_setfield(L, -2, "spos");
  lua_pushinteger(L, t->epos);
  lua_setfield(L, -2, "epos");
  if (!t->e->attr.empty()) {
    lua_createtable(L, 0, 0);
    for (const auto& a : t->e->attr) {
      lua_pushlstring(L, a.first.data(), a.first.size());
      lua_pushlstring(L, a.second.data(), a.second.size());
      lua_rawset(L, -3);
    }
    lua_setfield(L, -2, "attr");
  }
  lua_pushstring(L, t->value);
  lua_setfield(L, -2, "value");
  return 1;
}

// An error name: the text of the string or number at `idx` up to its first
// zero byte.
int error_id_at(lua_State* L, int idx, name_table& errors) {
  std::string name = lua_tocxxstring(L, idx);
  assert(lua_isstring(L, idx));
  return errors.get(std::string_view(name.c_str(), std::strlen(name.c_str())));
}

// Calls the cost function `name` with the `np` entity tables already pushed
// above it, stores its answer in `err` and leaves the stack as before the
// function was fetched.
void ask_cost(lua_State* L, const char* name, int np, error_d& err, name_table& errors) {
  lua_do_call(L, name, np, 2);
  lua_load_error(L, err, name, errors);
  lua_pop(L, 2);
}

}  // namespace

void lua_pushentity(lua_State* L, const entity& e, int sf, int ef, const char* data,
                    const name_table& types) {
  assert(types.has(e.tagid));
  assert(sf >= 0 && static_cast<size_t>(sf) < e.start.size());
  assert(ef >= 0 && static_cast<size_t>(ef) < e.end.size());
  int spos = e.start[sf];
  int epos = e.end[ef];
  // Computed in size_t: 5 * length must not overflow for a long entity.
  size_t length = epos > spos ? static_cast<size_t>(epos) - static_cast<size_t>(spos) : 0;
  std::string value(5 * length + 1, '\0');
  escape(&value[0], data + spos, static_cast<int>(length));

  entity_table table{&e, &types.name(e.tagid), spos, epos, value.c_str()};
  int status = lua_protected(L, build_entity_table, &table, 1);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
}

void lua_load_error(lua_State* L, error_d& err, const char* fname, name_table& errors) {
  assert(lua_gettop(L) >= 2);
  int cost_idx = lua_gettop(L) - 1;
  int names_idx = cost_idx + 1;

  error_d answer;
  answer.asked = true;
  int isnum = 0;
  lua_Number cost = lua_tonumberx(L, cost_idx, &isnum);
  answer.cost = isnum ? static_cast<double>(cost) : 0.0;

  if (lua_isnil(L, names_idx)) {
    // A correct outcome: no error types.
  } else if (lua_isstring(L, names_idx)) {
    answer.error_types.push_back(error_id_at(L, names_idx, errors));
  } else if (!lua_istable(L, names_idx)) {
    fatal_lua("%s should return as a second paramter nothing, a string or an array of strings.",
              fname);
  } else {
    for (int i = 1;; i++) {
      lua_rawgeti(L, names_idx, i);
      if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        break;
      }
      if (!lua_isstring(L, -1)) {
        fatal_lua("%s should return an array of error names and entry %d is not a string.\n", fname,
                  i);
      }
      answer.error_types.push_back(error_id_at(L, -1, errors));
      lua_pop(L, 1);
    }
    answer.error_types.sort();
  }
  err = std::move(answer);
}

void compute_entities_miss_costs(lua_State* L, std::vector<entity>& entities, const char* data,
                                 vocabularies& vocab) {
  for_each_miss_query(entities, [&](const entity& e, int sf, int ef, error_d& record) {
    lua_get_global_function(L, miss_function);
    lua_pushentity(L, e, sf, ef, data, vocab.types);
    ask_cost(L, miss_function, 1, record, vocab.errors);
  });
}

void compute_substitution_errors_costs(lua_State* L, std::vector<segment>& segments,
                                       const char* data, vocabularies& vocab) {
  for_each_substitution_query(
      segments, [&](const entity& er, int sf, int ef, const entity& eh, error_d& record) {
        lua_get_global_function(L, subst_function);
        lua_pushentity(L, er, sf, ef, data, vocab.types);
        lua_pushentity(L, eh, 0, 0, data, vocab.types);
        ask_cost(L, subst_function, 2, record, vocab.errors);
      });
}
