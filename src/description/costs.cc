// Asking the task description for the cost of every miss and every pairing
// the alignment may need, and storing the answers.
#include "description/costs.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>

#include "base/escape.h"
#include "base/fatal.h"
#include "description/cost_queries.h"
#include "description/lua_bridge.h"

namespace {

const char* const miss_function = "get_miss_cost";
const char* const subst_function = "get_substitution_cost";
const char* const key_names[6] = {"type", "hyp", "spos", "epos", "attr", "value"};
enum { key_type, key_hyp, key_spos, key_epos, key_attr, key_value };

// Texts at least this long are worth keeping as Lua strings between calls.
const size_t cached_length = 256;

struct registration {
  const name_table* types;
  int* keys;
  int* functions;
  int* type_refs;
};

// Protected: the key strings, the function names and the type names into
// the registry.
int register_names(lua_State* L) {
  const registration* r = static_cast<const registration*>(lua_touserdata(L, 1));
  for (int i = 0; i < 6; i++) {
    lua_pushstring(L, key_names[i]);
    r->keys[i] = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  lua_pushstring(L, miss_function);
  r->functions[0] = luaL_ref(L, LUA_REGISTRYINDEX);
  lua_pushstring(L, subst_function);
  r->functions[1] = luaL_ref(L, LUA_REGISTRYINDEX);
  for (int t = 0; t < r->types->size(); t++) {
    const std::string& name = r->types->name(t);
    lua_pushlstring(L, name.data(), name.size());
    r->type_refs[t] = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  return 0;
}

// What one table holds, prepared before the protected call that builds it,
// so that nothing is allocated by C++ while Lua may raise.
struct table_request {
  const entity_set* set;
  const entity* e;
  int spos;
  int epos;
  const char* value;  // null: the value is in cache slot `slot`
  size_t value_size;
  entity_tables::cached_value* slot;  // where to keep the value, or null
};

struct call_request {
  const entity_tables* tables;
  const int* keys;
  const int* type_refs;
  int function;  // registry reference of the function's name, or LUA_NOREF
  int count;
  table_request table[2];
  bool looking_up;  // the lookup of the function is under way
  bool found;
};

// Whether `escape` would give the text back unchanged: no control byte (nor
// NUL) and no two spaces in a row.
bool plain_text(const char* s, size_t n) {
  for (size_t i = 0; i < n; i++) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || (c == ' ' && i > 0 && s[i - 1] == ' ')) {
      return false;
    }
  }
  return true;
}

// An error name: the text of the string or number at `idx` up to its first
// zero byte.
int32_t error_id_at(lua_State* L, int idx, name_table& errors) {
  assert(lua_isstring(L, idx));
  if (lua_type(L, idx) == LUA_TSTRING) {
    const char* s = lua_tolstring(L, idx, nullptr);
    return errors.get(std::string_view(s, std::strlen(s)));
  }
  return errors.get(lua_tocxxstring(L, idx));
}

// NaN would make every comparison of the search false, and -inf would make
// every path through the pairing equally cheap; +inf is a pairing chosen only
// when nothing else is possible.
bool usable_cost(double cost) {
  return cost == cost && cost != -std::numeric_limits<double>::infinity();
}

[[noreturn]] void cost_fault(const char* function, double cost, const std::string& entities) {
  if (cost != cost) {
    fatal_lua("%s returned a cost that is not a number (nan) for %s.\n", function,
              entities.c_str());
  }
  fatal_lua("%s returned a cost of -inf for %s.\n", function, entities.c_str());
}

// Calls the cost function `name` with the `np` entity tables already pushed
// above it, stores its answer in `record` and leaves the stack as before the
// function was fetched.
void ask_cost(lua_State* L, const char* name, int np, cost_record& record, vocabularies& vocab) {
  lua_do_call(L, name, np, 2);
  lua_load_error(L, record, name, vocab);
  lua_pop(L, 2);
}

}  // namespace

