// Counting the alignment outcomes.
#include <gtest/gtest.h>

#include <sstream>

#include "reports/hand_made.h"
#include "reports/reports.h"
#include "support/test_support.h"

namespace {

std::string join(const std::vector<int>& v) {
  std::string s;
  for (size_t i = 0; i < v.size(); i++) {
    s += (i ? "," : "") + std::to_string(v[i]);
  }
  return "[" + s + "]";
}

// All results of one calc_scores call on one line.
std::string scores_of(const std::vector<segment>& segments, std::vector<int> hyp = {},
                      std::vector<int> ref = {}, std::vector<int> correct = {}) {
  int tc = -1;
  double ser = -1;
  int ci = -1, cd = -1, cs = -1, cc = -1, ct = -1;
  calc_scores(segments, tc, hyp, ref, correct, ser, ci, cd, cs, cc, ct);
  std::ostringstream out;
  out << "tc=" << tc << " hyp=" << join(hyp) << " ref=" << join(ref) << " correct=" << join(correct)
      << " ser=" << ser << " I=" << ci << " D=" << cd << " S=" << cs << " C=" << cc << " T=" << ct;
  return out.str();
}

TEST(CalcScores, NoSegmentsGivesZerosForEveryType) {
  set_types({"pers", "loc", "org"});
  EXPECT_EQ("tc=3 hyp=[0,0,0] ref=[0,0,0] correct=[0,0,0] ser=0 I=0 D=0 S=0 C=0 T=0",
            scores_of({}));
}

TEST(CalcScores, WorkedExample) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ("tc=2 hyp=[2,1] ref=[3,1] correct=[2,0] ser=1.5 I=0 D=1 S=1 C=2 T=2",
            scores_of(run.segments));
}

TEST(CalcScores, InsertionsAndDeletionsAddTheirMissCosts) {
  set_types({"pers", "loc"});
  run_outcome run;
  entity& h = add_entity(run, "loc", true, {0}, {3}, make_record(0.25, {"ins"}));
  entity& r = add_entity(run, "pers", false, {5}, {9}, make_record(2, {"del"}));
  entity& h2 = add_entity(run, "pers", true, {5}, {9}, make_record(0.5, {}));
  add_segment(run, 0, 3, {&h});
  add_segment(run, 5, 9, {&r, &h2});
  EXPECT_EQ("tc=2 hyp=[1,1] ref=[1,0] correct=[0,0] ser=2.75 I=2 D=1 S=0 C=0 T=3",
            scores_of(run.segments));
}

TEST(CalcScores, CorrectnessComesFromTheErrorTypesAlone) {
  set_types({"pers", "loc"});
  run_outcome run;
  error_d miss = make_record(1, {"miss"});
  entity& r1 = add_entity(run, "pers", false, {0}, {3}, miss);
  entity& h1 = add_entity(run, "loc", true, {0}, {3}, miss);
  entity& r2 = add_entity(run, "loc", false, {5}, {9}, miss);
  entity& h2 = add_entity(run, "loc", true, {5}, {9}, miss);
  // A correct pairing across types, with a cost; a substitution at cost 0.
  add_segment(run, 0, 3, {}, {{&r1, &h1, add_record(run, 0.75, {})}});
  add_segment(run, 5, 9, {}, {{&r2, &h2, add_record(run, 0, {"boundary"})}});
  EXPECT_EQ("tc=2 hyp=[0,2] ref=[1,1] correct=[1,0] ser=0.75 I=0 D=0 S=1 C=1 T=1",
            scores_of(run.segments));
}

TEST(CalcScores, DeletionWithCandidatesCountsTheFirstMissRecord) {
  set_types({"org"});
  run_outcome run;
  entity& r = add_entity(run, "org", false, {0, 4}, {10}, make_record(1, {"miss"}));
  r.miss_errors[1][0] = make_record(0.5, {"miss"});
  run.fm[&r] = frontier_choice(1, 0);
  add_segment(run, 0, 4, {&r});
  EXPECT_EQ("tc=1 hyp=[0] ref=[1] correct=[0] ser=1 I=0 D=1 S=0 C=0 T=1", scores_of(run.segments));
}

TEST(CalcScores, CountersKeepValuesAlreadyPresentAndGrowWithZeros) {
  set_types({"pers", "loc"});
  run_outcome run;
  entity& r = add_entity(run, "loc", false, {0}, {3}, make_record(1, {"miss"}));
  add_segment(run, 0, 3, {&r});
  EXPECT_EQ("tc=2 hyp=[7,0] ref=[0,1] correct=[0,0] ser=1 I=0 D=1 S=0 C=0 T=1",
            scores_of(run.segments, {7}, {}, {}));
}

}  // namespace
