// The frontier map and the segments between frontiers.
#include <algorithm>
#include <functional>
#include <vector>

#include "entities/segments.h"
#include "render.h"
#include "support/test_support.h"

namespace {

entity make(const std::vector<int>& starts, const std::vector<int>& ends, bool hyp = false) {
  entity e(0, 1, 0, 0, hyp, {});
  e.start = starts;
  e.end = ends;
  return e;
}

struct sides {
  std::vector<entity> ref, hyp;
  frontier_map frontiers;
  std::vector<segment> segments;

  sides& r(const std::vector<int>& starts, const std::vector<int>& ends) {
    ref.push_back(make(starts, ends));
    return *this;
  }
  sides& h(int start, int end) {
    hyp.push_back(make({start}, {end}, true));
    return *this;
  }
  // Both vectors are complete before any pointer into them is taken.
  sides& cut() {
    add_frontiers(frontiers, ref);
    add_frontiers(frontiers, hyp);
    build_segments(segments, frontiers);
    return *this;
  }
  std::string map() const { return show_frontiers(frontiers, ref, hyp); }
  std::string segs() const { return show_segments(segments, ref, hyp); }
};

TEST(segments, no_entity_no_segment) {
  sides s;
  s.cut();
  EXPECT_TRUE(s.frontiers.empty());
  EXPECT_TRUE(s.segments.empty());
}

TEST(segments, frontier_lists) {
  sides s;
  s.r({0, 2}, {2, 8}).r({2}, {5}).h(0, 5).h(2, 8).cut();
  // Reference before hypothesis, vector order, starts before ends, once per candidate.
  EXPECT_EQ("0:r0,h0 2:r0,r0,r1,h1 5:r1,h0 8:r0,h1", s.map());
}

TEST(segments, cut_between_frontiers) {
  struct {
    std::function<void(sides&)> add;
    const char* expected;
  } cases[] = {
      {[](sides& s) { s.r({0}, {5}); }, "0-5{r0}s{r0.0}e{r0.0}h{}"},
      // Nested: B is listed at 6 for its end, A is not, so A's end at 10 is not entered.
      {[](sides& s) { s.r({0}, {10}).r({3}, {6}); },
       "0-3{r0}s{r0.0}e{}h{} 3-6{r0,r1}s{r1.0}e{r1.0}h{} 6-10{r0,r1}s{}e{}h{}"},
      // Nested at one position, as <org><loc>Paris</loc></org> gives.
      {[](sides& s) { s.r({0}, {5}).r({0}, {5}); }, "0-5{r0,r1}s{r0.0,r1.0}e{r0.0,r1.0}h{}"},
      {[](sides& s) { s.r({0}, {5}).h(0, 5); }, "0-5{r0,h0}s{r0.0}e{r0.0}h{h0}"},
      {[](sides& s) {
         s.r({0, 2}, {8});
       },
       "0-2{r0}s{r0.0}e{}h{} 2-8{r0}s{r0.1}e{r0.0}h{}"},
      // Adjacent: the reference entity is listed at 5 for its end.
      {[](sides& s) { s.r({0}, {5}).h(5, 9); }, "0-5{r0}s{r0.0}e{r0.0}h{} 5-9{r0,h0}s{}e{}h{h0}"},
      {[](sides& s) { s.r({0}, {5}).r({5}, {9}); },
       "0-5{r0}s{r0.0}e{r0.0}h{} 5-9{r0,r1}s{r1.0}e{r1.0}h{}"},
      // Several end candidates: the later one is entered from the frontier of the earlier.
      {[](sides& s) {
         s.r({0}, {5, 9});
       },
       "0-5{r0}s{r0.0}e{r0.0}h{} 5-9{r0}s{}e{r0.1}h{}"},
      // A start and an end candidate on one position: entries made once.
      {[](sides& s) {
         s.r({10, 12}, {12, 20});
       },
       "10-12{r0}s{r0.0}e{r0.0}h{} 12-20{r0}s{r0.1}e{r0.1}h{}"},
      {[](sides& s) {
         s.r({0, 4}, {4, 9}).h(0, 4).h(4, 9);
       },
       "0-4{r0,h0}s{r0.0}e{r0.0}h{h0} 4-9{r0,h0,h1}s{r0.1}e{r0.1}h{h1}"},
      // A gap between entities is a segment too.
      {[](sides& s) { s.r({0}, {2}).h(5, 7); },
       "0-2{r0}s{r0.0}e{r0.0}h{} 2-5{r0}s{}e{}h{} 5-7{h0}s{}e{}h{h0}"},
  };
  for (const auto& c : cases) {
    sides s;
    c.add(s);
    s.cut();
    EXPECT_EQ(c.expected, s.segs());
  }
}

TEST(segments, entities_by_address_and_outcome_empty) {
  sides s;
  s.r({0}, {9}).r({2}, {6}).h(1, 4).h(3, 8).cut();
  EXPECT_EQ(
      "0-1{r0}s{r0.0}e{}h{} 1-2{r0,h0}s{}e{}h{h0} 2-3{r0,r1,h0}s{r1.0}e{}h{} "
      "3-4{r0,r1,h0,h1}s{}e{}h{h1} 4-6{r0,r1,h0,h1}s{}e{}h{} 6-8{r0,r1,h1}s{}e{}h{} "
      "8-9{r0,h1}s{}e{}h{}",
      s.segs());
  for (const segment& seg : s.segments) {
    EXPECT_TRUE(std::is_sorted(seg.entities.begin(), seg.entities.end(), std::less<entity*>()));
    EXPECT_TRUE(seg.added_pairs.empty());
    EXPECT_TRUE(seg.unmapped_entities.empty());
  }
}

}  // namespace
