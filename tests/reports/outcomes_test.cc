// Counting the alignment outcomes.
#include "reports/outcomes.h"

#include <gtest/gtest.h>

#include <sstream>

#include "reports/hand_made.h"
#include "support/test_support.h"

namespace {

std::string join(const std::vector<int>& v) {
  std::string s;
  for (size_t i = 0; i < v.size(); i++) {
    s += (i ? "," : "") + std::to_string(v[i]);
  }
  return "[" + s + "]";
}

// All counts of one run on one line.
std::string scores_of(const run_outcome& run) {
  const outcome_counts c = count_outcomes(run.segments, run.vocab.types.size(), 0, 0);
  std::ostringstream out;
  out << "tc=" << c.hyp_per_type.size() << " hyp=" << join(c.hyp_per_type)
      << " ref=" << join(c.ref_per_type) << " correct=" << join(c.correct_per_type)
      << " ser=" << c.slot_error_sum << " I=" << c.insertions << " D=" << c.deletions
      << " S=" << c.substitutions << " C=" << c.corrects << " T=" << c.total_errors;
  return out.str();
}

TEST(CountOutcomes, NoSegmentsGivesZerosForEveryType) {
  const name_table types = make_types({"pers", "loc", "org"});
  EXPECT_EQ("tc=3 hyp=[0,0,0] ref=[0,0,0] correct=[0,0,0] ser=0 I=0 D=0 S=0 C=0 T=0",
            scores_of(run_outcome(types)));
}

TEST(CountOutcomes, WorkedExample) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ("tc=2 hyp=[2,1] ref=[3,1] correct=[2,0] ser=1.5 I=0 D=1 S=1 C=2 T=2", scores_of(run));
}

TEST(CountOutcomes, InsertionsAndDeletionsAddTheirMissCosts) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  entity& h = add_entity(run, "loc", true, {0}, {3}, make_record(run, 0.25, {"ins"}));
  entity& r = add_entity(run, "pers", false, {5}, {9}, make_record(run, 2, {"del"}));
  entity& h2 = add_entity(run, "pers", true, {5}, {9}, make_record(run, 0.5, {}));
  add_segment(run, 0, 3, {&h});
  add_segment(run, 5, 9, {&r, &h2});
  EXPECT_EQ("tc=2 hyp=[1,1] ref=[1,0] correct=[0,0] ser=2.75 I=2 D=1 S=0 C=0 T=3", scores_of(run));
}

TEST(CountOutcomes, CorrectnessComesFromTheErrorTypesAlone) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  error_d miss = make_record(run, 1, {"miss"});
  entity& r1 = add_entity(run, "pers", false, {0}, {3}, miss);
  entity& h1 = add_entity(run, "loc", true, {0}, {3}, miss);
  entity& r2 = add_entity(run, "loc", false, {5}, {9}, miss);
  entity& h2 = add_entity(run, "loc", true, {5}, {9}, miss);
  // A correct pairing across types, with a cost; a substitution at cost 0.
  add_segment(run, 0, 3, {}, {{&r1, &h1, add_record(run, 0.75, {})}});
  add_segment(run, 5, 9, {}, {{&r2, &h2, add_record(run, 0, {"boundary"})}});
  EXPECT_EQ("tc=2 hyp=[0,2] ref=[1,1] correct=[1,0] ser=0.75 I=0 D=0 S=1 C=1 T=1", scores_of(run));
}

TEST(CountOutcomes, DeletionWithCandidatesCountsTheFirstMissRecord) {
  const name_table types = make_types({"org"});
  run_outcome run(types);
  entity& r = add_entity(run, "org", false, {0, 4}, {10}, make_record(run, 1, {"miss"}));
  r.miss_errors[1][0] = make_record(run, 0.5, {"miss"});
  run.fm[&r] = frontier_choice(1, 0);
  add_segment(run, 0, 4, {&r});
  EXPECT_EQ("tc=1 hyp=[0] ref=[1] correct=[0] ser=1 I=0 D=1 S=0 C=0 T=1", scores_of(run));
}

}  // namespace
