// Hand-built entities, segments and costs for the alignment tests, compact
// one-line renderings of results, and the checks every result must pass.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "alignment/align.h"
#include "model/entity.h"
#include "model/segment.h"
#include "model/view.h"

// Entities of both sides, the segments cut from them and the cost tables.
// Entities and links come first, then `cut`, then `set_costs`.
struct scene {
  entity_set ref;
  entity_set hyp;
  segment_set segs;
  substitution_costs costs;
};

// Appends an entity and returns its index in its set.
int add_ref(scene& sc, const std::vector<int32_t>& starts, const std::vector<int32_t>& ends,
            int depth = 0);
int add_hyp(scene& sc, int32_t start, int32_t end, int depth = 0);

// Gives reference entity r a parent and a preceding sibling (-1: none).
void link(scene& sc, int r, int parent, int left_constraint = -1);

// Cuts the segments at every candidate of either side.
void cut(scene& sc);

// An entity as the cost functions see it.
struct costed {
  bool hyp;
  int id;  // index in its set
  int depth;
  view<const int32_t> starts;
  view<const int32_t> ends;
};

using miss_fn = std::function<double(const costed& e, int sf, int ef)>;
using subst_fn = std::function<double(const costed& r, int sf, int ef, const costed& h)>;

// Fills every record the description would be asked for, by the program's
// own rule, each marked as asked. Call after `cut`.
void set_costs(scene& sc, const miss_fn& miss, const subst_fn& subst);

// One miss cost per side and one substitution cost for every pair.
void set_flat_costs(scene& sc, double miss_ref, double miss_hyp, double subst);

// "r0", "h2"; an unmapped id (h as -1 - h) likewise.
std::string ref_name(int r);
std::string hyp_name(int h);
std::string id_name(int32_t id);

// The choices, then each segment that holds a decision, by start position:
// "r0(0,1) | 0: r0=h0 -h1 | 5: -r1".
std::string render_result(const scene& sc, const alignment_result& result);

// Runs align with "ref.txt" as the reference's name.
alignment_result run_align(const scene& sc, const search_limits& limits = search_limits());

// Limits with at most `partial_solutions` partial solutions at once.
search_limits at_most(size_t partial_solutions);

// Only the partial solutions kept at once are limited.
search_limits keeping_at_most(size_t partial_solutions);

// Cost of the chosen path, read from a result before cleanup_unmapped.
double result_cost(const scene& sc, const alignment_result& result);

// The index of the segment that opens at `pos`, or -1.
int segment_at(const scene& sc, int32_t pos);

// Checks what every result of align must satisfy, before and after
// cleanup_unmapped (applied to a copy): a valid choice per reference entity,
// each decision in the segment where it was due and in the order of
// decision, the records charged, and every entity accounted for once.
void check_result_shape(const scene& sc, const alignment_result& result);

// Whether two results are the same in every field.
bool same_result(const alignment_result& a, const alignment_result& b);

// Shape of random scenes for the comparisons with the reference models.
struct random_shape {
  int nref_max = 3;
  int nhyp_max = 3;
  int positions = 10;   // every candidate lies in [0, positions]
  int candidates = 2;   // at most this many start and end candidates per reference entity
  int depths = 3;       // depths drawn from [0, depths)
  bool links = false;   // draw parent and left_constraint links (any other entity, cycles too)
  int cost_values = 5;  // costs drawn as (k - cost_offset) * cost_unit, k from [0, cost_values)
  int cost_offset = 0;
  double cost_unit = 1;
};

// Entities as the entities subsystem leaves them (strictly increasing
// candidates, a non-empty first span, no start at or after the last end), cut
// into segments, with random costs.
void random_scene(scene& sc, std::mt19937& rng, const random_shape& shape);
