// Hand-built entities, segments and costs for the alignment tests, and compact
// one-line renderings of nodes and results.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "alignment/align_node.h"
#include "entities/segments.h"
#include "model/entity.h"
#include "model/frontier_choice.h"

// Entities of both sides and the segments cut from them. Entities are added
// first, then `cut` takes pointers into the vectors, which must not grow after.
struct scene {
  std::vector<entity> ref;
  std::vector<entity> hyp;
  std::vector<segment> segments;
};

entity& add_ref(scene& sc, std::vector<int> starts, std::vector<int> ends, int depth = 0);
entity& add_hyp(scene& sc, int start, int end, int depth = 0);

// Cuts the segments at every candidate of either side.
void cut(scene& sc);

using miss_fn = std::function<double(const entity& e, int sf, int ef)>;
using subst_fn = std::function<double(const entity& r, int sf, int ef, const entity& h)>;

// Fills every cost the description would be asked for (non-empty spans; for
// pairings, entities that share a segment and overlapping or touching spans),
// each record marked as asked. Call after `cut`.
void set_costs(scene& sc, const miss_fn& miss, const subst_fn& subst);

// "r0", "h2".
std::string name(const scene& sc, const entity* e);

// The choices, then each segment that holds something, by start position:
// "r0(0,1) | 0: r0=h0 -h1 | 5: -r1".
std::string render_result(const scene& sc, const frontier_choice_map& frontiers);

// "3: r0=h0 -h1 {r0,h0} [h0:r0] r0(0,1)": score, pairs made, unmapped,
// active set, open pairings and choices.
std::string render_node(const scene& sc, const align_node& an);

// Runs align with "ref.txt" as the reference's name and checks that no node
// is left alive.
frontier_choice_map run_align(scene& sc);

// Cost of the chosen path, read from the result before cleanup_unmapped.
double result_cost(const scene& sc, const frontier_choice_map& frontiers);

// A segment with no entity, from start to end, for tests of nodes alone.
segment bare_segment(int start, int end);

// Shape of random scenes for the comparisons with simple reference models.
struct random_shape {
  int nref_max = 3;
  int nhyp_max = 3;
  int positions = 10;   // every candidate lies in [0, positions]
  int candidates = 2;   // at most this many start and end candidates per reference entity
  int depths = 3;       // depths drawn from [0, depths)
  bool links = false;   // draw parent and left_constraint links (any other entity, cycles too)
  int cost_values = 5;  // integer costs drawn from [0, cost_values)
};

// Entities as the entities subsystem leaves them (strictly increasing
// candidates, a non-empty first span, no start at or after the last end), cut
// into segments, with random integer costs.
void random_scene(scene& sc, std::mt19937& rng, const random_shape& shape);

// Base of the tests that expand hand-made nodes: owns the nodes it makes and
// checks at the end that none is left alive.
class node_test : public ::testing::Test {
 protected:
  void TearDown() override;
  // A node to expand over segment sid: the root for the first segment,
  // otherwise a node of segment sid - 1 holding the given reference choices.
  align_node* pan(int sid, std::vector<std::pair<int, frontier_choice>> choices = {});

  scene sc;
  std::vector<align_node*> made;
};
