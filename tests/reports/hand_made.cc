// Builders of hand-made outcomes for the report tests.
#include "reports/hand_made.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "description/vocabulary.h"
#include "support/test_support.h"

error_d make_record(double cost, const std::vector<std::string>& types) {
  error_d record;
  record.cost = cost;
  record.asked = true;
  for (const std::string& name : types) {
    record.error_types.push_back(error_get(name));
  }
  return record;
}

entity& add_entity(run_outcome& run, const std::string& type, bool hyp, std::vector<int> start,
                   std::vector<int> end, const error_d& miss, int line, const attr_list& attr) {
  int tagid = tag_find(type);
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
  return &run.records.emplace_back(make_record(cost, types));
}

void add_segment(run_outcome& run, int start, int end, std::vector<entity*> unmapped,
                 std::vector<segment::pairinfo> pairs) {
  segment& seg = run.segments.emplace_back();
  seg.start = start;
  seg.end = end;
  seg.unmapped_entities.assign(unmapped.begin(), unmapped.end());
  seg.added_pairs.assign(pairs.begin(), pairs.end());
}

std::string capture_stdout(const std::function<void()>& print) {
  testing::internal::CaptureStdout();
  print();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

void build_worked_example(run_outcome& run) {
  set_types({"pers", "loc"});
  error_d miss = make_record(1, {"miss"});
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
