// The diagnostic dumps of entities and segments.
#include "reports/dumps.h"

#include <gtest/gtest.h>

#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

const std::string data = "Jean  Dupont\tlives in Paris";

TEST(Dumps, ShortEntityFormHasNoLineEnd) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  entity& r = add_entity(run, "pers", false, {0, 6}, {4, 12}, make_record(run, 1, {}));
  r.depth = 2;
  entity& h = add_entity(run, "loc", true, {22}, {27}, make_record(run, 1, {}));
  EXPECT_EQ("R:2:pers:Jean Dupont",
            capture([&](FILE* out) { show_entity(out, r, data.c_str(), run.fm, types); }));
  run.fm[&r] = frontier_choice(1, 1);
  EXPECT_EQ("R:2:pers:Dupont",
            capture([&](FILE* out) { show_entity(out, r, data.c_str(), run.fm, types); }));
  run.fm[&r] = frontier_choice(0, 0);
  EXPECT_EQ("R:2:pers:Jean",
            capture([&](FILE* out) { show_entity(out, r, data.c_str(), run.fm, types); }));
  EXPECT_EQ("H:0:loc:Paris",
            capture([&](FILE* out) { show_entity(out, h, data.c_str(), run.fm, types); }));
}

TEST(Dumps, EntityVector) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  std::vector<entity> ents;
  ents.emplace_back(0, 1, 0, 0, false, attr_list{});
  ents.back().start = {0, 6};
  ents.back().end = {4, 13};
  ents.emplace_back(1, 1, 0, 1, true, attr_list{});
  ents.back().start = {22};
  ents.back().end = {27};
  EXPECT_EQ(
      "   0:     0    13 0 R pers Jean Dupont\\0x09\n"
      "   1:    22    27 1 H loc Paris\n",
      capture([&](FILE* out) { show_entities(out, ents, data.c_str(), types); }));
  EXPECT_EQ("", capture([&](FILE* out) { show_entities(out, {}, data.c_str(), types); }));
}

// A dump may be taken before refinement, when an aref slot has no type and no
// candidate.
TEST(Dumps, EntityWithoutCandidates) {
  const name_table types = make_types({"pers"});
  std::vector<entity> ents(1);
  EXPECT_EQ("   0:    -1    -1 0 R ? \n",
            capture([&](FILE* out) { show_entities(out, ents, data.c_str(), types); }));
  EXPECT_EQ("R:0:?:",
            capture([&](FILE* out) { show_entity(out, ents[0], data.c_str(), {}, types); }));
}

TEST(Dumps, Segments) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  entity& r = add_entity(run, "pers", false, {0}, {12}, make_record(run, 1, {}));
  entity& h = add_entity(run, "pers", true, {6}, {12}, make_record(run, 1, {}));
  h.depth = 1;
  std::vector<segment> segments(3);
  segments[0].start = 0;
  segments[0].end = 6;
  segments[0].entities = {&r};
  segments[1].start = 6;
  segments[1].end = 12;
  segments[1].entities = {&r, &h};
  segments[2].start = 12;
  segments[2].end = 22;
  EXPECT_EQ(
      "   0:     0     6 R:0:0 pers Jean Dupont\n"
      "   1:     6    12 R:0:0 pers Jean Dupont | H:1:1 pers Dupont\n"
      "   2:    12    22\n",
      capture([&](FILE* out) { show_segments(out, segments, data.c_str(), types); }));
  EXPECT_EQ("", capture([&](FILE* out) { show_segments(out, {}, data.c_str(), types); }));
}

}  // namespace
