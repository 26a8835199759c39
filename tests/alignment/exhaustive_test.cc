// The search against the reference models: the exhaustive solver for the
// least cost, and the literal search for the very result (tie-breaks
// included) and for the limits; on hand-made cases, on seeded random small
// cases and on one long run made of many independent small clusters.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "alignment/align.h"
#include "base/fatal.h"
#include "fixture.h"
#include "literal_search.h"
#include "reference_solver.h"
#include "support/test_support.h"

namespace {

const char* const no_choice_prefix =
    "ref.txt: Error: the reference's alternative boundaries admit no consistent choice at "
    "position ";

// The search says why no choice is consistent (at the marker of the entity
// that cannot be placed, or where), the literal model only where: both name
// the same fault.
bool is_no_choice(const std::string& error) {
  return error.rfind(no_choice_prefix, 0) == 0 ||
         error.find(": Error: Malformed annotation, annotation ") != std::string::npos ||
         error.find("number a parent before its children") != std::string::npos;
}

std::string normalized(const std::string& error) {
  return is_no_choice(error) ? "no consistent choice" : error;
}

// The outcome of align as the literal search gives it: a result, or the message.
literal_outcome run_search(const scene& sc, const search_limits& limits = search_limits()) {
  literal_outcome out;
  try {
    out.result = run_align(sc, limits);
    out.ok = true;
  } catch (const fatal_error& err) {
    EXPECT_EQ(1, err.status) << err.text;
    out.error = err.text;
  }
  return out;
}

// Runs the search and both models on one scene and compares them.
void compare(const scene& sc, const std::string& label) {
  const std::optional<double> expected = least_cost(sc);
  const literal_outcome literal = literal_align(sc);
  const literal_outcome got = run_search(sc);
  if (!got.ok) {
    EXPECT_FALSE(expected) << label << ": solver found " << *expected;
    EXPECT_TRUE(is_no_choice(got.error)) << label << ": " << got.error;
    EXPECT_EQ(normalized(literal.error), normalized(got.error)) << label;
    return;
  }
  ASSERT_TRUE(expected) << label << ": search found " << render_result(sc, got.result);
  const alignment_result& result = got.result;
  // Costs are summed in other orders here: equal up to rounding.
  EXPECT_NEAR(*expected, result_cost(sc, result), 1e-9)
      << label << ": " << render_result(sc, result);
  // The result is a solution of the solver's own rules, at the least cost.
  const std::optional<double> own = solution_cost(sc, result);
  ASSERT_TRUE(own) << label << ": " << render_result(sc, result);
  EXPECT_NEAR(*expected, *own, 1e-9) << label << ": " << render_result(sc, result);
  check_result_shape(sc, result);
  // The very alignment of the literal search, tie-breaks included.
  ASSERT_TRUE(literal.ok) << label << ": " << literal.error;
  EXPECT_TRUE(same_result(literal.result, result))
      << label << ": literal " << render_result(sc, literal.result) << ", search "
      << render_result(sc, result);
  // Nothing depends on anything but the input.
  EXPECT_TRUE(same_result(result, run_align(sc))) << label;

  // As many partial solutions at once as the literal search keeps: enough
  // with that limit, and one fewer ends the run where the literal search
  // says. (Alternatives are not limited here: where all of a segment's
  // alternatives end in one state, the search looks for the cheapest
  // without trying them all, and counts its steps instead.)
  for (size_t fewer : {0, 1}) {
    // With no segment, nothing is kept at all.
    if (literal.peak <= size_t(fewer)) {
      continue;
    }
    const size_t limit = literal.peak - size_t(fewer);
    const literal_outcome limited = run_search(sc, keeping_at_most(limit));
    const literal_outcome literal_limited = literal_align(sc, keeping_at_most(limit));
    EXPECT_EQ(literal_limited.ok, limited.ok) << label << " at most " << limit;
    EXPECT_EQ(normalized(literal_limited.error), normalized(limited.error))
        << label << " at most " << limit;
    if (!fewer) {
      EXPECT_EQ(std::string::npos, limited.error.find("partial solutions")) << label;
    } else {
      EXPECT_FALSE(limited.ok) << label;
    }
    if (limited.ok) {
      EXPECT_TRUE(same_result(result, limited.result)) << label;
    }
  }
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
        sc, [](const costed& e, int, int) { return e.ends[0] == 10 ? 5.0 : 1.0; },
        [](const costed&, int, int, const costed&) { return 0.0; });
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
        sc, [](const costed&, int, int) { return 1.0; },
        [](const costed&, int sf, int, const costed&) { return sf == 1 ? 0.0 : 3.0; });
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
        sc, [](const costed& e, int, int) { return e.hyp ? 2.0 : 3.0; },
        [](const costed&, int, int, const costed&) { return 1.0; });
    ASSERT_EQ(4.0, least_cost(sc));
    compare(sc, "later hypothesis");
  }
  {
    // A child that fits no choice of its parent.
    scene sc;
    add_ref(sc, {0}, {10});
    add_ref(sc, {2}, {12});
    link(sc, 1, 0);
    cut(sc);
    set_flat_costs(sc, 1, 1, 1);
    ASSERT_FALSE(least_cost(sc));
    compare(sc, "no choice");
  }
  {
    // The same pairs made in another order are two partial solutions: r0
    // paired at 0 and r1 at 1, or r1 at 0 and r0 at 1, both ending at 3 (a
    // choice that no longer matters) and all four entities still paired.
    scene sc;
    add_ref(sc, {0, 1}, {3, 10});
    add_ref(sc, {0, 1}, {3, 10});
    add_hyp(sc, 0, 10);
    add_hyp(sc, 0, 10);
    cut(sc);
    set_flat_costs(sc, 1, 1, 0);
    compare(sc, "pairs in another order");
  }
}

