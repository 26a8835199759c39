// Tests of the search through align(): results and tie-breaks on hand-made
// cases, the start decisions of entities with several candidates and their
// links, the merging of equivalent partial solutions, the limits of the
// search, the fatal error for references that admit no consistent choice,
// and long runs.
#include "alignment/align.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture.h"
#include "literal_search.h"
#include "support/test_support.h"

namespace {

// The search's result, rendered, once its shape is checked and the literal
// search has agreed with it.
std::string aligned(const scene& sc, const search_limits& limits = search_limits()) {
  const alignment_result result = run_align(sc, limits);
  check_result_shape(sc, result);
  const literal_outcome literal = literal_align(sc, limits);
  EXPECT_TRUE(literal.ok) << literal.error;
  EXPECT_TRUE(same_result(literal.result, result))
      << "literal: " << render_result(sc, literal.result);
  return render_result(sc, result);
}

std::string limit_message(const std::string& what, int position) {
  return "ref.txt: Error: the least-cost alignment needs more than " + what + " at position " +
         std::to_string(position) + " (see --search-limit).\n";
}

TEST(Align, NoSegmentsWritesNothing) {
  scene sc;
  cut(sc);
  const alignment_result result = run_align(sc);
  EXPECT_TRUE(result.pairs.empty());
  EXPECT_TRUE(result.unmapped.empty());
  EXPECT_TRUE(result.chosen.empty());
}

TEST(Align, HypothesesAloneAreLeftUnpaired) {
  scene sc;
  add_hyp(sc, 0, 5);
  add_hyp(sc, 2, 5);
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  EXPECT_EQ(" | 0: -h0 | 2: -h1", aligned(sc));
}

TEST(Align, SameSpanIsPairedOnlyWhenStrictlyCheaper) {
  const struct {
    double subst;
    const char* expected;
  } cases[] = {
      {1.5, "r0(0,0) | 0: r0=h0"},
      {2, "r0(0,0) | 0: -r0 -h0"},  // a tie keeps the alternative made first
      {3, "r0(0,0) | 0: -r0 -h0"},
      {-1, "r0(0,0) | 0: r0=h0"},
  };
  for (const auto& c : cases) {
    scene sc;
    add_ref(sc, {0}, {5});
    add_hyp(sc, 0, 5);
    cut(sc);
    set_flat_costs(sc, 1, 1, c.subst);
    EXPECT_EQ(c.expected, aligned(sc)) << c.subst;
  }
}

TEST(Align, HypothesisStartingLaterPairsWithTheOpenReference) {
  for (double subst : {1.0, 2.0}) {
    scene sc;
    add_ref(sc, {0}, {10});
    add_hyp(sc, 5, 10);
    cut(sc);
    set_flat_costs(sc, 3, 2, subst);
    // The miss cost of r0 stays in the path's cost when h0 pairs with it.
    EXPECT_EQ(subst < 2 ? "r0(0,0) | 0: -r0 | 5: r0=h0" : "r0(0,0) | 0: -r0 | 5: -h0", aligned(sc));
  }
}

TEST(Align, ReferenceStartingLaterPairsWithTheOpenHypothesis) {
  scene sc;
  add_ref(sc, {5}, {10});
  add_hyp(sc, 0, 10);
  cut(sc);
  set_flat_costs(sc, 3, 2, 1);
  EXPECT_EQ("r0(0,0) | 0: -h0 | 5: r0=h0", aligned(sc));
}

TEST(Align, ReferenceEndingWhereTheHypothesisStartsIsNoPartner) {
  for (int ef : {0, 1}) {
    // r0 may end at 5, where h0 starts, or at 10.
    scene sc;
    add_ref(sc, {0}, {5, 10});
    add_hyp(sc, 5, 10);
    cut(sc);
    set_costs(
        sc, [&](const costed& e, int, int f) { return e.hyp     ? 2.0
                                                      : f == ef ? 1.0
                                                                : 9.0; },
        [](const costed&, int, int, const costed&) { return 0.0; });
    EXPECT_EQ(ef == 0 ? "r0(0,0) | 0: -r0 | 5: -h0" : "r0(0,1) | 0: -r0 | 5: r0=h0", aligned(sc));
  }
}

TEST(Align, AlternativeBoundariesAreChosenByCost) {
  scene sc;
  add_ref(sc, {0, 2}, {8});
  add_hyp(sc, 2, 8);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int) { return e.hyp ? 2.0 : 8.0; },
      [](const costed&, int sf, int, const costed&) { return sf == 1 ? 0.0 : 2.0; });
  EXPECT_EQ("r0(1,0) | 2: r0=h0", aligned(sc));
}

