// The ways in which the reference entities that may start in a segment start:
// each at one of its end candidates, or deferred to a later start candidate.
#pragma once

#include <functional>
#include <map>

#include "alignment/align_node.h"
#include "model/entity.h"
#include "model/frontier_choice.h"
#include "model/segment.h"

// The decisions of one combination; an `ef` of -1 marks a deferred entity.
using start_choice_map = std::map<entity*, frontier_choice>;

// Hands every consistent combination of start decisions for the entities of
// seg.starting_ref_entities that pan's path has not started to `visit`, in
// lexicographic order over the slots (slot 0 varying slowest; deferral first,
// then the valid end candidates by increasing index).
void enumerate_start_choices(const align_node& pan, const segment& seg,
                             const std::function<void(const start_choice_map&)>& visit);
