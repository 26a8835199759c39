// Entities built from the markers of the aref format, and the checks that
// keep the markers' numbers from being used as bad indexes.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "entities/build.h"
#include "render.h"
#include "support/test_support.h"
#include "type_ids.h"

namespace {

// A marker of entity `id`: ftype "s", "e" or "se".
aref_tag marker(int id, const char* ftype, int pos, int tagid = pers, int depth = 0,
                int parent = -1, int line = 1, int col = 0) {
  const std::string f(ftype);
  return aref_tag(id, tagid, pos, f == "s" || f == "se", f == "e" || f == "se", depth, parent, line,
                  col);
}

std::string built(const name_table& types, const std::vector<aref_tag>& tags) {
  entity_set entities;
  build_entities_from_tags(entities, tags, "ref.aref", false, types);
  return show_entities(entities, types);
}

class aref_build : public ::testing::Test {
 protected:
  name_table types = make_types({"pers", "loc"});
};

TEST_F(aref_build, candidates_gather_by_id) {
  struct {
    std::vector<aref_tag> tags;
    const char* expected;
  } cases[] = {
      // No marker: no entity, as a text without tags.
      {{}, ""},
      // Markers without ids all belong to entity 0; one without ftype adds nothing.
      {{aref_tag(), marker(0, "s", 2), marker(0, "e", 5)}, "pers[2:5]d0"},
      {{marker(3, "s", 10), marker(3, "s", 12), marker(3, "e", 20)},
       "?[:]d0 ?[:]d0 ?[:]d0 pers[10,12:20]d0"},
      // An "se" marker between them adds to both lists.
      {{marker(3, "s", 10), marker(3, "s", 12), marker(3, "se", 15), marker(3, "e", 20)},
       "?[:]d0 ?[:]d0 ?[:]d0 pers[10,12,15:15,20]d0"},
      // Two markers of one id at one position give two equal candidates.
      {{marker(0, "s", 4), marker(0, "s", 4), marker(0, "e", 9), marker(0, "e", 9)},
       "pers[4,4:9,9]d0"},
      // The first marker fixes type, depth and parent; later ones only add positions.
      {{marker(0, "s", 0, loc), marker(1, "s", 1, pers, 1, 0), marker(1, "e", 2, loc, 5, -1),
        marker(0, "e", 3, pers, 2)},
       "loc[0:3]d0 pers[1:2]d1^0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, built(types, c.tags));
  }
}

TEST_F(aref_build, first_marker_gives_place_and_side) {
  entity_set entities;
  build_entities_from_tags(
      entities, {marker(0, "e", 0, loc, 0, -1, 3, 8), marker(0, "s", 0, loc, 0, -1, 1, 2)},
      "ref.aref", true, types);
  ASSERT_EQ(1u, entities.size());
  EXPECT_EQ(3, entities[0].line);
  EXPECT_EQ(8, entities[0].col);
  EXPECT_TRUE(entities[0].hyp);
  EXPECT_EQ(0u, entities[0].nattrs);
  EXPECT_EQ(0u, entities.attributes.size());
}

TEST_F(aref_build, parents_and_left_siblings) {
  // p (0, depth 0), q (1, depth 1, parent 0), r (2, depth 1, parent 0),
  // s (3, depth 0), t (4, depth 1, parent 3).
  std::vector<aref_tag> tags = {marker(0, "s", 0, pers, 0),   marker(1, "s", 0, loc, 1, 0),
                                marker(1, "e", 2, loc, 1, 0), marker(2, "s", 3, loc, 1, 0),
                                marker(2, "e", 4, loc, 1, 0), marker(0, "e", 4, pers, 0),
                                marker(3, "s", 5, pers, 0),   marker(4, "s", 6, loc, 1, 3),
                                marker(4, "e", 7, loc, 1, 3), marker(3, "e", 8, pers, 0)};
  EXPECT_EQ("pers[0:4]d0 loc[0:2]d1^0 loc[3:4]d1^0<1 pers[5:8]d0<0 loc[6:7]d1^3",
            built(types, tags));

  // The order of first markers, not of ids, decides who is the left sibling.
  EXPECT_EQ("pers[4:5]d0<1 pers[0:3]d0", built(types, {marker(1, "s", 0), marker(1, "e", 3),
                                                       marker(0, "s", 4), marker(0, "e", 5)}));
  // An entity may name itself or a later id as parent.
  EXPECT_EQ(
      "pers[0:1]d0^0 pers[2:3]d0^2 pers[2:3]d0",
      built(types, {marker(0, "s", 0, pers, 0, 0), marker(0, "e", 1), marker(1, "s", 2, pers, 0, 2),
                    marker(2, "s", 2), marker(1, "e", 3), marker(2, "e", 3)}));
}

TEST_F(aref_build, interleaved_markers_keep_candidates_and_links_by_id) {
  // The markers of three entities interleave; each entity gets its own
  // candidates, in marker order, and links by index.
  entity_set entities;
  build_entities_from_tags(entities,
                           {marker(0, "s", 0, pers, 0), marker(1, "s", 0, loc, 1, 0),
                            marker(1, "se", 2), marker(2, "s", 3, loc, 1, 0), marker(1, "e", 4),
                            marker(2, "e", 5), marker(0, "e", 5), marker(0, "e", 6)},
                           "ref.aref", false, types);
  EXPECT_EQ("pers[0:5,6]d0 loc[0,2:2,4]d1^0 loc[3:5]d1^0<1", show_entities(entities, types));
  const int32_t parents[] = {-1, 0, 0};
  const int32_t left[] = {-1, -1, 1};
  ASSERT_EQ(3u, entities.size());
  for (size_t i = 0; i < 3; i++) {
    EXPECT_EQ(parents[i], entities.parent(i)) << i;
    EXPECT_EQ(left[i], entities.left_constraint(i)) << i;
  }
}

TEST_F(aref_build, any_depth_is_a_key) {
  EXPECT_EQ("pers[0:1]d-2147483648 pers[1:2]d2147483647 pers[2:3]d-2147483648<0 pers[3:4]d-1",
            built(types, {marker(0, "s", 0, pers, INT_MIN), marker(0, "e", 1),
                          marker(1, "s", 1, pers, INT_MAX), marker(1, "e", 2),
                          marker(2, "s", 2, pers, INT_MIN), marker(2, "e", 3),
                          marker(3, "s", 3, pers, -1), marker(3, "e", 4)}));
}

TEST_F(aref_build, bad_ids_and_parents) {
  struct {
    std::vector<aref_tag> tags;
    const char* message;
  } cases[] = {
      {{marker(0, "s", 0), marker(-1, "e", 3, pers, 0, -1, 2, 5)},
       "ref.aref:2:5: Error: Malformed annotation, negative id -1.\n"},
      {{marker(INT_MIN, "s", 0, pers, 0, -1, 1, 1)},
       "ref.aref:1:1: Error: Malformed annotation, negative id -2147483648.\n"},
      {{marker(0, "s", 0, pers, 0, -2, 4, 0)},
       "ref.aref:4:0: Error: Malformed annotation, parent -2 names no annotation.\n"},
      {{marker(0, "s", 0, pers, 0, INT_MIN, 4, 0)},
       "ref.aref:4:0: Error: Malformed annotation, parent -2147483648 names no annotation.\n"},
      {{marker(0, "s", 0), marker(1, "s", 1, pers, 1, 2, 1, 30)},
       "ref.aref:1:30: Error: Malformed annotation, parent 2 names no annotation.\n"},
      // A later marker's parent is not used, but is checked all the same.
      {{marker(0, "s", 0), marker(0, "e", 2, pers, 0, 7, 3, 3)},
       "ref.aref:3:3: Error: Malformed annotation, parent 7 names no annotation.\n"},
      // Per-marker faults come in document order.
      {{marker(0, "s", 0, pers, 0, 9, 1, 4), marker(-3, "e", 2, pers, 0, -1, 2, 0)},
       "ref.aref:1:4: Error: Malformed annotation, parent 9 names no annotation.\n"},
  };
  for (const auto& c : cases) {
    entity_set entities;
    EXPECT_FATAL(build_entities_from_tags(entities, c.tags, "ref.aref", false, types), 1,
                 c.message);
  }
}

TEST_F(aref_build, ids_beyond_the_marker_count_are_gaps) {
  struct {
    std::vector<aref_tag> tags;
    const char* message;
  } cases[] = {
      {{marker(INT_MAX, "s", 0), marker(INT_MAX, "e", 3)},
       "ref.aref: Empty tag: annotation id 0 is never used.\n"},
      {{marker(0, "s", 0), marker(1, "s", 1), marker(5, "e", 3)},
       "ref.aref: Empty tag: annotation id 2 is never used.\n"},
      {{marker(1, "s", 0), marker(1, "e", 1), marker(0, "se", 1), marker(3, "s", 2),
        marker(2, "se", 3), marker(7, "e", 9)},
       "ref.aref: Empty tag: annotation id 4 is never used.\n"},
  };
  for (const auto& c : cases) {
    entity_set entities;
    EXPECT_FATAL(build_entities_from_tags(entities, c.tags, "ref.aref", false, types), 1,
                 c.message);
  }
  // An id equal to the marker count still gets its slots; refinement reports the gap.
  EXPECT_EQ("pers[0:]d0 ?[:]d0 pers[:1]d0<0", built(types, {marker(0, "s", 0), marker(2, "e", 1)}));
}

TEST_F(aref_build, a_marker_needs_a_type) {
  types = make_types({});
  entity_set entities;
  EXPECT_FATAL(build_entities_from_tags(entities, {aref_tag(0, 0, 0, true, true, 0, -1, 2, 3)},
                                        "ref.aref", false, types),
               1, "ref.aref:2:3: Error: Malformed annotation, missing type.\n");
}

}  // namespace
