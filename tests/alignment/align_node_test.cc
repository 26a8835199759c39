// Tests of alignment nodes: reference counting, release of paths, frontier
// filtering and the equivalence test.
#include "alignment/align_node.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace {

long live() {
#ifndef NDEBUG
  return align_node::live_nodes;
#else
  return 0;
#endif
}

TEST(AlignNode, RootHasNothingAndFindsNothing) {
  scene sc;
  add_ref(sc, {0}, {5});
  align_node* root = new align_node();
  EXPECT_EQ(1, root->refcount);
  EXPECT_EQ(nullptr, root->prev);
  EXPECT_EQ(nullptr, root->seg);
  EXPECT_EQ(0, root->score);
  EXPECT_EQ(nullptr, root->find_frontier(&sc.ref[0]));
  EXPECT_EQ(1, live());
  root->unref();
  EXPECT_EQ(0, live());
}

TEST(AlignNode, ChildCopiesStateAndFiltersChoices) {
  scene sc;
  add_ref(sc, {0}, {3});
  add_ref(sc, {0}, {4});
  add_ref(sc, {0}, {2, 9});
  add_hyp(sc, 0, 9);
  segment s0 = bare_segment(0, 3);
  segment s1 = bare_segment(4, 9);
  align_node* root = new align_node();
  align_node* a = new align_node(root, &s0);
  EXPECT_EQ(2, root->refcount);
  a->score = 2.5;
  a->active_set = {&sc.hyp[0], &sc.ref[2]};
  a->current_pairs = {{&sc.hyp[0], &sc.ref[2]}};
  a->add_frontier(&sc.ref[0], {0, 0});
  a->add_frontier(&sc.ref[1], {0, 0});
  a->add_frontier(&sc.ref[2], {0, 1});
  a->unmapped_entities = {&sc.ref[0]};
  align_node* b = new align_node(a, &s1);
  // r0 ends at 3, before the segment opening at 4; r1 ends exactly there.
  EXPECT_EQ("2.5: {r2,h0} [h0:r2] r1(0,0) r2(0,1)", render_node(sc, *b));
  EXPECT_EQ(b->frontiers.size(), 2u);
  frontier_choice_map all;
  all[&sc.ref[1]] = {7, 7};
  a->copy_frontiers_unfiltered(all);
  EXPECT_EQ(3u, all.size());
  EXPECT_EQ(0, all[&sc.ref[1]].ef);
  root->unref();
  a->unref();
  EXPECT_EQ(3, live());
  b->unref();
  EXPECT_EQ(0, live());
}

TEST(AlignNode, SharedAncestorsLiveUntilTheirLastChildGoes) {
  segment s = bare_segment(0, 1);
  align_node* root = new align_node();
  align_node* a = new align_node(root, &s);
  root->unref();
  align_node* c1 = new align_node(a, &s);
  align_node* c2 = new align_node(a, &s);
  a->unref();
  EXPECT_EQ(2, a->refcount);
  c1->unref();
  EXPECT_EQ(3, live());
  EXPECT_EQ(1, a->refcount);
  c2->unref();
  EXPECT_EQ(0, live());
}

TEST(AlignNode, LongPathIsReleasedWithoutRecursion) {
  // Deep enough that a recursive release would exhaust the stack.
  segment s = bare_segment(0, 1);
  align_node* n = new align_node();
  for (int i = 0; i < 200000; i++) {
    align_node* child = new align_node(n, &s);
    n->unref();
    n = child;
  }
  EXPECT_EQ(200001, live());
  n->unref();
  EXPECT_EQ(0, live());
}

TEST(AlignNode, ReleaseStopsAtAnAncestorWithOtherOwners) {
  segment s = bare_segment(0, 1);
  align_node* root = new align_node();
  align_node* fork = new align_node(root, &s);
  root->unref();
  align_node* keep = new align_node(fork, &s);
  align_node* n = fork;
  for (int i = 0; i < 1000; i++) {
    n = new align_node(n, &s);
    n->prev->unref();
  }
  EXPECT_EQ(1003, live());
  n->unref();
  EXPECT_EQ(3, live());
  EXPECT_EQ(1, fork->refcount);
  keep->unref();
  EXPECT_EQ(0, live());
}

// Nodes of one segment built by hand on a scene: r0 starts at 0 and may end at
// 5 or 9; h0 and h1 span the whole text.
class Equivalence : public ::testing::Test {
 protected:
  void SetUp() override {
    add_ref(sc, {0}, {5, 9});
    add_ref(sc, {0}, {9});
    add_hyp(sc, 0, 9);
    add_hyp(sc, 0, 9);
    cut(sc);
    ASSERT_EQ(2u, sc.segments.size());
    root = new align_node();
  }
  void TearDown() override {
    for (align_node* n : made) {
      n->unref();
    }
    root->unref();
    EXPECT_EQ(0, live());
  }
  align_node* node(align_node* prev, int sid, frontier_choice r0) {
    align_node* n = new align_node(prev, &sc.segments[sid]);
    if (r0.ef != -1) {
      n->add_frontier(&sc.ref[0], r0);
    }
    made.push_back(n);
    return n;
  }
  bool eq(const align_node* a, const align_node* b, int sid) {
    return nodes_are_equivalent(*a, *b, sc.segments[sid]);
  }
  scene sc;
  align_node* root = nullptr;
  std::vector<align_node*> made;
};

TEST_F(Equivalence, OpenChoicesMustAgreeClosedOnesNeedNot) {
  align_node* a = node(root, 0, {0, 0});
  align_node* b = node(root, 0, {0, 1});
  EXPECT_FALSE(eq(a, b, 0));  // r0 may still end at 9 on b's path
  EXPECT_TRUE(eq(a, node(root, 0, {0, 0}), 0));
  // Both chosen ends are passed at the end of (5, 9).
  EXPECT_TRUE(eq(node(a, 1, {-1, -1}), node(b, 1, {-1, -1}), 1));
}

TEST_F(Equivalence, StartedAndNotStartedDiffer) {
  align_node* started = node(root, 0, {0, 0});
  align_node* waiting = node(root, 0, {-1, -1});
  EXPECT_FALSE(eq(started, waiting, 0));
  EXPECT_FALSE(eq(waiting, started, 0));
  EXPECT_TRUE(eq(waiting, node(root, 0, {-1, -1}), 0));
}

TEST_F(Equivalence, ActiveSetsAndOpenPairingsMustMatchInOrder) {
  const entity *r0 = &sc.ref[0], *r1 = &sc.ref[1], *h0 = &sc.hyp[0], *h1 = &sc.hyp[1];
  align_node* a = node(root, 0, {0, 1});
  align_node* b = node(root, 0, {0, 1});
  a->active_set = b->active_set = {r0, r1, h0, h1};
  a->current_pairs = {{h0, r0}, {h1, r1}};
  b->current_pairs = {{h1, r1}, {h0, r0}};
  EXPECT_FALSE(eq(a, b, 0));
  b->current_pairs = a->current_pairs;
  EXPECT_TRUE(eq(a, b, 0));
  b->active_set.erase(h1);
  b->active_set.insert(r0);
  EXPECT_FALSE(eq(a, b, 0));
  b->active_set = {r0, r1, h0};
  EXPECT_FALSE(eq(a, b, 0));
  // Score, decisions of the segment and earlier nodes do not matter.
  b->active_set = a->active_set;
  b->score = 100;
  b->unmapped_entities = {&sc.hyp[1]};
  EXPECT_TRUE(eq(a, b, 0));
}

}  // namespace