namespace {

void build_table(lua_State* L, const call_request& c, const table_request& q) {
  const entity& e = *q.e;
  lua_createtable(L, 0, e.nattrs ? 6 : 5);
  auto key = [&](int k) { lua_rawgeti(L, LUA_REGISTRYINDEX, c.keys[k]); };
  key(key_type);
  lua_rawgeti(L, LUA_REGISTRYINDEX, c.type_refs[e.tagid]);
  lua_rawset(L, -3);
  key(key_hyp);
  lua_pushboolean(L, e.hyp);
  lua_rawset(L, -3);
  key(key_spos);
  lua_pushinteger(L, q.spos);
  lua_rawset(L, -3);
  key(key_epos);
  lua_pushinteger(L, q.epos);
  lua_rawset(L, -3);
  if (e.nattrs) {
    key(key_attr);
    lua_createtable(L, 0, static_cast<int>(e.nattrs));
    const attribute_pool& pool = q.set->attributes;
    for (uint32_t a = e.attrs; a < e.attrs + e.nattrs; a++) {
      const std::string_view name = pool.name(a);
      const std::string_view value = pool.value(a);
      lua_pushlstring(L, name.data(), name.size());
      lua_pushlstring(L, value.data(), value.size());
      lua_rawset(L, -3);
    }
    lua_rawset(L, -3);
  }
  key(key_value);
  if (!q.value) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, q.slot->ref);
  } else {
    lua_pushlstring(L, q.value, q.value_size);
    if (q.slot) {
      lua_pushvalue(L, -1);
      const int ref = luaL_ref(L, LUA_REGISTRYINDEX);
      luaL_unref(L, LUA_REGISTRYINDEX, q.slot->ref);
      q.slot->ref = ref;
    }
  }
  lua_rawset(L, -3);
}

}  // namespace

namespace {

// Protected: the function looked up as lua_getglobal does, then the tables.
int prepare_call_protected(lua_State* L) {
  call_request* c = static_cast<call_request*>(lua_touserdata(L, 1));
  int pushed = 0;
  if (c->function != LUA_NOREF) {
    c->looking_up = true;
    lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    lua_rawgeti(L, LUA_REGISTRYINDEX, c->function);
    lua_gettable(L, -2);
    lua_remove(L, -2);
    c->looking_up = false;
    pushed = 1;
    c->found = lua_type(L, -1) == LUA_TFUNCTION;
    if (!c->found) {
      return pushed;
    }
  }
  for (int i = 0; i < c->count; i++) {
    build_table(L, *c, c->table[i]);
    pushed++;
  }
  return pushed;
}

}  // namespace

entity_tables::entity_tables(lua_State* L_, const name_table& type_names)
    : L(L_), types(static_cast<size_t>(type_names.size())), names(type_names.names()) {
  registration r{&type_names, keys, functions, types.data()};
  const int status = lua_protected(L, register_names, &r, 0);
  if (status != LUA_OK) {
    lua_own_failure(L, status, "Error: ");
  }
}

entity_tables::~entity_tables() {
  // Unreferencing only rewrites existing registry slots: it cannot raise.
  for (int ref : keys) {
    luaL_unref(L, LUA_REGISTRYINDEX, ref);
  }
  for (int ref : functions) {
    luaL_unref(L, LUA_REGISTRYINDEX, ref);
  }
  for (int ref : types) {
    luaL_unref(L, LUA_REGISTRYINDEX, ref);
  }
  for (const cached_value& c : cache) {
    luaL_unref(L, LUA_REGISTRYINDEX, c.ref);
  }
}

void entity_tables::forget_values() {
  for (cached_value& c : cache) {
    luaL_unref(L, LUA_REGISTRYINDEX, c.ref);
    c = cached_value();
  }
}

void entity_tables::prepare(const char* name, int function, const table* tables, int count,
                            const char* text) {
  assert(count >= 0 && count <= 2);
  call_request c{this, keys, types.data(), function, count, {}, false, true};
  for (int i = 0; i < count; i++) {
    const table& t = tables[i];
    const entity& e = *t.e;
    assert(static_cast<size_t>(e.tagid) < types.size());
    assert(t.sf >= 0 && static_cast<uint32_t>(t.sf) < e.nstarts);
    assert(t.ef >= 0 && static_cast<uint32_t>(t.ef) < e.nends);
    const int spos = t.set->start(e, t.sf);
    const int epos = t.set->end(e, t.ef);
    // Computed in size_t: 5 * length must not overflow for a long entity.
    const size_t length = epos > spos ? static_cast<size_t>(epos) - static_cast<size_t>(spos) : 0;
    table_request& q = c.table[i];
    q = table_request{t.set, &e, spos, epos, nullptr, 0, nullptr};
    if (length >= cached_length) {
      const size_t h = (reinterpret_cast<uintptr_t>(&e) / sizeof(entity) * 31 +
                        static_cast<size_t>(t.sf) * 7 + static_cast<size_t>(t.ef)) %
                       (sizeof cache / sizeof cache[0]);
      cached_value& slot = cache[h];
      q.slot = &slot;
      if (slot.ref == LUA_NOREF || slot.set != t.set || slot.e != &e || slot.sf != t.sf ||
          slot.ef != t.ef) {
        slot.set = nullptr;  // trusted again once the new string is in place
      }
    }
    if (!q.slot || q.slot->set == nullptr) {
      const char* s = text + spos;
      if (plain_text(s, length)) {
        q.value = s;
        q.value_size = length;
      } else {
        escaped[i].resize(5 * length + 1);
        escape(&escaped[i][0], s, static_cast<int>(length));
        q.value = escaped[i].c_str();
        q.value_size = std::strlen(escaped[i].c_str());
      }
    }
  }
  const int top = lua_gettop(L);
  lua_pushcfunction(L, prepare_call_protected);
  lua_pushlightuserdata(L, &c);
  const int status = lua_pcall(L, 1, LUA_MULTRET, 0);
  if (status != LUA_OK) {
    if (c.looking_up && status != LUA_ERRMEM) {
      // A lookup that raises finds nothing: descriptions that guard their
      // globals raise for any name they do not define.
      fatal_lua("function %s not found\n", name);
    }
    lua_own_failure(L, status, "Error: ");
  }
  if (function != LUA_NOREF && !c.found) {
    fatal_lua("function %s not found\n", name);
  }
  for (int i = 0; i < count; i++) {
    table_request& q = c.table[i];
    if (q.slot && q.value) {
      *q.slot = cached_value{q.set, q.e, tables[i].sf, tables[i].ef, q.slot->ref};
    }
  }
  assert(lua_gettop(L) == top + (function != LUA_NOREF) + count);
  (void)top;
}

