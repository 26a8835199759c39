// Tests of the clean-up of the unmapped lists after the search.
#include <gtest/gtest.h>

#include "alignment/align.h"
#include "fixture.h"

namespace {

TEST(Cleanup, NothingToCleanUp) {
  alignment_result result;
  cleanup_unmapped(result, 0, 0);
  EXPECT_TRUE(result.pairs.empty());
  EXPECT_TRUE(result.unmapped.empty());
}

TEST(Cleanup, EntitiesPairedLaterLeaveTheUnmappedLists) {
  scene sc;
  add_ref(sc, {0}, {10});
  add_ref(sc, {1}, {3});
  add_hyp(sc, 5, 10);
  add_hyp(sc, 0, 4);
  cut(sc);
  ASSERT_EQ(5u, sc.segs.size());
  // As the search leaves it: r0 unpaired where it started, paired at 5.
  alignment_result result;
  result.unmapped = {{0, 0}, {0, -1 - 1}, {1, 1}};
  result.pairs = {{4, 0, 0, 0}};
  EXPECT_EQ(" | 0: -r0 -h1 | 1: -r1 | 5: r0=h0", render_result(sc, result));
  cleanup_unmapped(result, sc.ref.size(), sc.hyp.size());
  EXPECT_EQ(" | 0: -h1 | 1: -r1 | 5: r0=h0", render_result(sc, result));
}

TEST(Cleanup, HypothesisPairedLaterLeavesItsListAndTheOthersKeepTheirOrder) {
  scene sc;
  add_ref(sc, {0}, {10});
  add_ref(sc, {0}, {2});
  add_ref(sc, {4}, {8});
  add_hyp(sc, 0, 9);
  add_hyp(sc, 0, 3);
  cut(sc);
  const int at4 = segment_at(sc, 4);
  ASSERT_GE(at4, 0);
  // r2 starts inside h0 and pairs with it there; the others stay unpaired.
  alignment_result result;
  result.unmapped = {{0, 0}, {0, 1}, {0, -1 - 0}, {0, -1 - 1}};
  result.pairs = {{uint32_t(at4), 2, 0, 0}};
  cleanup_unmapped(result, sc.ref.size(), sc.hyp.size());
  EXPECT_EQ(" | 0: -r0 -r1 -h1 | 4: r2=h0", render_result(sc, result));
}

TEST(Cleanup, AfterTheSearch) {
  // r0 is left unpaired where it starts and paired with h0 at 5.
  scene sc;
  add_ref(sc, {0}, {10});
  add_hyp(sc, 5, 10);
  cut(sc);
  set_flat_costs(sc, 3, 2, 1);
  alignment_result result = run_align(sc);
  EXPECT_EQ("r0(0,0) | 0: -r0 | 5: r0=h0", render_result(sc, result));
  cleanup_unmapped(result, sc.ref.size(), sc.hyp.size());
  EXPECT_EQ("r0(0,0) | 5: r0=h0", render_result(sc, result));
}

}  // namespace