TEST(Align, CostsFollowTheChosenCandidates) {
  scene sc;
  add_ref(sc, {0}, {4, 8});
  add_hyp(sc, 0, 8);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int ef) { return e.hyp ? 1.0 : 3.0 + ef; },
      [](const costed&, int, int ef, const costed&) { return 10.0 * ef + 5; });
  // Unpaired at (0, 4): 3 + 1; paired at (0, 4): 5; unpaired at (0, 8): 4 + 1.
  EXPECT_EQ("r0(0,0) | 0: -r0 -h0", aligned(sc));
  const alignment_result result = run_align(sc);
  EXPECT_EQ(4.0, result_cost(sc, result));
}

TEST(Align, TiesKeepTheAlternativeMadeFirst) {
  {
    // Waiting for the later start is enumerated before starting now.
    scene sc;
    add_ref(sc, {0, 2}, {8});
    cut(sc);
    set_flat_costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(1,0) | 2: -r0", aligned(sc));
  }
  {
    // The lower end candidate comes first.
    scene sc;
    add_ref(sc, {0}, {5, 9});
    cut(sc);
    set_flat_costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(0,0) | 0: -r0", aligned(sc));
  }
  {
    // The first target comes first.
    scene sc;
    add_ref(sc, {0}, {5});
    add_hyp(sc, 0, 5);
    add_hyp(sc, 0, 5);
    cut(sc);
    set_flat_costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(0,0) | 0: r0=h0 -h1", aligned(sc));
  }
  {
    // Equal totals on two paths: pairing r0 with h0 (3, then 2 for missing
    // h1) or with h1 (2 and 2 for the misses at 0, then 1). The partial
    // solution made first at 6 comes from the path that left r0 unpaired.
    scene sc;
    add_ref(sc, {0}, {10});
    add_hyp(sc, 0, 4);
    add_hyp(sc, 6, 10);
    cut(sc);
    set_costs(
        sc, [](const costed&, int, int) { return 2.0; },
        [](const costed&, int, int, const costed& h) { return h.starts[0] == 0 ? 3.0 : 1.0; });
    EXPECT_EQ("r0(0,0) | 0: -r0 -h0 | 6: r0=h1", aligned(sc));
  }
}

TEST(Align, EarlierSlotVariesSlowest) {
  // Two combinations tie: r0 ending at 5 with r1 at 7 paired with h0, and
  // r0 ending at 9 paired with h0 with r1 at 6. The first slot's first end
  // comes with each of the second slot's ends before its second end does.
  scene sc;
  add_ref(sc, {0}, {5, 9});
  add_ref(sc, {0}, {6, 7});
  add_hyp(sc, 0, 7);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int ef) { return e.hyp     ? 2.0
                                                    : ef == 0 ? 1.0
                                                              : 3.0; },
      [](const costed&, int, int ef, const costed&) { return ef == 1 ? 0.0 : 5.0; });
  EXPECT_EQ("r0(0,0) r1(0,1) | 0: r1=h0 -r0", aligned(sc));
}

