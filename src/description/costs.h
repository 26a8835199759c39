// Asking the task description what each outcome costs.
#pragma once

#include <lua.hpp>
#include <vector>

#include "model/entity.h"
#include "model/error_d.h"
#include "model/segment.h"
#include "model/vocabulary.h"

// Pushes the table that describes entity `e` with start candidate `sf` and end
// candidate `ef`; `types` names its type. Stack: +1.
void lua_pushentity(lua_State* L, const entity& e, int sf, int ef, const char* data,
                    const name_table& types);

// Reads the two results of a finished cost call (the top two stack slots) into
// `err`, adding new error names to `errors`. `fname` names the script
// function in messages. Stack: unchanged.
void lua_load_error(lua_State* L, error_d& err, const char* fname, name_table& errors);

// Fills miss_errors of every entity.
void compute_entities_miss_costs(lua_State* L, std::vector<entity>& entities, const char* data,
                                 vocabularies& vocab);

// Fills subst_errors of the reference entities for the hypothesis entities
// they share a segment with.
void compute_substitution_errors_costs(lua_State* L, std::vector<segment>& segments,
                                       const char* data, vocabularies& vocab);
