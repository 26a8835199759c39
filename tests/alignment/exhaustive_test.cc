// The search against the exhaustive reference solver, on seeded random small
// cases and on one long run made of many independent small clusters.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>

#include "alignment/align.h"
#include "base/fatal.h"
#include "fixture.h"
#include "reference_solver.h"
#include "support/test_support.h"

namespace {

const char* const no_choice_prefix =
    "ref.txt: Error: the reference's alternative boundaries admit no consistent choice at "
    "position ";

// Checks what every result must satisfy after cleanup_unmapped: every
// reference entity has a choice, and every entity is in exactly one pairing
// or listed once as unmapped.
void check_result_shape(scene& sc, const frontier_choice_map& frontiers) {
  EXPECT_EQ(sc.ref.size(), frontiers.size());
  for (const auto& [e, f] : frontiers) {
    EXPECT_FALSE(e->hyp);
    EXPECT_LT(e->start[f.sf], e->end[f.ef]);
  }
  cleanup_unmapped(sc.segments, sc.ref, sc.hyp);
  std::map<const entity*, int> seen;
  for (const segment& seg : sc.segments) {
    for (const segment::pairinfo& p : seg.added_pairs) {
      seen[p.er]++;
      seen[p.eh]++;
      EXPECT_TRUE(p.er->paired && p.eh->paired);
    }
    for (const entity* e : seg.unmapped_entities) {
      seen[e]++;
      EXPECT_FALSE(e->paired);
    }
  }
  EXPECT_EQ(sc.ref.size() + sc.hyp.size(), seen.size());
  for (const auto& [e, n] : seen) {
    EXPECT_EQ(1, n) << name(sc, e);
  }
}

// Runs the search and the solver on one scene and compares their costs.
void compare(scene& sc, const std::string& label) {
  std::optional<double> expected = least_cost(sc);
  frontier_choice_map frontiers;
  try {
    align(sc.segments, frontiers, "ref.txt");
  } catch (const fatal_error& err) {
#ifndef NDEBUG
    EXPECT_EQ(0, align_node::live_nodes);
#endif
    EXPECT_FALSE(expected) << label << ": solver found " << *expected;
    EXPECT_EQ(1, err.status);
    EXPECT_EQ(0u, err.text.rfind(no_choice_prefix, 0)) << err.text;
    return;
  }
#ifndef NDEBUG
  EXPECT_EQ(0, align_node::live_nodes);
#endif
  ASSERT_TRUE(expected) << label << ": search found " << render_result(sc, frontiers);
  EXPECT_EQ(*expected, result_cost(sc, frontiers)) << label << ": " << render_result(sc, frontiers);
  check_result_shape(sc, frontiers);
}

TEST(Exhaustive, HandMadeCases) {
  {
    // Crossing pairings would cost 0; the nesting rule leaves 2.
    scene sc;
    add_ref(sc, {0}, {10}, 1);
    add_ref(sc, {2}, {8}, 0);
    add_hyp(sc, 0, 10, 0);
    add_hyp(sc, 2, 8, 1);
    cut(sc);
    set_costs(
        sc, [](const entity& e, int, int) { return e.end[0] == 10 ? 5.0 : 1.0; },
        [](const entity&, int, int, const entity&) { return 0.0; });
    ASSERT_EQ(2.0, least_cost(sc));
    compare(sc, "nesting");
  }
  {
    // Alternative boundaries: the cheap pairing needs the later start.
    scene sc;
    add_ref(sc, {0, 2}, {8});
    add_hyp(sc, 2, 8);
    cut(sc);
    set_costs(
        sc, [](const entity&, int, int) { return 1.0; },
        [](const entity&, int sf, int, const entity&) { return sf == 1 ? 0.0 : 3.0; });
    ASSERT_EQ(0.0, least_cost(sc));
    compare(sc, "0/2/8");
  }
  {
    // A hypothesis entity that starts inside a reference entity.
    scene sc;
    add_ref(sc, {0}, {10});
    add_hyp(sc, 5, 10);
    cut(sc);
    set_costs(
        sc, [](const entity& e, int, int) { return e.hyp ? 2.0 : 3.0; },
        [](const entity&, int, int, const entity&) { return 1.0; });
    ASSERT_EQ(4.0, least_cost(sc));
    compare(sc, "later hypothesis");
  }
  {
    // A child that fits no choice of its parent.
    scene sc;
    add_ref(sc, {0}, {10});
    add_ref(sc, {2}, {12});
    sc.ref[1].parent = &sc.ref[0];
    cut(sc);
    set_costs(
        sc, [](const entity&, int, int) { return 1.0; },
        [](const entity&, int, int, const entity&) { return 1.0; });
    ASSERT_FALSE(least_cost(sc));
    compare(sc, "no choice");
  }
}

struct random_family {
  const char* label;
  unsigned seed;
  int rounds;
  random_shape shape;
};

random_shape shape_of(int nref, int nhyp, int positions, int candidates, int depths, bool links) {
  random_shape s;
  s.nref_max = nref;
  s.nhyp_max = nhyp;
  s.positions = positions;
  s.candidates = candidates;
  s.depths = depths;
  s.links = links;
  return s;
}

TEST(Exhaustive, SeededRandomCases) {
  // A fifth of the rounds by default; all 5 100 with ORVANE_FULL_TESTS=1.
  const random_family families[] = {
      {"candidates, depths and links", 1, 2500, shape_of(3, 3, 10, 2, 3, true)},
      {"candidates and depths", 2, 1500, shape_of(3, 3, 8, 3, 2, false)},
      {"annotated text, nested", 3, 800, shape_of(4, 4, 12, 1, 3, false)},
      {"annotated text, flat", 4, 300, shape_of(6, 6, 16, 1, 1, false)},
  };
  for (const random_family& family : families) {
    std::mt19937 rng(family.seed);
    const long rounds = test_size(family.rounds / 5, family.rounds);
    for (int round = 0; round < rounds; round++) {
      scene sc;
      random_scene(sc, rng, family.shape);
      compare(sc, std::string(family.label) + " #" + std::to_string(round));
      if (::testing::Test::HasFailure()) {
        return;
      }
    }
  }
}

// Many independent clusters placed one after the other: no pairing and no
// link crosses from one to the next, so the least cost of the whole is the
// sum of the clusters' least costs, which the solver finds one by one.
TEST(Exhaustive, LongRunOfIndependentClusters) {
  std::mt19937 rng(77);
  random_shape shape = shape_of(3, 3, 10, 2, 3, true);
  const int width = shape.positions + 2;
  scene whole;
  double expected = 0;
  int clusters = 0;
  std::vector<scene> parts;
  // 30 000 entities with ORVANE_FULL_TESTS=1.
  const size_t entities = static_cast<size_t>(test_size(6000, 30000));
  while (whole.ref.size() + whole.hyp.size() < entities) {
    scene part;
    random_scene(part, rng, shape);
    std::optional<double> cost = least_cost(part);
    if (!cost) {
      continue;
    }
    expected += *cost;
    int offset = clusters * width;
    for (const std::vector<entity>* side : {&part.ref, &part.hyp}) {
      for (const entity& e : *side) {
        std::vector<int> starts = e.start, ends = e.end;
        for (int& p : starts) {
          p += offset;
        }
        for (int& p : ends) {
          p += offset;
        }
        entity& copy = e.hyp ? add_hyp(whole, starts[0], ends[0], e.depth)
                             : add_ref(whole, starts, ends, e.depth);
        copy.miss_errors = e.miss_errors;
      }
    }
    // Links and substitution keys are pointers: they are translated once the
    // vectors of the whole have stopped growing.
    parts.push_back(std::move(part));
    clusters++;
  }
  // The vectors are final: translate links and substitution keys.
  size_t ref_base = 0, hyp_base = 0;
  for (const scene& part : parts) {
    for (size_t i = 0; i < part.ref.size(); i++) {
      const entity& e = part.ref[i];
      entity& copy = whole.ref[ref_base + i];
      if (e.parent) {
        copy.parent = &whole.ref[ref_base + (e.parent - part.ref.data())];
      }
      if (e.left_constraint) {
        copy.left_constraint = &whole.ref[ref_base + (e.left_constraint - part.ref.data())];
      }
      for (const auto& [h, table] : e.subst_errors) {
        copy.subst_errors[&whole.hyp[hyp_base + (h - part.hyp.data())]] = table;
      }
    }
    ref_base += part.ref.size();
    hyp_base += part.hyp.size();
  }
  cut(whole);
  frontier_choice_map frontiers = run_align(whole);
  EXPECT_EQ(expected, result_cost(whole, frontiers));
  check_result_shape(whole, frontiers);
  EXPECT_GT(static_cast<size_t>(clusters), entities / 10);
}

}  // namespace
