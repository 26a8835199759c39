// The alternatives of pairing and not pairing the entities that start in a
// segment, for one combination of start decisions.
#pragma once

#include <list>

#include "alignment/align_node.h"
#include "alignment/start_choices.h"
#include "model/segment.h"

// Appends to `opened_nodes` one child of `pan` for each accepted alternative
// of `choices` over `seg`, by increasing alternative number.
void add_pairing_alternatives(align_node* pan, const segment& seg, const start_choice_map& choices,
                              std::list<align_node*>& opened_nodes);
