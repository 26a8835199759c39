// Tests of the search: results and tie-breaks on hand-made cases, the fatal
// error for references that admit no consistent choice, and long runs.
#include "alignment/align.h"

#include <gtest/gtest.h>

#include "fixture.h"
#include "support/test_support.h"

namespace {

void costs(scene& sc, double miss_ref, double miss_hyp, double subst) {
  set_costs(
      sc, [&](const entity& e, int, int) { return e.hyp ? miss_hyp : miss_ref; },
      [&](const entity&, int, int, const entity&) { return subst; });
}

TEST(Align, NoSegmentsWritesNothing) {
  scene sc;
  cut(sc);
  EXPECT_EQ("", render_result(sc, run_align(sc)));
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
    costs(sc, 1, 1, c.subst);
    EXPECT_EQ(c.expected, render_result(sc, run_align(sc))) << c.subst;
  }
}

TEST(Align, HypothesisStartingLaterPairsWithTheOpenReference) {
  for (double subst : {1.0, 2.0}) {
    scene sc;
    add_ref(sc, {0}, {10});
    add_hyp(sc, 5, 10);
    cut(sc);
    costs(sc, 3, 2, subst);
    frontier_choice_map frontiers = run_align(sc);
    if (subst < 2) {
      EXPECT_EQ("r0(0,0) | 0: -r0 | 5: r0=h0", render_result(sc, frontiers));
      cleanup_unmapped(sc.segments, sc.ref, sc.hyp);
      EXPECT_EQ("r0(0,0) | 5: r0=h0", render_result(sc, frontiers));
    } else {
      EXPECT_EQ("r0(0,0) | 0: -r0 | 5: -h0", render_result(sc, frontiers));
    }
  }
}

TEST(Align, ReferenceStartingLaterPairsWithTheOpenHypothesis) {
  scene sc;
  add_ref(sc, {5}, {10});
  add_hyp(sc, 0, 10);
  cut(sc);
  costs(sc, 3, 2, 1);
  EXPECT_EQ("r0(0,0) | 0: -h0 | 5: r0=h0", render_result(sc, run_align(sc)));
}

TEST(Align, AlternativeBoundariesAreChosenByCost) {
  scene sc;
  add_ref(sc, {0, 2}, {8});
  add_hyp(sc, 2, 8);
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int) { return e.hyp ? 2.0 : 8.0; },
      [](const entity&, int sf, int, const entity&) { return sf == 1 ? 0.0 : 2.0; });
  EXPECT_EQ("r0(1,0) | 2: r0=h0", render_result(sc, run_align(sc)));
}

TEST(Align, TiesKeepTheNodeCreatedFirst) {
  {
    // Waiting for the later start is enumerated before starting now.
    scene sc;
    add_ref(sc, {0, 2}, {8});
    cut(sc);
    costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(1,0) | 2: -r0", render_result(sc, run_align(sc)));
  }
  {
    // The lower end candidate comes first.
    scene sc;
    add_ref(sc, {0}, {5, 9});
    cut(sc);
    costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(0,0) | 0: -r0", render_result(sc, run_align(sc)));
  }
  {
    // The first target comes first.
    scene sc;
    add_ref(sc, {0}, {5});
    add_hyp(sc, 0, 5);
    add_hyp(sc, 0, 5);
    cut(sc);
    costs(sc, 1, 1, 0);
    EXPECT_EQ("r0(0,0) | 0: r0=h0 -h1", render_result(sc, run_align(sc)));
  }
  {
    // Equal totals on two paths: pairing r0 with h0 (3, then 2 for missing
    // h1) or with h1 (2 and 2 for the misses at 0, then 1). The node made
    // first at 6 comes from the path that left r0 unpaired.
    scene sc;
    add_ref(sc, {0}, {10});
    add_hyp(sc, 0, 4);
    add_hyp(sc, 6, 10);
    cut(sc);
    set_costs(
        sc, [](const entity&, int, int) { return 2.0; },
        [](const entity&, int, int, const entity& h) { return h.start[0] == 0 ? 3.0 : 1.0; });
    EXPECT_EQ("r0(0,0) | 0: -r0 -h0 | 6: r0=h1", render_result(sc, run_align(sc)));
  }
}

TEST(Align, ParentForcesACostlierChoice) {
  scene sc;
  add_ref(sc, {0}, {5, 10});
  add_ref(sc, {6}, {8});
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int ef) { return e.end.size() == 2 && ef == 1 ? 5.0 : 1.0; },
      [](const entity&, int, int, const entity&) { return 0.0; });
  EXPECT_EQ("r0(0,1) r1(0,0) | 0: -r0 | 6: -r1", render_result(sc, run_align(sc)));
}

