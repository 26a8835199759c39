// The frontiers, the segments between them with the entities that start in
// each, and the range of segments each entity concerns.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "entities/segments.h"
#include "render.h"
#include "support/test_support.h"

namespace {

struct sides {
  entity_set ref, hyp;
  segment_set segments;

  sides& r(const std::vector<int>& starts, const std::vector<int>& ends) {
    ref.add(0, 1, 0, 0, false, starts, ends);
    return *this;
  }
  sides& h(int start, int end) {
    hyp.add(0, 1, 0, 0, true, std::vector<int32_t>{start}, std::vector<int32_t>{end});
    return *this;
  }
  sides& cut() {
    build_segments(segments, ref, hyp);
    return *this;
  }
  std::string segs() const { return show_segments(segments); }
  std::string ranges() const { return show_ranges(segments); }
};

TEST(segments, no_entity_no_segment) {
  sides s;
  s.cut();
  EXPECT_TRUE(s.segments.frontiers.empty());
  EXPECT_EQ(0u, s.segments.size());
  EXPECT_EQ("", s.ranges());
}

TEST(segments, frontiers_and_starting_entries) {
  sides s;
  s.r({0, 2}, {2, 8}).r({2}, {5}).h(0, 5).h(2, 8).cut();
  // Every candidate position once, ascending. At 2, r0 has a start and an
  // end candidate: it is entered once, for its start.
  EXPECT_EQ("0,2,5,8", show_frontiers(s.segments));
  EXPECT_EQ("0-2 s{r0.0} h{h0} | 2-5 s{r0.1,r1.0} h{h1} | 5-8 s{} h{}", s.segs());
  EXPECT_EQ("r0:0-2 r1:1-2 h0:0-2 h1:1-2", s.ranges());
}

TEST(segments, cut_between_frontiers) {
  struct {
    std::function<void(sides&)> add;
    const char* segments;
    const char* ranges;
  } cases[] = {
      {[](sides& s) { s.r({0}, {5}); }, "0-5 s{r0.0} h{}", "r0:0-0"},
      // Nested: B concerns the segment its end opens at 6; A's end is the
      // last frontier, which opens no segment, so A runs to the last one.
      {[](sides& s) { s.r({0}, {10}).r({3}, {6}); },
       "0-3 s{r0.0} h{} | 3-6 s{r1.0} h{} | 6-10 s{} h{}", "r0:0-2 r1:1-2"},
      // Nested at one position, as <org><loc>Paris</loc></org> gives.
      {[](sides& s) { s.r({0}, {5}).r({0}, {5}); }, "0-5 s{r0.0,r1.0} h{}", "r0:0-0 r1:0-0"},
      {[](sides& s) { s.r({0}, {5}).h(0, 5); }, "0-5 s{r0.0} h{h0}", "r0:0-0 h0:0-0"},
      {[](sides& s) {
         s.r({0, 2}, {8});
       },
       "0-2 s{r0.0} h{} | 2-8 s{r0.1} h{}", "r0:0-1"},
      // Adjacent: the reference entity concerns the segment its end opens at 5.
      {[](sides& s) { s.r({0}, {5}).h(5, 9); }, "0-5 s{r0.0} h{} | 5-9 s{} h{h0}", "r0:0-1 h0:1-1"},
      {[](sides& s) { s.r({0}, {5}).r({5}, {9}); }, "0-5 s{r0.0} h{} | 5-9 s{r1.0} h{}",
       "r0:0-1 r1:1-1"},
      // Several end candidates: the last one decides.
      {[](sides& s) {
         s.r({0}, {5, 9});
       },
       "0-5 s{r0.0} h{} | 5-9 s{} h{}", "r0:0-1"},
      // A start and an end candidate on one position: entered once.
      {[](sides& s) {
         s.r({10, 12}, {12, 20});
       },
       "10-12 s{r0.0} h{} | 12-20 s{r0.1} h{}", "r0:0-1"},
      {[](sides& s) {
         s.r({0, 4}, {4, 9}).h(0, 4).h(4, 9);
       },
       "0-4 s{r0.0} h{h0} | 4-9 s{r0.1} h{h1}", "r0:0-1 h0:0-1 h1:1-1"},
      // A gap between entities is a segment too.
      {[](sides& s) { s.r({0}, {2}).h(5, 7); }, "0-2 s{r0.0} h{} | 2-5 s{} h{} | 5-7 s{} h{h0}",
       "r0:0-1 h0:2-2"},
  };
  for (const auto& c : cases) {
    sides s;
    c.add(s);
    s.cut();
    EXPECT_EQ(c.segments, s.segs());
    EXPECT_EQ(c.ranges, s.ranges());
  }
}

TEST(segments, ranges_end_at_the_segment_the_last_end_opens) {
  struct {
    std::function<void(sides&)> add;
    const char* segments;
    const char* ranges;
  } cases[] = {
      // r0 ends at 3, well before the last frontier: it concerns 3-5, which
      // its end opens, and no later segment.
      {[](sides& s) { s.r({0}, {3}).h(0, 5).h(7, 9); },
       "0-3 s{r0.0} h{h0} | 3-5 s{} h{} | 5-7 s{} h{} | 7-9 s{} h{h1}", "r0:0-1 h0:0-2 h1:3-3"},
      // An earlier end candidate does not end the range; the entities
      // starting between its candidates do not move it either.
      {[](sides& s) {
         s.r({0}, {2, 6}).r({3}, {4}).h(1, 8);
       },
       "0-1 s{r0.0} h{} | 1-2 s{} h{h0} | 2-3 s{} h{} | 3-4 s{r1.0} h{} | 4-6 s{} h{} | "
       "6-8 s{} h{}",
       "r0:0-5 r1:3-4 h0:1-5"},
      // Two start candidates: the first opens the range, and a start shared
      // with another entity lists both, by index.
      {[](sides& s) {
         s.r({1}, {6}).r({0, 1}, {2, 3});
       },
       "0-1 s{r1.0} h{} | 1-2 s{r0.0,r1.1} h{} | 2-3 s{} h{} | 3-6 s{} h{}", "r0:1-3 r1:0-3"},
      // A hypothesis entity whose start and end coincide is one position:
      // listed once, opening and closing its range in one segment.
      {[](sides& s) { s.r({0}, {6}).h(3, 3); }, "0-3 s{r0.0} h{} | 3-6 s{} h{h0}", "r0:0-1 h0:1-1"},
      // Everything on two positions.
      {[](sides& s) { s.r({0}, {4}).r({0}, {4}).h(0, 4).h(0, 4); }, "0-4 s{r0.0,r1.0} h{h0,h1}",
       "r0:0-0 r1:0-0 h0:0-0 h1:0-0"},
  };
  for (const auto& c : cases) {
    sides s;
    c.add(s);
    s.cut();
    EXPECT_EQ(c.segments, s.segs());
    EXPECT_EQ(c.ranges, s.ranges());
  }
}

TEST(segments, overlapping_entities) {
  sides s;
  s.r({0}, {9}).r({2}, {6}).h(1, 4).h(3, 8).cut();
  EXPECT_EQ(
      "0-1 s{r0.0} h{} | 1-2 s{} h{h0} | 2-3 s{r1.0} h{} | 3-4 s{} h{h1} | 4-6 s{} h{} | "
      "6-8 s{} h{} | 8-9 s{} h{}",
      s.segs());
  EXPECT_EQ("r0:0-6 r1:2-5 h0:1-4 h1:3-6", s.ranges());
}

// Sets large enough to be sorted by position in counting passes, with
// candidates out of order and positions past 2^16 and shared: the frontiers
// and each segment's starting entities as a plain scan finds them.
TEST(segments, large_sets_in_the_order_of_a_scan) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> pos(0, 300000);
  sides s;
  for (int i = 0; i < 30000; i++) {
    const int32_t a = pos(rng), b = pos(rng), c = pos(rng);
    s.r({std::max(a, b), std::min(a, b)}, {std::max(a, b) + 1 + c % 50});
  }
  for (int i = 0; i < 20000; i++) {
    const int32_t a = pos(rng);
    s.h(a, a + 1 + a % 40);
  }
  s.cut();
  std::vector<int32_t> all(s.ref.positions);
  all.insert(all.end(), s.hyp.positions.begin(), s.hyp.positions.end());
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  ASSERT_EQ(all, s.segments.frontiers);
  std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> refs_at;
  for (size_t i = 0; i < s.ref.size(); i++) {
    const auto starts = s.ref.starts(s.ref[i]);
    for (size_t k = 0; k < starts.size(); k++) {
      refs_at[starts[k]].emplace_back(static_cast<int32_t>(i), static_cast<int32_t>(k));
    }
  }
  std::map<int32_t, std::vector<int32_t>> hyps_at;
  for (size_t i = 0; i < s.hyp.size(); i++) {
    hyps_at[s.hyp.first_start(s.hyp[i])].push_back(static_cast<int32_t>(i));
  }
  for (size_t sid = 0; sid < s.segments.size(); sid++) {
    const segment g = s.segments[sid];
    std::vector<std::pair<int32_t, int32_t>> refs;
    for (const ref_start& r : g.starting_refs) {
      refs.emplace_back(r.ref, r.fid);
    }
    ASSERT_EQ(refs_at[g.start], refs) << "segment " << sid;
    ASSERT_EQ(hyps_at[g.start],
              std::vector<int32_t>(g.starting_hyps.begin(), g.starting_hyps.end()))
        << "segment " << sid;
  }
}

}  // namespace
