// Tags through building, refinement and cutting, including garbage aref
// input that must end in a message or a sound result.
#include <algorithm>
#include <climits>
#include <list>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "entities/build.h"
#include "entities/refine.h"
#include "entities/segments.h"
#include "render.h"
#include "support/test_support.h"

namespace {

TEST(pipeline, aref_entities_to_segments) {
  const name_table types = make_types({"pers", "title"});
  // "Le M. Jean Dupont dit": pers may start with or without its title, and
  // may end with or without a trailing space the markers enclose.
  const std::string text = "Le M. Jean Dupont dit";
  std::list<aref_tag> tags = {
      aref_tag(0, 0, 3, true, false, 0, -1, 1, 3),   aref_tag(1, 1, 3, true, false, 1, 0, 1, 30),
      aref_tag(1, 1, 5, false, true, 1, 0, 1, 60),   aref_tag(0, 0, 6, true, false, 0, -1, 1, 90),
      aref_tag(0, 0, 17, false, true, 0, -1, 1, 99), aref_tag(0, 0, 18, false, true, 0, -1, 2, 0)};
  std::vector<entity> ref;
  build_entities_from_tags(ref, tags, "ref.aref", false, types);
  EXPECT_EQ("pers[3,6:17,18]d0 title[3:5]d1^0", show_entities(ref, types));
  refine_entities(ref, text.c_str(), "ref.aref", types);
  EXPECT_EQ("pers[3,6:17]d0 title[3:5]d1^0", show_entities(ref, types));

  std::vector<entity> hyp;
  build_entities_from_tags(hyp,
                           {simple_tag(0, false, 5, 1, 0, {}), simple_tag(0, true, 17, 1, 20, {})},
                           "hyp.txt", true, types);
  refine_entities(hyp, text.c_str(), "hyp.txt", types);
  EXPECT_EQ("pers[6:17]d0", show_entities(hyp, types));

  frontier_map frontiers;
  add_frontiers(frontiers, ref);
  add_frontiers(frontiers, hyp);
  std::vector<segment> segments;
  build_segments(segments, frontiers);
  EXPECT_EQ("3:r0,r1 5:r1 6:r0,h0 17:r0,h0", show_frontiers(frontiers, ref, hyp));
  EXPECT_EQ("3-5{r0,r1}s{r0.0,r1.0}e{r1.0}h{} 5-6{r0,r1}s{}e{}h{} 6-17{r0,h0}s{r0.1}e{r0.0}h{h0}",
            show_segments(segments, ref, hyp));
}

// What every later step relies on once refinement has accepted the entities.
void check_sound(const std::vector<entity>& entities, const std::vector<segment>& segments,
                 size_t frontier_count) {
  for (const entity& e : entities) {
    ASSERT_FALSE(e.start.empty());
    ASSERT_FALSE(e.end.empty());
    EXPECT_LT(e.start.front(), e.end.front());
    EXPECT_LT(e.start.back(), e.end.back());
    EXPECT_TRUE(std::adjacent_find(e.start.begin(), e.start.end(), std::greater_equal<int>()) ==
                e.start.end());
    EXPECT_TRUE(std::adjacent_find(e.end.begin(), e.end.end(), std::greater_equal<int>()) ==
                e.end.end());
    for (const entity* link : {e.parent, e.left_constraint}) {
      EXPECT_TRUE(!link || (link >= &entities.front() && link <= &entities.back()));
    }
  }
  EXPECT_EQ(frontier_count - 1, segments.size());
  std::vector<size_t> starts_seen(entities.size(), 0);
  for (const segment& seg : segments) {
    std::set<const entity*> once;
    for (const segment::ef& f : seg.starting_ref_entities) {
      EXPECT_TRUE(once.insert(f.e).second) << "an entity starts twice in one segment";
      ASSERT_LT(f.fid, f.e->start.size());
      EXPECT_EQ(seg.start, f.e->start[f.fid]);
      ++starts_seen[static_cast<size_t>(f.e - &entities.front())];
    }
    once.clear();
    for (const segment::ef& f : seg.ending_ref_entities) {
      EXPECT_TRUE(once.insert(f.e).second) << "an entity ends twice in one segment";
    }
    EXPECT_EQ(std::set<entity*>(seg.entities.begin(), seg.entities.end()).size(),
              seg.entities.size());
  }
  for (size_t i = 0; i < entities.size(); ++i) {
    EXPECT_EQ(entities[i].start.size(), starts_seen[i]);
  }
}

TEST(pipeline, garbage_aref_input_ends_in_a_message_or_sound_entities) {
  const name_table types = make_types({"pers", "loc"});
  std::mt19937 rng(20240611);
  const int odd_values[] = {INT_MIN, -1000000, -3, -2, -1, 1000000, INT_MAX};
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = pick(0, 12);
    for (int i = 0; i < length; ++i) {
      text += "  \nabcd"[pick(0, 6)];
    }
    // Mostly plausible entities (a start and an end marker each, some extra
    // markers), then now and again one field made absurd.
    std::vector<aref_tag> markers;
    const int ids = pick(0, 4);
    for (int id = 0; id < ids; ++id) {
      const int parent = pick(-1, id - 1);
      const int depth = pick(0, 2);
      const int first = pick(0, length);
      const int last = pick(first, length);
      const int extra = pick(0, 2);
      markers.emplace_back(id, pick(0, 1), first, true, false, depth, parent, 1, 0);
      markers.emplace_back(id, pick(0, 1), last, false, true, depth, parent, 1, 0);
      for (int i = 0; i < extra; ++i) {
        markers.emplace_back(id, pick(0, 1), pick(0, length), pick(0, 1) == 1, pick(0, 1) == 1,
                             pick(-1, 3), pick(-1, ids), 1, 0);
      }
    }
    if (!markers.empty() && pick(0, 3) == 0) {
      aref_tag& m = markers[static_cast<size_t>(pick(0, static_cast<int>(markers.size()) - 1))];
      int& field = pick(0, 2) == 0 ? m.id : pick(0, 1) == 0 ? m.parent : m.depth;
      field = odd_values[pick(0, 6)];
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const aref_tag& x, const aref_tag& y) { return x.pos < y.pos; });
    const std::list<aref_tag> tags(markers.begin(), markers.end());
    std::vector<entity> ref;
    try {
      build_entities_from_tags(ref, tags, "ref.aref", false, types);
      ASSERT_LE(ref.size(), tags.size() + 1);
      refine_entities(ref, text.c_str(), "ref.aref", types);
    } catch (const fatal_error& err) {
      EXPECT_EQ(1, err.status);
      EXPECT_EQ(0u, err.text.rfind("ref.aref", 0)) << err.text;
      continue;
    }
    ++accepted;
    frontier_map frontiers;
    add_frontiers(frontiers, ref);
    std::vector<segment> segments;
    build_segments(segments, frontiers);
    check_sound(ref, segments, frontiers.size());
  }
  // The generator must reach the far end of the pipeline often enough to matter.
  EXPECT_GT(accepted, 100);
}

}  // namespace