TEST(Align, LeftSiblingForcesACostlierChoice) {
  scene sc;
  add_ref(sc, {0}, {5, 7});
  add_ref(sc, {5}, {9});
  sc.ref[1].left_constraint = &sc.ref[0];
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int ef) { return e.end.size() == 2 && ef == 0 ? 5.0 : 1.0; },
      [](const entity&, int, int, const entity&) { return 0.0; });
  EXPECT_EQ("r0(0,0) r1(0,0) | 0: -r0 | 5: -r1", render_result(sc, run_align(sc)));
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
        sc, [](const entity& e, int, int) { return e.end[0] == 10 ? 5.0 : 1.0; },
        [](const entity&, int, int, const entity&) { return 0.0; });
    EXPECT_EQ(
        depth ? "r0(0,0) r1(0,0) | 0: r0=h0 | 2: -r1 -h1" : "r0(0,0) r1(0,0) | 0: r0=h0 | 2: r1=h1",
        render_result(sc, run_align(sc)));
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
      sc, [](const entity& e, int, int) { return e.end[0] == 6 ? 1.0 : 4.0; },
      [](const entity& r, int, int, const entity&) { return r.end[0] == 6 ? 0.0 : 1.0; });
  EXPECT_EQ("r0(0,0) r1(0,0) | 0: r0=h0 | 3: -r1", render_result(sc, run_align(sc)));
}

TEST(Align, ReferencePairedOnceStaysPairedPastItsFirstEndCandidate) {
  // r0 takes its later end 10; its end candidate 4 does not free it for h1.
  scene sc;
  add_ref(sc, {0}, {4, 10});
  add_hyp(sc, 0, 4);
  add_hyp(sc, 6, 10);
  cut(sc);
  set_costs(
      sc, [](const entity& e, int, int ef) { return e.hyp     ? 5.0
                                                    : ef == 0 ? 10.0
                                                              : 1.0; },
      [](const entity&, int, int ef, const entity&) { return ef == 0 ? 3.0 : 0.0; });
  EXPECT_EQ("r0(0,1) | 0: r0=h0 | 6: -h1", render_result(sc, run_align(sc)));
}

TEST(Align, EveryReferenceEntityGetsItsChoice) {
  scene sc;
  add_ref(sc, {0, 1}, {4, 6});
  add_ref(sc, {2}, {3});
  add_ref(sc, {5}, {8, 9});
  add_hyp(sc, 1, 4);
  add_hyp(sc, 5, 9);
  cut(sc);
  costs(sc, 1, 1, 0.5);
  EXPECT_EQ("r0(1,0) r1(0,0) r2(0,0) | 1: r0=h0 | 2: -r1 | 5: r2=h1",
            render_result(sc, run_align(sc)));
}

// References whose candidates admit no consistent choice end the run.
TEST(Align, NoConsistentChoiceIsAFatalError) {
  const struct {
    const char* label;
    std::vector<std::vector<int>> spans;  // start, end, parent, left sibling (-1: none)
    int position;
  } cases[] = {
      {"child outside its parent", {{0, 10, -1, -1}, {2, 12, 0, -1}}, 2},
      {"parent ending before its child", {{0, 3, -1, -1}, {6, 8, 0, -1}, {4, 5, -1, -1}}, 6},
      {"cyclic parents", {{0, 5, 1, -1}, {0, 5, 0, -1}}, 0},
      {"parent later in the same segment", {{0, 5, 1, -1}, {0, 10, -1, -1}}, 0},
      {"left sibling still open", {{0, 9, -1, -1}, {5, 8, -1, 0}}, 5},
  };
  for (const auto& c : cases) {
    scene sc;
    for (const std::vector<int>& s : c.spans) {
      add_ref(sc, {s[0]}, {s[1]});
    }
    for (size_t i = 0; i < c.spans.size(); i++) {
      if (c.spans[i][2] >= 0) {
        sc.ref[i].parent = &sc.ref[c.spans[i][2]];
      }
      if (c.spans[i][3] >= 0) {
        sc.ref[i].left_constraint = &sc.ref[c.spans[i][3]];
      }
    }
    // Hypothesis entities before the fault give the search several paths.
    add_hyp(sc, 0, 2);
    add_hyp(sc, 0, 3);
    cut(sc);
    costs(sc, 1, 1, 0);
    frontier_choice_map frontiers;
    EXPECT_FATAL(align(sc.segments, frontiers, "ref.txt"), 1,
                 "ref.txt: Error: the reference's alternative boundaries admit no consistent "
                 "choice at position " +
                     std::to_string(c.position) + ".\n");
    EXPECT_TRUE(frontiers.empty()) << c.label;
#ifndef NDEBUG
    EXPECT_EQ(0, align_node::live_nodes) << c.label;
#endif
  }
}

TEST(Align, LongPathOfSegments) {
  // Long enough that a recursive walk or release of the path would exhaust
  // the stack (200 000 segments with ORVANE_FULL_TESTS=1).
  const int n = static_cast<int>(test_size(50000, 200000));
  scene sc;
  for (int i = 0; i < n; i++) {
    add_ref(sc, {i}, {i + 1});
  }
  cut(sc);
  ASSERT_EQ(static_cast<size_t>(n), sc.segments.size());
  costs(sc, 1, 1, 0);
  frontier_choice_map frontiers = run_align(sc);
  EXPECT_EQ(static_cast<size_t>(n), frontiers.size());
  EXPECT_EQ(n, result_cost(sc, frontiers));
  EXPECT_EQ(1u, sc.segments.back().unmapped_entities.size());
}

}  // namespace