struct random_family {
  const char* label;
  unsigned seed;
  int rounds;
  random_shape shape;
};

random_shape shape_of(int nref, int nhyp, int positions, int candidates, int depths, bool links,
                      int cost_offset = 0, double cost_unit = 1) {
  random_shape s;
  s.cost_offset = cost_offset;
  s.cost_unit = cost_unit;
  s.nref_max = nref;
  s.nhyp_max = nhyp;
  s.positions = positions;
  s.candidates = candidates;
  s.depths = depths;
  s.links = links;
  return s;
}

TEST(Exhaustive, SeededRandomCases) {
  // A fifth of the rounds by default; all 6 100 with ORVANE_FULL_TESTS=1.
  const random_family families[] = {
      {"candidates, depths and links", 1, 2500, shape_of(3, 3, 10, 2, 3, true)},
      {"candidates and depths", 2, 1500, shape_of(3, 3, 8, 3, 2, false)},
      {"annotated text, nested", 3, 800, shape_of(4, 4, 12, 1, 3, false)},
      {"annotated text, flat", 4, 300, shape_of(6, 6, 16, 1, 1, false)},
      // Negative costs, and tenths whose sums round differently by order.
      {"negative and fractional costs", 6, 1000, shape_of(3, 3, 10, 2, 3, true, 2, 0.1)},
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

// Random limits on random scenes: the search ends where the literal search
// ends, with the same message, or gives the same result.
TEST(Exhaustive, RandomLimits) {
  std::mt19937 rng(5);
  const random_shape shape = shape_of(4, 4, 10, 2, 2, true);
  const long rounds = test_size(300, 1500);
  int stopped = 0;
  for (int round = 0; round < rounds; round++) {
    scene sc;
    random_scene(sc, rng, shape);
    search_limits limits;
    limits.max_partial_solutions = std::uniform_int_distribution<size_t>(1, 4)(rng);
    const literal_outcome literal = literal_align(sc, limits);
    const literal_outcome got = run_search(sc, limits);
    const std::string label = "round " + std::to_string(round);
    ASSERT_EQ(literal.ok, got.ok) << label << ": " << literal.error << got.error;
    EXPECT_EQ(normalized(literal.error), normalized(got.error)) << label;
    if (got.ok) {
      EXPECT_TRUE(same_result(literal.result, got.result)) << label;
    } else if (!is_no_choice(got.error)) {
      stopped++;
    }
  }
  // Both limits are met often enough to matter.
  EXPECT_GT(stopped, rounds / 20);
}

// Many independent clusters placed one after the other: no pairing and no
// link crosses from one to the next, so the least cost of the whole is the
// sum of the clusters' least costs, which the solver finds one by one.
TEST(Exhaustive, LongRunOfIndependentClusters) {
  std::mt19937 rng(77);
  const random_shape shape = shape_of(3, 3, 10, 2, 3, true);
  const int width = shape.positions + 2;
  struct placed {
    scene part;
    int ref_base, hyp_base;
  };
  std::vector<placed> parts;
  scene whole;
  double expected = 0;
  // 30 000 entities with ORVANE_FULL_TESTS=1.
  const size_t entities = static_cast<size_t>(test_size(6000, 30000));
  while (whole.ref.size() + whole.hyp.size() < entities) {
    scene part;
    random_scene(part, rng, shape);
    const std::optional<double> cost = least_cost(part);
    if (!cost) {
      continue;
    }
    expected += *cost;
    const int offset = static_cast<int>(parts.size()) * width;
    const int ref_base = static_cast<int>(whole.ref.size());
    const int hyp_base = static_cast<int>(whole.hyp.size());
    for (size_t i = 0; i < part.ref.size(); i++) {
      const entity& e = part.ref[i];
      std::vector<int32_t> starts(part.ref.starts(e).begin(), part.ref.starts(e).end());
      std::vector<int32_t> ends(part.ref.ends(e).begin(), part.ref.ends(e).end());
      for (int32_t& p : starts) {
        p += offset;
      }
      for (int32_t& p : ends) {
        p += offset;
      }
      add_ref(whole, starts, ends, e.depth);
    }
    for (size_t i = 0; i < part.ref.size(); i++) {
      const int32_t p = part.ref.parent(i), l = part.ref.left_constraint(i);
      if (p >= 0 || l >= 0) {
        link(whole, ref_base + int(i), p >= 0 ? ref_base + p : -1, l >= 0 ? ref_base + l : -1);
      }
    }
    for (size_t i = 0; i < part.hyp.size(); i++) {
      const entity& e = part.hyp[i];
      add_hyp(whole, part.hyp.first_start(e) + offset, part.hyp.last_end(e) + offset, e.depth);
    }
    parts.push_back(placed{std::move(part), ref_base, hyp_base});
  }
  cut(whole);
  // Each entity costs in the whole what it cost in its cluster.
  std::vector<int> ref_part(whole.ref.size()), hyp_part(whole.hyp.size());
  for (size_t k = 0; k < parts.size(); k++) {
    for (size_t i = 0; i < parts[k].part.ref.size(); i++) {
      ref_part[size_t(parts[k].ref_base) + i] = int(k);
    }
    for (size_t i = 0; i < parts[k].part.hyp.size(); i++) {
      hyp_part[size_t(parts[k].hyp_base) + i] = int(k);
    }
  }
  set_costs(
      whole,
      [&](const costed& e, int sf, int ef) {
        const placed& p = parts[size_t(e.hyp ? hyp_part[size_t(e.id)] : ref_part[size_t(e.id)])];
        const entity_set& set = e.hyp ? p.part.hyp : p.part.ref;
        const cost_record& record =
            set.miss_record(set[size_t(e.id - (e.hyp ? p.hyp_base : p.ref_base))], sf, ef);
        EXPECT_TRUE(record.asked());
        return record.cost;
      },
      [&](const costed& r, int sf, int ef, const costed& h) {
        const placed& p = parts[size_t(ref_part[size_t(r.id)])];
        EXPECT_EQ(ref_part[size_t(r.id)], hyp_part[size_t(h.id)]);
        const substitution_costs::partner* table =
            p.part.costs.find(r.id - p.ref_base, h.id - p.hyp_base);
        EXPECT_NE(nullptr, table);
        const cost_record& record =
            p.part.costs
                .records[table->records +
                         uint32_t(sf) * p.part.ref[size_t(r.id - p.ref_base)].nends + uint32_t(ef)];
        EXPECT_TRUE(record.asked());
        return record.cost;
      });
  const alignment_result result = run_align(whole);
  EXPECT_EQ(expected, result_cost(whole, result));
  EXPECT_EQ(expected, solution_cost(whole, result));
  check_result_shape(whole, result);
  EXPECT_GT(parts.size(), entities / 10);
  // Written cluster by cluster as each leaves one partial solution, it is the
  // literal search's result, and needs no more room than that search.
  const literal_outcome literal = literal_align(whole);
  ASSERT_TRUE(literal.ok) << literal.error;
  EXPECT_TRUE(same_result(literal.result, result));
  const literal_outcome limited = run_search(whole, at_most(literal.peak));
  EXPECT_EQ(literal_align(whole, at_most(literal.peak)).error, limited.error);
  if (limited.ok) {
    EXPECT_TRUE(same_result(result, limited.result));
  }
}

}  // namespace
