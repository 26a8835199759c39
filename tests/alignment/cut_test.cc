// The tests' own segment cutter against the entities subsystem's, on random
// scenes: the alignment tests rely on both cutting alike.
#include <gtest/gtest.h>

#include <random>

#include "entities/segment.h"
#include "fixture.h"

namespace {

std::string render_segments(const scene& sc, const std::vector<segment>& segments) {
  std::string out;
  for (const segment& seg : segments) {
    out += "[" + std::to_string(seg.start) + "," + std::to_string(seg.end) + ")";
    for (const entity* e : seg.entities) {
      out += " " + name(sc, e);
    }
    out += " s";
    for (const segment::ef& f : seg.starting_ref_entities) {
      out += " " + name(sc, f.e) + ":" + std::to_string(f.fid);
    }
    for (const entity* e : seg.starting_hyp_entities) {
      out += " " + name(sc, e);
    }
    out += " e";
    for (const segment::ef& f : seg.ending_ref_entities) {
      out += " " + name(sc, f.e) + ":" + std::to_string(f.fid);
    }
    out += "\n";
  }
  return out;
}

TEST(Cut, AgreesWithTheEntitiesSubsystem) {
  std::mt19937 rng(5);
  random_shape shape;
  shape.nref_max = 4;
  shape.nhyp_max = 4;
  shape.candidates = 3;
  for (int round = 0; round < 300; round++) {
    scene sc;
    random_scene(sc, rng, shape);
    frontier_map frontiers;
    add_frontiers(frontiers, sc.ref);
    add_frontiers(frontiers, sc.hyp);
    std::vector<segment> segments;
    build_segments(segments, frontiers);
    ASSERT_EQ(render_segments(sc, sc.segments), render_segments(sc, segments)) << round;
  }
}

}  // namespace