TEST(Align, EntityStartedAtAnEarlierCandidateIsNotStartedAgain) {
  scene sc;
  add_ref(sc, {0, 2}, {8});
  cut(sc);
  set_costs(
      sc, [](const costed&, int sf, int) { return sf == 0 ? 1.0 : 3.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,0) | 0: -r0", aligned(sc));
}

TEST(Align, OneChoicePerEndCandidate) {
  for (int cheap : {0, 1}) {
    scene sc;
    add_ref(sc, {0}, {5, 9});
    cut(sc);
    set_costs(
        sc, [&](const costed&, int, int ef) { return ef == cheap ? 1.0 : 2.0; },
        [](const costed&, int, int, const costed&) { return 0.0; });
    EXPECT_EQ("r0(0," + std::to_string(cheap) + ") | 0: -r0", aligned(sc));
  }
}

TEST(Align, DeferredEntityStartsAtItsLastStartCandidate) {
  // However much dearer the last start is, an entity deferred to it starts there.
  scene sc;
  add_ref(sc, {0, 2, 4}, {5, 9});
  cut(sc);
  set_costs(
      sc, [](const costed&, int sf, int ef) { return sf == 2 ? 9.0 - ef : 10.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(2,1) | 4: -r0", aligned(sc));
}

TEST(Align, EndBeforeTheStartIsNeverChosen) {
  // At 6, the end candidate 5 lies before the start.
  scene sc;
  add_ref(sc, {0, 6}, {5, 9});
  cut(sc);
  set_costs(
      sc, [](const costed&, int sf, int) { return sf == 0 ? 10.0 : 1.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(1,1) | 6: -r0", aligned(sc));
}

TEST(Align, EmptySpanIsNeverChosen) {
  // The start candidate 5 equals the end candidate 5: (5, 5) has no cost,
  // and the records the search charges must all have been asked for.
  scene sc;
  add_ref(sc, {0, 5}, {5, 9});
  cut(sc);
  ASSERT_EQ(2u, sc.segs.size());
  set_costs(
      sc, [](const costed&, int sf, int) { return sf == 0 ? 10.0 : 1.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(1,1) | 5: -r0", aligned(sc));
}

TEST(Align, ParentForcesACostlierChoice) {
  scene sc;
  add_ref(sc, {0}, {5, 10});
  add_ref(sc, {6}, {8});
  link(sc, 1, 0);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int ef) { return e.ends.size() == 2 && ef == 1 ? 5.0 : 1.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,1) r1(0,0) | 0: -r0 | 6: -r1", aligned(sc));
}

TEST(Align, ChildStaysInsideItsParentsChosenSpan) {
  // r1 may end at 12 only inside r0 ending at 14.
  scene sc;
  add_ref(sc, {0}, {10, 14});
  add_ref(sc, {2}, {6, 12});
  link(sc, 1, 0);
  cut(sc);
  set_costs(
      sc,
      [](const costed& e, int, int ef) {
        return e.id == 0 ? (ef == 0 ? 1.0 : 3.0) : (ef == 0 ? 5.0 : 0.0);
      },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,1) r1(0,1) | 0: -r0 | 2: -r1", aligned(sc));
}

TEST(Align, ChildInALaterSlotNeedsItsParentStarted) {
  // While its parent waits for 4, r1, which cannot wait, has no decision:
  // the parent starts at 0 however much dearer that is.
  scene sc;
  add_ref(sc, {0, 4}, {10});
  add_ref(sc, {0}, {3, 8});
  link(sc, 1, 0);
  cut(sc);
  set_costs(
      sc,
      [](const costed& e, int sf, int ef) {
        return e.id == 0 ? (sf == 0 ? 5.0 : 0.0) : (ef == 0 ? 2.0 : 1.0);
      },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,0) r1(0,1) | 0: -r0 -r1", aligned(sc));
}

TEST(Align, DeferrableChildWaitsWithItsParent) {
  // r1 may wait for 2, but only inside a parent already started: a path
  // that defers r0 to 4 has no decision for r1 at 2 and ends there.
  scene sc;
  add_ref(sc, {0, 4}, {10});
  add_ref(sc, {0, 2}, {3, 8});
  link(sc, 1, 0);
  cut(sc);
  set_costs(
      sc,
      [](const costed& e, int sf, int ef) {
        return e.id == 0 ? (sf == 0 ? 5.0 : 0.0) : (sf == 1 && ef == 1 ? 0.0 : 4.0);
      },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,0) r1(1,1) | 0: -r0 | 2: -r1", aligned(sc));
}

TEST(Align, ChildBeforeItsParentMayOnlyWait) {
  // r0 comes before its parent r1 in the segment at 0: it never finds the
  // parent's choice there, so it waits for 2.
  scene sc;
  add_ref(sc, {0, 2}, {5});
  add_ref(sc, {0}, {10});
  link(sc, 0, 1);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int sf, int) { return e.id == 0 && sf == 1 ? 5.0 : 0.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(1,0) r1(0,0) | 0: -r1 | 2: -r0", aligned(sc));
}

TEST(Align, LeftSiblingForcesACostlierChoice) {
  scene sc;
  add_ref(sc, {0}, {5, 7});
  add_ref(sc, {5}, {9});
  link(sc, 1, -1, 0);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int ef) { return e.ends.size() == 2 && ef == 0 ? 5.0 : 1.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,0) r1(0,0) | 0: -r0 | 5: -r1", aligned(sc));
}

TEST(Align, LeftSiblingPastItsLastEndIsNotLookedUp) {
  // r0 has ended long before r1 starts: its choice is no longer on the path.
  scene sc;
  add_ref(sc, {0}, {3});
  add_ref(sc, {5}, {9});
  add_ref(sc, {3}, {4});
  link(sc, 1, -1, 0);
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  EXPECT_EQ("r0(0,0) r1(0,0) r2(0,0) | 0: -r0 | 3: -r2 | 5: -r1", aligned(sc));
}

TEST(Align, OpenPairingsKeepTheirNesting) {
  for (int depth : {0, 1}) {
    // With equal depths the two pairings coexist; with inverted ones they may not.
    scene sc;
    add_ref(sc, {0}, {10}, depth);
    add_ref(sc, {2}, {8}, 0);
    add_hyp(sc, 0, 10, 0);
    add_hyp(sc, 2, 8, depth);
    cut(sc);
    set_costs(
        sc, [](const costed& e, int, int) { return e.ends[0] == 10 ? 5.0 : 1.0; },
        [](const costed&, int, int, const costed&) { return 0.0; });
    EXPECT_EQ(
        depth ? "r0(0,0) r1(0,0) | 0: r0=h0 | 2: -r1 -h1" : "r0(0,0) r1(0,0) | 0: r0=h0 | 2: r1=h1",
        aligned(sc));
  }
}

TEST(Align, EntityPairedOnceStaysPairedUntilItsLastEnd) {
  // h0 is paired with r0; r1 starting inside it may not take it again.
  scene sc;
  add_ref(sc, {0}, {10});
  add_ref(sc, {3}, {6});
  add_hyp(sc, 0, 10);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int) { return e.ends[0] == 6 ? 1.0 : 4.0; },
      [](const costed& r, int, int, const costed&) { return r.ends[0] == 6 ? 0.0 : 1.0; });
  EXPECT_EQ("r0(0,0) r1(0,0) | 0: r0=h0 | 3: -r1", aligned(sc));
}

TEST(Align, ReferencePairedOnceStaysPairedPastItsFirstEndCandidate) {
  // r0 takes its later end 10; its end candidate 4 does not free it for h1.
  scene sc;
  add_ref(sc, {0}, {4, 10});
  add_hyp(sc, 0, 4);
  add_hyp(sc, 6, 10);
  cut(sc);
  set_costs(
      sc, [](const costed& e, int, int ef) { return e.hyp     ? 5.0
                                                    : ef == 0 ? 10.0
                                                              : 1.0; },
      [](const costed&, int, int ef, const costed&) { return ef == 0 ? 3.0 : 0.0; });
  EXPECT_EQ("r0(0,1) | 0: r0=h0 | 6: -h1", aligned(sc));
}

TEST(Align, EveryReferenceEntityGetsItsChoice) {
  scene sc;
  add_ref(sc, {0, 1}, {4, 6});
  add_ref(sc, {2}, {3});
  add_ref(sc, {5}, {8, 9});
  add_hyp(sc, 1, 4);
  add_hyp(sc, 5, 9);
  cut(sc);
  set_flat_costs(sc, 1, 1, 0.5);
  EXPECT_EQ("r0(1,0) r1(0,0) r2(0,0) | 1: r0=h0 | 2: -r1 | 5: r2=h1", aligned(sc));
}

TEST(Align, StartedAndDeferredPathsStaySeparate) {
  // Deferring r0 is made first and costs nothing yet; starting it costs 1.
  // The two are different partial solutions: merged, the deferral would win
  // and r0 would pay 5 at its later start.
  scene sc;
  add_ref(sc, {0, 2}, {8});
  cut(sc);
  set_costs(
      sc, [](const costed&, int sf, int) { return sf == 0 ? 1.0 : 5.0; },
      [](const costed&, int, int, const costed&) { return 0.0; });
  EXPECT_EQ("r0(0,0) | 0: -r0", aligned(sc));
}

TEST(Align, ChoicesClosedByTheSegmentEndAreMerged) {
  // A chain of entities, each starting where the one before it may end last,
  // each with two ends. A choice matters only while its end lies ahead: at
  // most two partial solutions are left at once, where keeping every choice
  // of an entity that has not yet left the path would need four.
  scene sc;
  const int n = 10;
  for (int i = 0; i < n; i++) {
    add_ref(sc, {6 * i}, {6 * i + 3, 6 * i + 6});
  }
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  const std::string got = aligned(sc, at_most(2));
  std::string expected;
  for (int i = 0; i < n; i++) {
    expected += (i ? " " : "") + ref_name(i) + "(0,0)";
  }
  for (int i = 0; i < n; i++) {
    expected += " | " + std::to_string(6 * i) + ": -" + ref_name(i);
  }
  EXPECT_EQ(expected, got);
  // While the second end lies ahead, the two choices are two partial solutions.
  EXPECT_FATAL(run_align(sc, at_most(1)), 1, limit_message("1 partial solutions at once", 0));
}

TEST(Align, PartialSolutionsLimit) {
  // Four entities start at 3, each with two ends still ahead: sixteen
  // partial solutions at once.
  scene sc;
  add_ref(sc, {0}, {2});
  for (int i = 0; i < 4; i++) {
    add_ref(sc, {3}, {13, 14});
  }
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  EXPECT_EQ("r0(0,0) r1(0,0) r2(0,0) r3(0,0) r4(0,0) | 0: -r0 | 3: -r1 -r2 -r3 -r4",
            aligned(sc, at_most(16)));
  EXPECT_FATAL(run_align(sc, at_most(15)), 1, limit_message("15 partial solutions at once", 3));
  EXPECT_FATAL(run_align(sc, at_most(1)), 1, limit_message("1 partial solutions at once", 3));
}

TEST(Align, AlternativesLimit) {
  // Four reference entities with one span at 7 and four hypothesis entities
  // that go on past it: 209 ways to pair them, each a partial solution of
  // its own until the segment after.
  scene sc;
  add_ref(sc, {0}, {2});
  for (int i = 0; i < 4; i++) {
    add_ref(sc, {7}, {12});
  }
  for (int i = 0; i < 4; i++) {
    add_hyp(sc, 7, 14);
  }
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  search_limits limits = keeping_at_most(1000);
  limits.max_alternatives = 209;
  // Of the equal full pairings, the lowest alternative number comes first: the
  // last starter's digit is the most significant, so it takes the first target.
  EXPECT_EQ("r0(0,0) r1(0,0) r2(0,0) r3(0,0) r4(0,0) | 0: -r0 | 7: r1=h3 r2=h2 r3=h1 r4=h0",
            aligned(sc, limits));
  for (size_t fewer : {size_t(208), size_t(1)}) {
    limits.max_alternatives = fewer;
    EXPECT_FATAL(run_align(sc, limits), 1,
                 limit_message(std::to_string(fewer) + " alternatives in the segment", 7));
  }
}

TEST(Align, CheapestOfAlternativesThatEndTogether) {
  // The same, with every entity ending with the segment: all 209 pairings
  // end in one state, and the first of the cheapest is found without trying
  // them all. The tie-break is that of the full enumeration.
  // Costs that are not sums of powers of two round as they add up: the
  // bounds add in the scores' order, so ties still break the same way.
  for (const auto& [miss, subst] : std::vector<std::pair<double, double>>{{1, 0.0},
                                                                          {1, 0.5},
                                                                          {1, -1.0},
                                                                          {1, 2.0},
                                                                          {0.1, 0.2},
                                                                          {0.1, 0.3},
                                                                          {0.3, 0.1},
                                                                          {1e-17, 0.1}}) {
    scene sc;
    add_ref(sc, {0}, {2});
    for (int i = 0; i < 4; i++) {
      add_ref(sc, {7}, {12}, i);
    }
    for (int i = 0; i < 4; i++) {
      add_hyp(sc, 7, 12, 3 - i % 2);
    }
    cut(sc);
    set_flat_costs(sc, miss, miss, subst);
    // Fewer steps than the full enumeration has alternatives are enough.
    search_limits few = keeping_at_most(1000);
    few.max_alternatives = 100;
    const std::string full = aligned(sc);
    EXPECT_EQ(full, render_result(sc, run_align(sc, few))) << miss << " " << subst;
  }
  {
    // Costs that depend on the pair, with ties among different pairings.
    scene sc;
    for (int i = 0; i < 5; i++) {
      add_ref(sc, {0}, {4}, i);
      add_hyp(sc, 0, 4, (7 * i) % 5);
    }
    cut(sc);
    set_costs(
        sc, [](const costed& e, int, int) { return e.hyp ? 1.0 : 0.5; },
        [](const costed& r, int, int, const costed& h) {
          return static_cast<double>((r.id * 3 + h.id) % 4) * 0.25;
        });
    EXPECT_NE("", aligned(sc));
  }
}

// Independent clusters one after the other, each with several partial
// solutions inside and one left at its end.
TEST(Align, ResultSpansCommits) {
  scene sc;
  // At 0: equal totals on two paths, as in the tie-breaks above.
  add_ref(sc, {0}, {10});
  add_hyp(sc, 0, 4);
  add_hyp(sc, 6, 10);
  // At 20: the cheap pairing needs the later start.
  add_ref(sc, {20, 22}, {28});
  add_hyp(sc, 22, 28);
  // At 40: a choice of end that a later hypothesis entity decides.
  add_ref(sc, {40}, {45, 50});
  add_hyp(sc, 46, 50);
  cut(sc);
  set_costs(
      sc,
      [](const costed& e, int sf, int ef) {
        if (e.hyp) {
          return 2.0;
        }
        switch (e.id) {
          case 1:
            return 8.0 + sf;
          case 2:
            return ef == 0 ? 1.0 : 2.0;
          default:
            return 2.0;
        }
      },
      [](const costed& r, int sf, int, const costed& h) {
        switch (r.id) {
          case 0:
            return h.starts[0] == 0 ? 3.0 : 1.0;
          case 1:
            return sf == 1 ? 0.0 : 2.0;
          default:
            return 0.0;
        }
      });
  EXPECT_EQ("r0(0,0) r1(1,0) r2(0,1) | 0: -r0 -h0 | 6: r0=h1 | 22: r1=h2 | 40: -r2 | 46: r2=h3",
            aligned(sc));
  const literal_outcome literal = literal_align(sc);
  EXPECT_GT(literal.peak, 1u);
  EXPECT_EQ("r0(0,0) r1(1,0) r2(0,1) | 0: -r0 -h0 | 6: r0=h1 | 22: r1=h2 | 40: -r2 | 46: r2=h3",
            aligned(sc, keeping_at_most(literal.peak)));
}

// An entity spanning the whole text with two ends keeps two partial
// solutions apart to the very end; nothing is final before it.
void whole_text_entity(scene& sc, int inner) {
  const int length = 3 * inner + 2;
  add_ref(sc, {0}, {length - 1, length});
  for (int i = 0; i < inner; i++) {
    add_ref(sc, {3 * i + 1}, {3 * i + 3});
    add_hyp(sc, 3 * i + 1, 3 * i + 3);
  }
  cut(sc);
  set_costs(
      sc,
      [](const costed& e, int, int ef) { return e.hyp || e.id > 0 ? 1.0
                                                : ef == 0         ? 2.0
                                                                  : 1.0; },
      [](const costed& r, int, int, const costed&) { return r.id == 0 ? 5.0 : 0.0; });
}

TEST(Align, NothingFinalBeforeTheEnd) {
  scene sc;
  whole_text_entity(sc, 3);
  EXPECT_EQ("r0(0,1) r1(0,0) r2(0,0) r3(0,0) | 0: -r0 | 1: r1=h0 | 4: r2=h1 | 7: r3=h2",
            aligned(sc));
  const literal_outcome literal = literal_align(sc);
  EXPECT_GT(literal.peak, 1u);
}

TEST(Align, LongRunWithNothingFinalBeforeTheEnd) {
  // Long enough that the decisions of the partial solutions pile up far
  // past what is kept between clean-ups (100 000 inner pairs with
  // ORVANE_FULL_TESTS=1).
  const int inner = static_cast<int>(test_size(20000, 100000));
  scene sc;
  whole_text_entity(sc, inner);
  const alignment_result result = run_align(sc);
  check_result_shape(sc, result);
  EXPECT_EQ(frontier_choice(0, 1), result.chosen[0]);
  ASSERT_EQ(1u, result.unmapped.size());
  EXPECT_EQ(0, result.unmapped[0].id);
  ASSERT_EQ(static_cast<size_t>(inner), result.pairs.size());
  for (int i = 0; i < inner; i++) {
    EXPECT_EQ(i + 1, result.pairs[size_t(i)].ref);
    EXPECT_EQ(i, result.pairs[size_t(i)].hyp);
  }
  EXPECT_EQ(1.0, result_cost(sc, result));
  EXPECT_TRUE(same_result(result, run_align(sc, at_most(4))));
}

// References whose candidates admit no consistent choice end the run, at
// the marker of the entity that cannot be placed when one alone is the
// cause, else at the position where the last partial solution ends.
TEST(Align, NoConsistentChoiceIsAFatalError) {
  const struct {
    const char* label;
    // start, end, parent, left sibling (-1: none), and a second end if any
    std::vector<std::vector<int>> spans;
    std::string message;
  } cases[] = {
      {"child outside its parent",
       {{0, 10, -1, -1}, {2, 12, 0, -1}},
       "ref.txt:2:0: Error: Malformed annotation, annotation 1 lies outside every choice of its "
       "parent 0 (line 1).\n"},
      {"parent ending before its child",
       {{0, 3, -1, -1}, {6, 8, 0, -1}, {4, 5, -1, -1}},
       "ref.txt:2:0: Error: Malformed annotation, annotation 1 lies outside every choice of its "
       "parent 0 (line 1).\n"},
      {"cyclic parents",
       {{0, 5, 1, -1}, {0, 5, 0, -1}},
       "ref.txt:1:0: Error: Malformed annotation, annotation 0 is its own ancestor through its "
       "parent 1 (line 2).\n"},
      {"parent later in the same segment",
       {{0, 5, 1, -1}, {0, 10, -1, -1}},
       "ref.txt:1:0: Error: annotation 0 starts with its parent 1 (line 2) but has a lower id; "
       "number a parent before its children.\n"},
      {"left sibling still open",
       {{0, 9, -1, -1}, {5, 8, -1, 0}},
       "ref.txt:2:0: Error: Malformed annotation, annotation 1 overlaps annotation 0 (line 1) at "
       "the same depth; one of them must be the other's parent.\n"},
      {"parent held short by its sibling",
       {{0, 3, -1, -1, 8}, {4, 10, -1, 0}, {5, 7, 0, -1}},
       "ref.txt: Error: the reference's alternative boundaries admit no consistent choice at "
       "position 5, where annotation 2 (line 3) starts.\n"},
  };
  for (const auto& c : cases) {
    scene sc;
    for (const std::vector<int>& s : c.spans) {
      if (s.size() > 4) {
        add_ref(sc, {s[0]}, {s[1], s[4]});
      } else {
        add_ref(sc, {s[0]}, {s[1]});
      }
      sc.ref[sc.ref.size() - 1].line = static_cast<int32_t>(sc.ref.size());
    }
    for (size_t i = 0; i < c.spans.size(); i++) {
      if (c.spans[i][2] >= 0 || c.spans[i][3] >= 0) {
        link(sc, int(i), c.spans[i][2], c.spans[i][3]);
      }
    }
    // Hypothesis entities before the fault give the search several paths.
    add_hyp(sc, 0, 2);
    add_hyp(sc, 0, 3);
    cut(sc);
    set_flat_costs(sc, 1, 1, 0);
    EXPECT_FATAL(run_align(sc), 1, c.message);
    // The literal model only knows that no choice is left.
    EXPECT_EQ(0u, literal_align(sc).error.find("ref.txt: Error: the reference's alternative "
                                               "boundaries admit no consistent choice"))
        << c.label;
  }
}

// A child numbered before its parent is not blamed when the parent could
// have started earlier, nor before a fault that no choice could avoid.
TEST(Align, NoConsistentChoiceBlamesTheRightEntity) {
  scene sc;
  add_ref(sc, {5}, {8});      // r0, child of r1
  add_ref(sc, {0, 5}, {10});  // r1
  add_ref(sc, {5}, {12});     // r2, child of r1 but reaching past it
  for (int i = 0; i < 3; i++) {
    sc.ref[static_cast<size_t>(i)].line = i + 1;
  }
  link(sc, 0, 1, -1);
  link(sc, 2, 1, -1);
  add_hyp(sc, 0, 2);
  cut(sc);
  set_flat_costs(sc, 1, 1, 0);
  EXPECT_FATAL(run_align(sc), 1,
               "ref.txt:3:0: Error: Malformed annotation, annotation 2 lies outside every choice "
               "of its parent 1 (line 2).\n");
}

TEST(Align, LongPathOfSegments) {
  // Long enough that anything recursive over the segments would exhaust the stack
  // (200 000 segments with ORVANE_FULL_TESTS=1).
  const int n = static_cast<int>(test_size(50000, 200000));
  scene sc;
  for (int i = 0; i < n; i++) {
    add_ref(sc, {i}, {i + 1});
  }
  cut(sc);
  ASSERT_EQ(static_cast<size_t>(n), sc.segs.size());
  set_flat_costs(sc, 1, 1, 0);
  const alignment_result result = run_align(sc);
  check_result_shape(sc, result);
  EXPECT_EQ(static_cast<size_t>(n), result.chosen.size());
  EXPECT_EQ(n, result_cost(sc, result));
  ASSERT_EQ(static_cast<size_t>(n), result.unmapped.size());
  EXPECT_EQ(static_cast<uint32_t>(n - 1), result.unmapped.back().seg);
  EXPECT_EQ(n - 1, result.unmapped.back().id);
}

}  // namespace
