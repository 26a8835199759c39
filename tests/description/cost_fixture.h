// Hand-made entities for the cost tests, and one-line renderings of the
// records the description's answers go into.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/cost_record.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

// Attribute (name, value) pairs, in document order.
using attr_list = std::vector<std::pair<std::string, std::string>>;

// Appends an entity to `set`, its attributes to the set's pool, and returns
// its index.
int32_t add_entity(entity_set& set, int tagid, const std::vector<int32_t>& start,
                   const std::vector<int32_t>& end, bool hyp, int depth = 0,
                   const attr_list& attr = {});

// "-" for a record never asked; otherwise the cost, then ":" and the error
// names in stored order.
std::string show(const cost_record& record, const vocabularies& vocab);

// The miss records of entity `e`: rows separated by "|", entries by spaces.
std::string show_miss(const entity_set& set, int32_t e, const vocabularies& vocab);

// The substitution records of reference entity `r` with hypothesis entity
// `h`, as show_miss shows them; "none" when the pair has no table.
std::string show_subst(const substitution_costs& costs, const entity_set& ref, int32_t r, int32_t h,
                       const vocabularies& vocab);

// `size` bytes of text in which every long span reads differently: letters
// without a pattern, with a tab and a run of two spaces now and then, which
// the tables show escaped.
std::string varied_text(size_t size);
