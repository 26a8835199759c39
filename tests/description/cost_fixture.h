// Hand-made entities and segments for the cost tests, and one-line renderings
// of the records the description's answers go into.
#pragma once

#include <string>
#include <vector>

#include "model/entity.h"
#include "model/segment.h"
#include "model/vocabulary.h"

entity make_entity(int tagid, std::vector<int> start, std::vector<int> end, bool hyp, int depth = 0,
                   const attr_list& attr = {});

segment make_segment(int start, int end, std::vector<entity*> entities);

// "-" for a record never asked; otherwise the cost, then ":" and the error
// names in stored order.
std::string show(const error_d& e, const name_table& errors);

// Rows separated by "|", entries by spaces.
std::string show(const cost_table& t, const name_table& errors);