void entity_tables::prepare_call(const char* name, const table* tables, int count,
                                 const char* text) {
  const int function = std::strcmp(name, miss_function) == 0 ? functions[0] : functions[1];
  prepare(name, function, tables, count, text);
}

void entity_tables::push(const entity_set& set, const entity& e, int sf, int ef, const char* text) {
  const table t{&set, &e, sf, ef};
  prepare("", LUA_NOREF, &t, 1, text);
}

void lua_load_error(lua_State* L, cost_record& record, const char* fname, vocabularies& vocab) {
  assert(lua_gettop(L) >= 2);
  const int cost_idx = lua_gettop(L) - 1;
  const int names_idx = cost_idx + 1;

  cost_record answer;
  int isnum = 0;
  const lua_Number cost = lua_tonumberx(L, cost_idx, &isnum);
  answer.cost = isnum ? static_cast<double>(cost) : 0.0;

  // Most answers name at most a few errors: no allocation for them.
  int32_t few[16];
  std::vector<int32_t> many;
  int32_t* ids = few;
  size_t count = 0;
  auto add = [&](int32_t id) {
    if (count == 16 && ids == few) {
      many.assign(few, few + 16);
    }
    if (count >= 16) {
      many.push_back(id);
      ids = many.data();
    } else {
      few[count] = id;
    }
    count++;
  };

  if (lua_isnil(L, names_idx)) {
    // A correct outcome: no error types.
  } else if (lua_isstring(L, names_idx)) {
    add(error_id_at(L, names_idx, vocab.errors));
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
      add(error_id_at(L, -1, vocab.errors));
      lua_pop(L, 1);
    }
    std::sort(ids, ids + count);
  }
  answer.errors = vocab.error_lists.intern(ids, count);
  record = answer;
}

void compute_entities_miss_costs(lua_State* L, entity_tables& tables, entity_set& set,
                                 const char* text, const char* fname, vocabularies& vocab) {
  for_each_miss_query(set, [&](const entity& e, int sf, int ef, cost_record& record) {
    const entity_tables::table t{&set, &e, sf, ef};
    tables.prepare_call(miss_function, &t, 1, text);
    ask_cost(L, miss_function, 1, record, vocab);
    if (!usable_cost(record.cost)) {
      cost_fault(miss_function, record.cost, std::string(fname) + ":" + std::to_string(e.line));
    }
  });
}

void compute_substitution_errors_costs(lua_State* L, entity_tables& tables, const entity_set& ref,
                                       const entity_set& hyp, const segment_set& segs,
                                       substitution_costs& costs, const char* text,
                                       const char* ref_name, const char* hyp_name,
                                       vocabularies& vocab) {
  for_each_substitution_query(
      ref, hyp, segs, costs,
      [&](const entity& er, int sf, int ef, const entity& eh, cost_record& record) {
        const entity_tables::table t[2] = {{&ref, &er, sf, ef}, {&hyp, &eh, 0, 0}};
        tables.prepare_call(subst_function, t, 2, text);
        ask_cost(L, subst_function, 2, record, vocab);
        if (!usable_cost(record.cost)) {
          cost_fault(subst_function, record.cost,
                     std::string(ref_name) + ":" + std::to_string(er.line) + " / " + hyp_name +
                         ":" + std::to_string(eh.line));
        }
      });
}
