// Documents and tags through reading, building, refinement and cutting,
// including garbage aref input that must end in a message or a sound result.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "entities/build.h"
#include "entities/refine.h"
#include "entities/segments.h"
#include "readers/reposition.h"
#include "readers/text_reader.h"
#include "render.h"
#include "support/test_support.h"

namespace {

TEST(pipeline, aref_entities_to_segments) {
  const name_table types = make_types({"pers", "title"});
  // "Le M. Jean Dupont dit": pers may start with or without its title, and
  // may end with or without a trailing space the markers enclose.
  const std::string text = "Le M. Jean Dupont dit";
  const std::vector<aref_tag> tags = {
      aref_tag(0, 0, 3, true, false, 0, -1, 1, 3),   aref_tag(1, 1, 3, true, false, 1, 0, 1, 30),
      aref_tag(1, 1, 5, false, true, 1, 0, 1, 60),   aref_tag(0, 0, 6, true, false, 0, -1, 1, 90),
      aref_tag(0, 0, 17, false, true, 0, -1, 1, 99), aref_tag(0, 0, 18, false, true, 0, -1, 2, 0)};
  entity_set ref;
  build_entities_from_tags(ref, tags, "ref.aref", false, types);
  EXPECT_EQ("pers[3,6:17,18]d0 title[3:5]d1^0", show_entities(ref, types));
  refine_entities(ref, text.c_str(), "ref.aref", types);
  EXPECT_EQ("pers[3,6:17]d0 title[3:5]d1^0", show_entities(ref, types));

  text_tags hyp_tags;
  hyp_tags.tags = {simple_tag(0, false, 5, 1, 0), simple_tag(0, true, 17, 1, 20)};
  entity_set hyp;
  build_entities_from_tags(hyp, hyp_tags, "hyp.txt", true, types);
  refine_entities(hyp, text.c_str(), "hyp.txt", types);
  EXPECT_EQ("pers[6:17]d0", show_entities(hyp, types));

  segment_set segments;
  build_segments(segments, ref, hyp);
  EXPECT_EQ("3,5,6,17", show_frontiers(segments));
  EXPECT_EQ("3-5 s{r0.0,r1.0} h{} | 5-6 s{} h{} | 6-17 s{r0.1} h{h0}", show_segments(segments));
  EXPECT_EQ("r0:0-2 r1:0-1 h0:2-2", show_ranges(segments));
}

TEST(pipeline, annotated_text_to_segments) {
  // Read, built and refined: the attributes travel from the reader's pool to
  // the entity set's, and the boundaries move in past the spaces.
  const name_table types = make_types({"pers", "loc"});
  std::vector<char> ref_doc = doc_buffer("<pers a=1> Jean </pers>\n<loc k=\"x y\" b>Paris</loc>");
  text_tags ref_tags;
  xml_extract_tags(ref_tags, ref_doc.data(), ref_doc.size() - 1, "ref.txt", types);
  entity_set ref;
  build_entities_from_tags(ref, ref_tags, "ref.txt", false, types);
  refine_entities(ref, ref_doc.data(), "ref.txt", types);
  EXPECT_EQ("pers[1:5]d0{a=1} loc[7:12]d0{k=x y,b=}", show_entities(ref, types));
  EXPECT_TRUE(ref.links.empty());

  std::vector<char> hyp_doc = doc_buffer("<loc c=2>Jean \n Paris</loc>");
  text_tags hyp_tags;
  xml_extract_tags(hyp_tags, hyp_doc.data(), hyp_doc.size() - 1, "hyp.txt", types);
  align_and_reposition(ref_doc.data(), hyp_doc.data(), hyp_tags.tags);
  entity_set hyp;
  build_entities_from_tags(hyp, hyp_tags, "hyp.txt", true, types);
  refine_entities(hyp, ref_doc.data(), "hyp.txt", types);
  EXPECT_EQ("loc[1:12]d0{c=2}", show_entities(hyp, types));

  segment_set segments;
  build_segments(segments, ref, hyp);
  EXPECT_EQ("1-5 s{r0.0} h{h0} | 5-7 s{} h{} | 7-12 s{r1.0} h{}", show_segments(segments));
  EXPECT_EQ("r0:0-1 r1:2-2 h0:0-2", show_ranges(segments));
}

// The index of the frontier at `pos`, or the number of segments when none is.
int32_t segment_at(const segment_set& segs, int32_t pos) {
  auto it = std::lower_bound(segs.frontiers.begin(), segs.frontiers.end(), pos);
  EXPECT_TRUE(it != segs.frontiers.end() && *it == pos) << "no frontier at " << pos;
  return static_cast<int32_t>(
      std::min<size_t>(static_cast<size_t>(it - segs.frontiers.begin()), segs.size() - 1));
}

// What every later step relies on once refinement has accepted the entities.
void check_sound(const entity_set& entities, const segment_set& segs) {
  const int32_t n = static_cast<int32_t>(entities.size());
  std::set<int32_t> positions;
  for (int32_t i = 0; i < n; ++i) {
    const entity& e = entities[static_cast<size_t>(i)];
    const view<const int32_t> starts = entities.starts(e);
    const view<const int32_t> ends = entities.ends(e);
    ASSERT_FALSE(starts.empty());
    ASSERT_FALSE(ends.empty());
    ASSERT_LE(e.starts + e.nstarts, entities.positions.size());
    ASSERT_LE(e.ends + e.nends, entities.positions.size());
    EXPECT_LT(starts.front(), ends.front());
    EXPECT_LT(starts.back(), ends.back());
    EXPECT_TRUE(std::adjacent_find(starts.begin(), starts.end(), std::greater_equal<int>()) ==
                starts.end());
    EXPECT_TRUE(std::adjacent_find(ends.begin(), ends.end(), std::greater_equal<int>()) ==
                ends.end());
    for (int32_t link : {entities.parent(static_cast<size_t>(i)),
                         entities.left_constraint(static_cast<size_t>(i))}) {
      EXPECT_TRUE(link >= -1 && link < n) << link;
    }
    positions.insert(starts.begin(), starts.end());
    positions.insert(ends.begin(), ends.end());
  }
  // Every candidate is a frontier, and nothing else is.
  ASSERT_EQ(std::vector<int32_t>(positions.begin(), positions.end()), segs.frontiers);
  ASSERT_EQ(entities.size(), segs.ref_first.size());
  ASSERT_EQ(entities.size(), segs.ref_last.size());
  for (int32_t i = 0; i < n; ++i) {
    const entity& e = entities[static_cast<size_t>(i)];
    EXPECT_EQ(segment_at(segs, entities.first_start(e)), segs.ref_first[static_cast<size_t>(i)]);
    EXPECT_EQ(segment_at(segs, entities.last_end(e)), segs.ref_last[static_cast<size_t>(i)]);
  }
  std::vector<size_t> starts_seen(entities.size(), 0);
  for (size_t s = 0; s < segs.size(); ++s) {
    const segment seg = segs[s];
    EXPECT_TRUE(seg.starting_hyps.empty());
    std::set<int32_t> once;
    for (const ref_start& f : seg.starting_refs) {
      ASSERT_TRUE(f.ref >= 0 && f.ref < n);
      EXPECT_TRUE(once.insert(f.ref).second) << "an entity starts twice in one segment";
      const entity& e = entities[static_cast<size_t>(f.ref)];
      ASSERT_TRUE(f.fid >= 0 && static_cast<uint32_t>(f.fid) < e.nstarts);
      EXPECT_EQ(seg.start, entities.start(e, f.fid));
      EXPECT_LE(segs.ref_first[static_cast<size_t>(f.ref)], static_cast<int32_t>(s));
      EXPECT_GE(segs.ref_last[static_cast<size_t>(f.ref)], static_cast<int32_t>(s));
      ++starts_seen[static_cast<size_t>(f.ref)];
    }
  }
  for (size_t i = 0; i < entities.size(); ++i) {
    EXPECT_EQ(entities[i].nstarts, starts_seen[i]);
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
    entity_set ref;
    try {
      build_entities_from_tags(ref, markers, "ref.aref", false, types);
      ASSERT_LE(ref.size(), markers.size() + 1);
      refine_entities(ref, text.c_str(), "ref.aref", types);
    } catch (const fatal_error& err) {
      EXPECT_EQ(1, err.status);
      EXPECT_EQ(0u, err.text.rfind("ref.aref", 0)) << err.text;
      continue;
    }
    ++accepted;
    segment_set segments;
    build_segments(segments, ref, entity_set());
    check_sound(ref, segments);
  }
  // The generator must reach the far end of the pipeline often enough to matter.
  EXPECT_GT(accepted, 100);
}

}  // namespace
