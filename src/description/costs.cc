// Asking the task description for the cost of every miss and every pairing
// the alignment may need, and storing the answers in the entities.
#include "description/costs.h"

#include <cassert>
#include <cstddef>
#include <string>
#include <utility>

#include "description/lua_bridge.h"
#include "description/vocabulary.h"
#include "driver/escape.h"
#include "driver/fatal.h"

namespace {

const char* const miss_function = "get_miss_cost";
const char* const subst_function = "get_substitution_cost";

// An error name is the text up to its first zero byte. A copy is converted so
// that a number result stays a number on the stack.
int error_id_at(lua_State* L, int idx) {
  lua_pushvalue(L, idx);
  const char* s = lua_tolstring(L, -1, nullptr);
  assert(s);
  int id = error_get(std::string(s));
  lua_pop(L, 1);
  return id;
}

// Calls the cost function `name` with the `np` entity tables already pushed
// above it, stores its answer in `err` and leaves the stack as before the
// function was fetched.
void ask_cost(lua_State* L, const char* name, int np, error_d& err) {
  lua_do_call(L, name, np, 2);
  lua_load_error(L, err, name);
  lua_pop(L, 2);
}

}  // namespace

void lua_pushentity(lua_State* L, const entity& e, int sf, int ef, const char* data) {
  assert(e.tagid >= 0 && static_cast<size_t>(e.tagid) < tag_names.size());
  assert(sf >= 0 && static_cast<size_t>(sf) < e.start.size());
  assert(ef >= 0 && static_cast<size_t>(ef) < e.end.size());
  int spos = e.start[sf];
  int epos = e.end[ef];

  lua_createtable(L, 0, 0);
  lua_pushcxxstring(L, tag_names[e.tagid]);
  lua_setfield(L, -2, "type");
  lua_pushboolean(L, e.hyp);
  lua_setfield(L, -2, "hyp");
  lua_pushinteger(L, spos);
  lua_setfield(L, -2, "spos");
  lua_pushinteger(L, epos);
  lua_setfield(L, -2, "epos");
  if (!e.attr.empty()) {
    lua_createtable(L, 0, 0);
    for (const auto& a : e.attr) {
      lua_pushcxxstring(L, a.first);
      lua_pushcxxstring(L, a.second);
      lua_rawset(L, -3);
    }
    lua_setfield(L, -2, "attr");
  }
  // Computed in size_t: 5 * length must not overflow for a long entity.
  size_t length = epos > spos ? static_cast<size_t>(epos) - static_cast<size_t>(spos) : 0;
  std::string text(5 * length + 1, '\0');
  escape(&text[0], data + spos, static_cast<int>(length));
  lua_pushstring(L, text.c_str());
  lua_setfield(L, -2, "value");
}

void lua_load_error(lua_State* L, error_d& err, const char* fname) {
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
    answer.error_types.push_back(error_id_at(L, names_idx));
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
      answer.error_types.push_back(error_id_at(L, -1));
      lua_pop(L, 1);
    }
    answer.error_types.sort();
  }
  err = std::move(answer);
}

void compute_entities_miss_costs(lua_State* L, std::vector<entity>& entities, const char* data) {
  for (entity& e : entities) {
    e.miss_errors.resize(e.start.size());
    for (size_t sf = 0; sf < e.start.size(); sf++) {
      e.miss_errors[sf].resize(e.end.size());
      for (size_t ef = 0; ef < e.end.size(); ef++) {
        if (e.start[sf] < e.end[ef]) {
          lua_get_global_function(L, miss_function);
          lua_pushentity(L, e, static_cast<int>(sf), static_cast<int>(ef), data);
          ask_cost(L, miss_function, 1, e.miss_errors[sf][ef]);
        }
      }
    }
  }
}

void compute_substitution_errors_costs(lua_State* L, std::vector<segment>& segments,
                                       const char* data) {
  for (segment& s : segments) {
    for (entity* eh : s.entities) {
      if (!eh->hyp) {
        continue;
      }
      for (entity* er : s.entities) {
        if (er->hyp || er->subst_errors.count(eh)) {
          continue;
        }
        cost_table& table = er->subst_errors[eh];
        table.resize(er->start.size());
        // A hypothesis entity always has one start and one end once refined;
        // without them no pair can be asked about.
        bool usable = !eh->start.empty() && !eh->end.empty();
        for (size_t sf = 0; sf < er->start.size(); sf++) {
          table[sf].resize(er->end.size());
          if (!usable || er->start[sf] >= eh->end[0]) {
            continue;
          }
          for (size_t ef = 0; ef < er->end.size(); ef++) {
            // A reference span ending exactly where the hypothesis starts is
            // still asked about.
            if (er->end[ef] >= eh->start[0] && er->start[sf] < er->end[ef]) {
              lua_get_global_function(L, subst_function);
              lua_pushentity(L, *er, static_cast<int>(sf), static_cast<int>(ef), data);
              lua_pushentity(L, *eh, 0, 0, data);
              ask_cost(L, subst_function, 2, table[sf][ef]);
            }
          }
        }
      }
    }
  }
}
