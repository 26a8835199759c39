// Builders of hand-made outcomes for the report tests.
#include "reports/hand_made.h"

#include <gtest/gtest.h>

#include "reports/text_report.h"
#include "support/test_support.h"

evaluated_pair run_outcome::pair(const std::string& text, int count_ref, int count_hyp) const {
  return evaluated_pair{vocab,     segments,  fm,         text.c_str(),
                        count_ref, count_hyp, "ref.aref", "hyp.txt"};
}

error_d make_record(run_outcome& run, double cost, const std::vector<std::string>& types) {
  error_d record;
  record.cost = cost;
  record.asked = true;
  for (const std::string& name : types) {
    record.error_types.push_back(run.vocab.errors.get(name));
  }
  return record;
}

entity& add_entity(run_outcome& run, const std::string& type, bool hyp, std::vector<int> start,
                   std::vector<int> end, const error_d& miss, int line, const attr_list& attr) {
  int tagid = run.vocab.types.find(type);
  EXPECT_GE(tagid, 0) << "undeclared type " << type;
  entity& e = run.ents.emplace_back(tagid, line, 0, 0, hyp, attr);
  e.start = std::move(start);
  e.end = std::move(end);
  e.miss_errors.assign(e.start.size(), std::vector<error_d>(e.end.size()));
  for (size_t sf = 0; sf < e.start.size(); sf++) {
    for (size_t ef = 0; ef < e.end.size(); ef++) {
      if (e.start[sf] < e.end[ef]) {
        e.miss_errors[sf][ef] = miss;
      }
    }
  }
  return e;
}

const error_d* add_record(run_outcome& run, double cost, const std::vector<std::string>& types) {
  return &run.records.emplace_back(make_record(run, cost, types));
}

void add_segment(run_outcome& run, int start, int end, std::vector<entity*> unmapped,
                 std::vector<segment::pairinfo> pairs) {
  segment& seg = run.segments.emplace_back();
  seg.start = start;
  seg.end = end;
  seg.unmapped_entities.assign(unmapped.begin(), unmapped.end());
  seg.added_pairs.assign(pairs.begin(), pairs.end());
}

void build_worked_example(run_outcome& run) {
  run.vocab.types = make_types({"pers", "loc"});
  error_d miss = make_record(run, 1, {"miss"});
  entity& r1 = add_entity(run, "pers", false, {0}, {4}, miss);
  entity& r2 = add_entity(run, "pers", false, {10}, {14}, miss);
  entity& r3 = add_entity(run, "pers", false, {20}, {24}, miss);
  entity& r4 = add_entity(run, "loc", false, {30}, {35}, miss);
  entity& h1 = add_entity(run, "pers", true, {0}, {4}, miss);
  entity& h2 = add_entity(run, "pers", true, {10}, {14}, miss);
  entity& h3 = add_entity(run, "loc", true, {20}, {24}, miss);
  add_segment(run, 0, 4, {}, {{&r1, &h1, add_record(run, 0, {})}});
  add_segment(run, 10, 14, {}, {{&r2, &h2, add_record(run, 0, {})}});
  add_segment(run, 20, 24, {}, {{&r3, &h3, add_record(run, 0.5, {"type"})}});
  add_segment(run, 30, 35, {&r4});
}

namespace {

outcome_counts counts_of(const run_outcome& run, int count_ref, int count_hyp) {
  return count_outcomes(run.segments, run.vocab.types.size(), count_ref, count_hyp);
}

}  // namespace

std::string summary_text(const run_outcome& run, int count_ref, int count_hyp) {
  return capture([&](FILE* out) {
    print_summary(out, summarize(counts_of(run, count_ref, count_hyp), run.vocab.types));
  });
}

std::string agreement_text(const run_outcome& run, int count_ref, int count_hyp, int expected_count,
                           bool open) {
  return capture([&](FILE* out) {
    print_agreement(out,
                    measure_agreement(counts_of(run, count_ref, count_hyp), open, expected_count));
  });
}

std::string details_text(const run_outcome& run, const std::string& data, bool with_corrects) {
  return capture([&](FILE* out) { print_details(out, run.pair(data), with_corrects); });
}
