// A deliberately simple exhaustive solver, for comparison with the search on
// tiny inputs: it tries every choice of candidates and every pairing.
#pragma once

#include <optional>
#include <vector>

#include "fixture.h"
#include "model/frontier_choice.h"

// The cost of one solution: a choice per reference entity and, per reference
// entity, its partner in the hypothesis (-1 for none); nothing when the
// solution breaks a rule. A solution chooses one (start, end) candidate pair
// with start < end for every reference entity, inside its parent's chosen
// span (a parent starting at the same position must come earlier in the set)
// and not before its left sibling's chosen end (unless past the sibling's
// last end); it pairs overlapping entities, each at most once, never crossing
// the nesting depths of two pairings open together. An entity pays its miss
// cost unless it is paired with a partner that started no later than itself.
std::optional<double> solution_cost(const scene& sc, const std::vector<frontier_choice>& choice,
                                    const std::vector<int>& partner);

// The same for the solution that an alignment result describes.
std::optional<double> solution_cost(const scene& sc, const alignment_result& result);

// The least cost of an alignment of the scene's entities, or nothing when the
// reference's candidates admit no consistent choice.
std::optional<double> least_cost(const scene& sc);
