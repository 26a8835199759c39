// Asking the task description what each outcome costs.
#pragma once

#include <lua.hpp>
#include <string>
#include <vector>

#include "model/cost_record.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

// Makes the calls of the cost functions: fetches the function by name and
// builds the entity tables handed to it, in one protected call. The key
// strings, the function names and the type names wait in the interpreter's
// registry, so that a table is built without hashing or copying a string
// Lua already holds; long texts pushed again (a reference entity asked about
// with each hypothesis entity it spans) come from a small cache keyed by
// entity and candidates: the sets and the text must stay as they are while
// the object lives (one evaluation).
class entity_tables {
 public:
  // Registers the names in L's registry. Stack: unchanged.
  entity_tables(lua_State* L, const name_table& types);
  // Frees the registry's entries, so that an interpreter serving many
  // evaluations does not grow with them.
  ~entity_tables();
  entity_tables(const entity_tables&) = delete;
  entity_tables& operator=(const entity_tables&) = delete;

  // One entity table: entity `e` of `set` with start candidate `sf` and end
  // candidate `ef`.
  struct table {
    const entity_set* set;
    const entity* e;
    int sf;
    int ef;
  };

  // Pushes the global function `name` (one of the two cost functions) and
  // the tables for it; a missing or non-function global, or a lookup that
  // raises, is a fault of the description. `text` is the reference's bare
  // text. Stack: +1 + count.
  void prepare_call(const char* name, const table* tables, int count, const char* text);

  // Whether the tables were made for exactly these type names, so that a
  // later evaluation may use them.
  bool serves(const name_table& type_names) const { return names == type_names.names(); }

  // Forgets the entity values kept from the calls so far: the next
  // evaluation's entities may lie where this one's did.
  void forget_values();

  // Pushes one table alone. Stack: +1.
  void push(const entity_set& set, const entity& e, int sf, int ef, const char* text);

  struct cached_value {
    const entity_set* set = nullptr;
    const entity* e = nullptr;
    int sf = 0;
    int ef = 0;
    int ref = LUA_NOREF;  // the Lua string, in the registry
  };

 private:
  void prepare(const char* name, int function, const table* tables, int count, const char* text);
  lua_State* L;
  int keys[6];                     // type, hyp, spos, epos, attr, value
  int functions[2];                // get_miss_cost, get_substitution_cost
  std::vector<int> types;          // by type id
  std::vector<std::string> names;  // of the types
  std::string escaped[2];          // reused, one per table of a call
  cached_value cache[16];
};

// Reads the two results of a finished cost call (the top two stack slots)
// into `record`: its cost, and its error names as a list interned in
// `vocab` (new names are added to the error vocabulary). `fname` names the
// script function in messages. Stack: unchanged.
void lua_load_error(lua_State* L, cost_record& record, const char* fname, vocabularies& vocab);

// Asks get_miss_cost for every usable candidate pair of every entity of `set`.
// A cost that is not a number or is -inf ends the run, naming the entity
// by `fname` and line.
void compute_entities_miss_costs(lua_State* L, entity_tables& tables, entity_set& set,
                                 const char* text, const char* fname, vocabularies& vocab);

// Asks get_substitution_cost for the pairs of entities that share a segment.
void compute_substitution_errors_costs(lua_State* L, entity_tables& tables, const entity_set& ref,
                                       const entity_set& hyp, const segment_set& segs,
                                       substitution_costs& costs, const char* text,
                                       const char* ref_name, const char* hyp_name,
                                       vocabularies& vocab);
