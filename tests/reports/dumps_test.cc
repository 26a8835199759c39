// The diagnostic dumps of entities and segments.
#include "reports/dumps.h"

#include <gtest/gtest.h>

#include "entities/segments.h"
#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

const std::string data = "Jean  Dupont\tlives in Paris";

// The short form of entity `e` of `run`, with the run's chosen candidates.
std::string short_form(run_outcome& run, entity_id e) {
  return capture([&](FILE* out) {
    show_entity(out, run.set_of(e), run[e], data.c_str(), &run.result.chosen, run.vocab.types);
  });
}

TEST(Dumps, ShortEntityFormHasNoLineEnd) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  const entity_id r = add_entity(run, "pers", false, {0, 6}, {4, 12}, make_record(run, 1, {}));
  run[r].depth = 2;
  const entity_id h = add_entity(run, "loc", true, {22}, {27}, make_record(run, 1, {}));
  EXPECT_EQ("R:2:pers:Jean Dupont", short_form(run, r));
  choose(run, r, frontier_choice(1, 1));
  EXPECT_EQ("R:2:pers:Dupont", short_form(run, r));
  choose(run, r, frontier_choice(0, 0));
  EXPECT_EQ("R:2:pers:Jean", short_form(run, r));
  EXPECT_EQ("H:0:loc:Paris", short_form(run, h));
  // Without the choices: first start, last end.
  EXPECT_EQ("R:2:pers:Jean Dupont", capture([&](FILE* out) {
              show_entity(out, run.ref, run[r], data.c_str(), nullptr, types);
            }));
}

// The chosen candidates are the reference entities': a hypothesis entity of
// the same index, with candidates of its own, shows its first start and last
// end.
TEST(Dumps, ChoicesBelongToReferenceEntities) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  const entity_id r = add_entity(run, "pers", false, {0, 6}, {4, 12}, make_record(run, 1, {}));
  const entity_id h = add_entity(run, "pers", true, {0, 6}, {4, 12}, make_record(run, 1, {}));
  choose(run, r, frontier_choice(1, 1));
  EXPECT_EQ("R:0:pers:Dupont", short_form(run, r));
  EXPECT_EQ("H:0:pers:Jean Dupont", short_form(run, h));
}

TEST(Dumps, EntitySet) {
  const name_table types = make_types({"pers", "loc"});
  entity_set ents;
  ents.add(0, 1, 0, 0, false, {0, 6}, {4, 13});
  ents.add(1, 1, 0, 1, true, {22}, {27});
  EXPECT_EQ(
      "   0:     0    13 0 R pers Jean Dupont\\0x09\n"
      "   1:    22    27 1 H loc Paris\n",
      capture([&](FILE* out) { show_entities(out, ents, data.c_str(), types); }));
  EXPECT_EQ("", capture([&](FILE* out) { show_entities(out, entity_set(), data.c_str(), types); }));
}

// A dump may be taken before refinement, when an aref slot has no type and no
// candidate.
TEST(Dumps, EntityWithoutCandidates) {
  const name_table types = make_types({"pers"});
  entity_set ents;
  ents.items.emplace_back();
  EXPECT_EQ("   0:    -1    -1 0 R ? \n",
            capture([&](FILE* out) { show_entities(out, ents, data.c_str(), types); }));
  EXPECT_EQ("R:0:?:", capture([&](FILE* out) {
              show_entity(out, ents, ents[0], data.c_str(), nullptr, types);
            }));
}

TEST(Dumps, Segments) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  add_entity(run, "pers", false, {0}, {12}, make_record(run, 1, {}));
  const entity_id h = add_entity(run, "pers", true, {6}, {12}, make_record(run, 1, {}));
  run[h].depth = 1;
  // Three segments, the last concerning no entity.
  segment_set segments;
  segments.frontiers = {0, 6, 12, 22};
  segments.refs_begin.assign(4, 0);
  segments.hyps_begin.assign(4, 0);
  segments.ref_first = {0};
  segments.ref_last = {1};
  segments.hyp_first = {1};
  segments.hyp_last = {1};
  EXPECT_EQ(
      "   0:     0     6 R:0:0 pers Jean Dupont\n"
      "   1:     6    12 R:0:0 pers Jean Dupont | H:1:1 pers Dupont\n"
      "   2:    12    22\n",
      capture(
          [&](FILE* out) { show_segments(out, segments, run.ref, run.hyp, data.c_str(), types); }));
  EXPECT_EQ("", capture([&](FILE* out) {
              show_segments(out, segment_set(), run.ref, run.hyp, data.c_str(), types);
            }));
}

// As the segment builder cuts them: an entity concerns the segment that its
// last end opens.
TEST(Dumps, BuiltSegments) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  add_entity(run, "pers", false, {0}, {12}, make_record(run, 1, {}));
  add_entity(run, "loc", false, {22}, {27}, make_record(run, 1, {}));
  add_entity(run, "pers", true, {6}, {12}, make_record(run, 1, {}));
  segment_set segments;
  build_segments(segments, run.ref, run.hyp);
  EXPECT_EQ(
      "   0:     0     6 R:0:0 pers Jean Dupont\n"
      "   1:     6    12 R:0:0 pers Jean Dupont | H:0:1 pers Dupont\n"
      "   2:    12    22 R:0:0 pers Jean Dupont | H:0:1 pers Dupont\n"
      "   3:    22    27 R:0:0 loc Paris\n",
      capture(
          [&](FILE* out) { show_segments(out, segments, run.ref, run.hyp, data.c_str(), types); }));
}

}  // namespace
