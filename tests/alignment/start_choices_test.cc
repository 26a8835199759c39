// Tests of the enumeration of start decisions: order, deferral, and the
// order, parent and left-sibling tests.
#include "alignment/start_choices.h"

#include <gtest/gtest.h>

#include <utility>

#include "fixture.h"

namespace {

class StartChoices : public node_test {
 protected:
  // Every combination, " ; " between them; "{}" for the empty one.
  std::string combos(const align_node* p, int sid) {
    std::string out;
    enumerate_start_choices(*p, sc.segments[sid], [&](const start_choice_map& choices) {
      std::string one;
      for (const auto& [e, f] : choices) {
        one += (one.empty() ? "" : " ") + name(sc, e) + "(" + std::to_string(f.sf) + "," +
               std::to_string(f.ef) + ")";
      }
      out += (out.empty() ? "" : " ; ") + (one.empty() ? "{}" : one);
    });
    return out;
  }
};

TEST_F(StartChoices, NoSlotGivesOneEmptyCombination) {
  add_hyp(sc, 0, 5);
  cut(sc);
  EXPECT_EQ("{}", combos(pan(0), 0));
}

TEST_F(StartChoices, StartedEntitiesAreSkipped) {
  add_ref(sc, {0, 2}, {8});
  cut(sc);
  EXPECT_EQ("{}", combos(pan(1, {{0, {0, 0}}}), 1));
}

TEST_F(StartChoices, OneCombinationPerEndCandidate) {
  add_ref(sc, {0}, {5, 9});
  cut(sc);
  EXPECT_EQ("r0(0,0) ; r0(0,1)", combos(pan(0), 0));
}

TEST_F(StartChoices, DeferralComesFirstAndOnlyBeforeTheLastStart) {
  add_ref(sc, {0, 2}, {5, 9});
  cut(sc);
  EXPECT_EQ("r0(0,-1) ; r0(0,0) ; r0(0,1)", combos(pan(0), 0));
  EXPECT_EQ("r0(1,0) ; r0(1,1)", combos(pan(1), 1));
}

TEST_F(StartChoices, EndBeforeTheStartIsNeverChosen) {
  add_ref(sc, {0, 6}, {5, 9});
  cut(sc);
  ASSERT_EQ(6, sc.segments[2].start);
  EXPECT_EQ("r0(1,1)", combos(pan(2), 2));
}

TEST_F(StartChoices, EmptySpanIsNeverChosen) {
  // The start candidate 5 equals the end candidate 5: (5, 5) has no cost.
  add_ref(sc, {0, 5}, {5, 9});
  cut(sc);
  ASSERT_EQ(2u, sc.segments.size());
  EXPECT_EQ("r0(0,-1) ; r0(0,0) ; r0(0,1)", combos(pan(0), 0));
  EXPECT_EQ("r0(1,1)", combos(pan(1), 1));
}

TEST_F(StartChoices, SlotZeroVariesSlowest) {
  add_ref(sc, {0}, {5, 9});
  add_ref(sc, {0}, {6, 7});
  cut(sc);
  EXPECT_EQ("r0(0,0) r1(0,0) ; r0(0,0) r1(0,1) ; r0(0,1) r1(0,0) ; r0(0,1) r1(0,1)",
            combos(pan(0), 0));
}

TEST_F(StartChoices, ChildStaysInsideItsParentsChosenSpan) {
  add_ref(sc, {0}, {10, 14});
  add_ref(sc, {2}, {6, 12});
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  ASSERT_EQ(2, sc.segments[1].start);
  EXPECT_EQ("r1(0,0)", combos(pan(1, {{0, {0, 0}}}), 1));
  EXPECT_EQ("r1(0,0) ; r1(0,1)", combos(pan(1, {{0, {0, 1}}}), 1));
}

TEST_F(StartChoices, ChildAfterItsParentInTheSameSegment) {
  add_ref(sc, {0, 4}, {10});
  add_ref(sc, {0}, {3, 8});
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  // While the parent waits, the child, which cannot wait, has no decision.
  EXPECT_EQ("r0(0,0) r1(0,0) ; r0(0,0) r1(0,1)", combos(pan(0), 0));
}

TEST_F(StartChoices, DeferrableChildWaitsWithItsParent) {
  add_ref(sc, {0, 4}, {10});
  add_ref(sc, {0, 2}, {3, 8});
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  EXPECT_EQ("r0(0,-1) r1(0,-1) ; r0(0,0) r1(0,-1) ; r0(0,0) r1(0,0) ; r0(0,0) r1(0,1)",
            combos(pan(0), 0));
}

TEST_F(StartChoices, ChildBeforeItsParentInTheSameSegmentCannotStart) {
  add_ref(sc, {0}, {5});
  add_ref(sc, {0}, {10});
  sc.ref[0].parent = &sc.ref[1];
  cut(sc);
  EXPECT_EQ("", combos(pan(0), 0));
}

TEST_F(StartChoices, ChildBeforeItsParentMayOnlyWait) {
  add_ref(sc, {0, 2}, {5});
  add_ref(sc, {0}, {10});
  sc.ref[0].parent = &sc.ref[1];
  cut(sc);
  EXPECT_EQ("r0(0,-1) r1(0,0)", combos(pan(0), 0));
}

TEST_F(StartChoices, LeftSiblingMustHaveEndedAtItsChosenEnd) {
  add_ref(sc, {0}, {5, 7});
  add_ref(sc, {5}, {9});
  sc.ref[1].left_constraint = &sc.ref[0];
  cut(sc);
  ASSERT_EQ(5, sc.segments[1].start);
  EXPECT_EQ("r1(0,0)", combos(pan(1, {{0, {0, 0}}}), 1));
  EXPECT_EQ("", combos(pan(1, {{0, {0, 1}}}), 1));
}

TEST_F(StartChoices, LeftSiblingPastItsLastEndIsNotLookedUp) {
  add_ref(sc, {0}, {5});
  add_ref(sc, {5}, {9});
  sc.ref[1].left_constraint = &sc.ref[0];
  cut(sc);
  EXPECT_EQ("r1(0,0)", combos(pan(1), 1));
}

TEST_F(StartChoices, ParentEndingBeforeItsChildIsInvalidWithoutLookup) {
  // The parent's choice is no longer held by the path at 6: asking for it
  // would break the lookup's precondition.
  add_ref(sc, {0}, {3});
  add_ref(sc, {6}, {8});
  add_ref(sc, {4}, {5});
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  ASSERT_EQ(6, sc.segments[4].start);
  EXPECT_EQ("", combos(pan(4), 4));
}

TEST_F(StartChoices, CyclicParentsAdmitNoCombination) {
  add_ref(sc, {0}, {5});
  add_ref(sc, {0}, {5});
  sc.ref[0].parent = &sc.ref[1];
  sc.ref[1].parent = &sc.ref[0];
  cut(sc);
  EXPECT_EQ("", combos(pan(0), 0));
}

}  // namespace
