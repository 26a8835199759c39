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
  const outcome_counts c = count_outcomes(run.pair(""));
  std::ostringstream out;
  out << "tc=" << c.hyp_per_type.size() << " hyp=" << join(c.hyp_per_type)
      << " ref=" << join(c.ref_per_type) << " correct=" << join(c.correct_per_type)
      << " correct_hyp=" << join(c.correct_hyp_per_type) << " ser=" << c.slot_error_sum
      << " I=" << c.insertions << " D=" << c.deletions << " S=" << c.substitutions
      << " C=" << c.corrects << " T=" << c.total_errors;
  return out.str();
}

TEST(CountOutcomes, NoOutcomeGivesZerosForEveryType) {
  const name_table types = make_types({"pers", "loc", "org"});
  EXPECT_EQ(
      "tc=3 hyp=[0,0,0] ref=[0,0,0] correct=[0,0,0] correct_hyp=[0,0,0] ser=0 I=0 D=0 S=0 C=0 T=0",
      scores_of(run_outcome(types)));
}

TEST(CountOutcomes, WorkedExample) {
  run_outcome run;
  build_worked_example(run);
  EXPECT_EQ("tc=2 hyp=[2,1] ref=[3,1] correct=[2,0] correct_hyp=[2,0] ser=1.5 I=0 D=1 S=1 C=2 T=2",
            scores_of(run));
}

TEST(CountOutcomes, InsertionsAndDeletionsAddTheirMissCosts) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  const entity_id h = add_entity(run, "loc", true, {0}, {3}, make_record(run, 0.25, {"ins"}));
  const entity_id r = add_entity(run, "pers", false, {5}, {9}, make_record(run, 2, {"del"}));
  const entity_id h2 = add_entity(run, "pers", true, {5}, {9}, make_record(run, 0.5, {}));
  add_segment(run, {h});
  add_segment(run, {r, h2});
  EXPECT_EQ("tc=2 hyp=[1,1] ref=[1,0] correct=[0,0] correct_hyp=[0,0] ser=2.75 I=2 D=1 S=0 C=0 T=3",
            scores_of(run));
}

TEST(CountOutcomes, CorrectnessComesFromTheErrorTypesAlone) {
  const name_table types = make_types({"pers", "loc"});
  run_outcome run(types);
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r1 = add_entity(run, "pers", false, {0}, {3}, miss);
  const entity_id h1 = add_entity(run, "loc", true, {0}, {3}, miss);
  const entity_id r2 = add_entity(run, "loc", false, {5}, {9}, miss);
  const entity_id h2 = add_entity(run, "loc", true, {5}, {9}, miss);
  // A correct pairing across types, with a cost; a substitution at cost 0.
  add_segment(run, {}, {{r1, h1, add_record(run, 0.75, {})}});
  add_segment(run, {}, {{r2, h2, add_record(run, 0, {"boundary"})}});
  EXPECT_EQ("tc=2 hyp=[0,2] ref=[1,1] correct=[1,0] correct_hyp=[0,1] ser=0.75 I=0 D=0 S=1 C=1 T=1",
            scores_of(run));
}

TEST(CountOutcomes, DeletionWithCandidatesCountsTheFirstMissRecord) {
  const name_table types = make_types({"org"});
  run_outcome run(types);
  const entity_id r = add_entity(run, "org", false, {0, 4}, {10}, make_record(run, 1, {"miss"}));
  miss_of(run, r, 1, 0) = make_record(run, 0.5, {"miss"});
  choose(run, r, frontier_choice(1, 0));
  add_segment(run, {r});
  EXPECT_EQ("tc=1 hyp=[0] ref=[1] correct=[0] correct_hyp=[0] ser=1 I=0 D=1 S=0 C=0 T=1",
            scores_of(run));
}

// The alignment's result lists the unpaired entities and the pairings apart,
// each by segment; the walk merges them segment by segment, the unpaired
// first, and skips segments with neither.
TEST(ForEachOutcome, SegmentBySegmentUnpairedFirst) {
  const name_table types = make_types({"pers"});
  run_outcome run(types);
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r0 = add_entity(run, "pers", false, {0}, {4}, miss);
  const entity_id r1 = add_entity(run, "pers", false, {5}, {9}, miss);
  const entity_id r2 = add_entity(run, "pers", false, {10}, {14}, miss);
  const entity_id h0 = add_entity(run, "pers", true, {0}, {4}, miss);
  const entity_id h1 = add_entity(run, "pers", true, {10}, {12}, miss);
  const entity_id h2 = add_entity(run, "pers", true, {12}, {14}, miss);
  const uint32_t correct = add_record(run, 0, {});
  const uint32_t wrong = add_record(run, 0.5, {"boundary"});
  add_segment(run, {}, {{r0, h0, correct}});
  add_segment(run, {r1});
  add_segment(run, {});
  add_segment(run, {h2}, {{r2, h1, wrong}});
  const evaluated_pair pair = run.pair("");
  std::string walk;
  for_each_outcome(pair, [&](const outcome& o) {
    const char* kinds = "IDSC";
    walk += kinds[static_cast<int>(o.kind)];
    walk += o.ref ? std::to_string(o.ref - run.ref.items.data()) : "-";
    walk += o.hyp ? std::to_string(o.hyp - run.hyp.items.data()) : "-";
    walk += " ";
    // Pairings charge their substitution record, unpaired entities their first miss record.
    if (o.ref && o.hyp) {
      EXPECT_TRUE(o.record == &run.costs.records[correct] || o.record == &run.costs.records[wrong]);
    } else {
      const entity_set& set = o.ref ? run.ref : run.hyp;
      EXPECT_EQ(&set.miss_record(o.ref ? *o.ref : *o.hyp, 0, 0), o.record);
    }
  });
  EXPECT_EQ("C00 D1- I-2 S21 ", walk);
  const outcome_counts c = count_outcomes(pair);
  EXPECT_EQ(3, c.reference_entities);
  EXPECT_EQ(3, c.hypothesis_entities);
}

}  // namespace
