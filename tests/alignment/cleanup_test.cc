// Tests of the clean-up of the unmapped lists after the search.
#include <gtest/gtest.h>

#include "alignment/align.h"
#include "fixture.h"

namespace {

TEST(Cleanup, NoSegmentsOnlyClearsThePairedFlags) {
  scene sc;
  add_ref(sc, {0}, {5}).paired = true;
  add_hyp(sc, 0, 5).paired = true;
  cleanup_unmapped(sc.segments, sc.ref, sc.hyp);
  EXPECT_FALSE(sc.ref[0].paired);
  EXPECT_FALSE(sc.hyp[0].paired);
}

TEST(Cleanup, EntitiesPairedLaterLeaveTheUnmappedLists) {
  scene sc;
  add_ref(sc, {0}, {10});
  add_ref(sc, {1}, {3});
  add_hyp(sc, 5, 10);
  add_hyp(sc, 0, 4);
  cut(sc);
  ASSERT_EQ(5u, sc.segments.size());
  // As the search leaves it: r0 unpaired where it started, paired at 5.
  sc.segments[0].unmapped_entities = {&sc.ref[0], &sc.hyp[1]};
  sc.segments[1].unmapped_entities = {&sc.ref[1]};
  sc.segments[4].added_pairs.emplace_back(&sc.ref[0], &sc.hyp[0], nullptr);
  sc.ref[1].paired = true;
  cleanup_unmapped(sc.segments, sc.ref, sc.hyp);
  EXPECT_EQ(" | 0: -h1 | 1: -r1 | 5: r0=h0", render_result(sc, {}));
  EXPECT_TRUE(sc.ref[0].paired);
  EXPECT_TRUE(sc.hyp[0].paired);
  EXPECT_FALSE(sc.ref[1].paired);
  EXPECT_FALSE(sc.hyp[1].paired);
}

}  // namespace
