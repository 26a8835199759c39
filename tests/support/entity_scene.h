// The scene language of the tests: entity sets written as one line of text,
// and rendered back the same way, so that a test builds its entities and
// checks a whole result in the one notation.
//
//   "pers[0:4] org[0,2:9,12]d1^0<1{kind=company}@3"
//
// An entity: its type, its start candidates, ':', its end candidates, then
// optionally d<depth>, ^<parent index>, <<left constraint index> (an aref
// set's links), {name=value,...} attributes and @<line>. Entities are
// separated by blanks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/entity.h"
#include "model/vocabulary.h"

// Appends an entity and its attributes to `set` and returns its index.
int32_t append_entity(entity_set& set, int tagid, const std::vector<int32_t>& starts,
                      const std::vector<int32_t>& ends, bool hyp, int depth = 0, int line = 1,
                      const std::vector<std::pair<std::string, std::string>>& attributes = {});

// Appends the entities of `scene` to `set`, their types looked up in
// `types` (and added to it when new). A malformed scene fails the test.
void add_entities(entity_set& set, const std::string& scene, name_table& types, bool hyp);

// The entities of `set` in the scene language ("?" for an id slot no
// marker described), the depth always; the line only `with_lines`, and
// then where it is not 1.
std::string show_entities(const entity_set& set, const name_table& types, bool with_lines = false);
