// Builders of hand-made outcomes for the report tests.
#include "reports/hand_made.h"

#include <gtest/gtest.h>

#include "reports/text_report.h"
#include "support/entity_scene.h"
#include "support/test_support.h"

evaluated_pair run_outcome::pair(const char* text) const {
  return evaluated_pair{vocab,  ref,  hyp,        segments,  costs,
                        result, text, "ref.aref", "hyp.txt", "task.lua"};
}

cost_record make_record(run_outcome& run, double cost, const std::vector<std::string>& types) {
  std::vector<int32_t> ids;
  for (const std::string& name : types) {
    ids.push_back(run.vocab.errors.get(name));
  }
  cost_record record;
  record.cost = cost;
  record.errors = run.vocab.error_lists.intern(ids.data(), ids.size());
  return record;
}

entity_id add_entity(run_outcome& run, const std::string& type, bool hyp,
                     const std::vector<int32_t>& start, const std::vector<int32_t>& end,
                     const cost_record& miss, int line, const attr_list& attr) {
  const int tagid = run.vocab.types.find(type);
  EXPECT_GE(tagid, 0) << "undeclared type " << type;
  entity_set& set = hyp ? run.hyp : run.ref;
  entity& e = set[static_cast<size_t>(append_entity(set, tagid, start, end, hyp, 0, line, attr))];
  e.miss = static_cast<uint32_t>(set.miss.size());
  set.miss.resize(set.miss.size() + size_t(e.nstarts) * e.nends);
  for (size_t sf = 0; sf < start.size(); sf++) {
    for (size_t ef = 0; ef < end.size(); ef++) {
      if (start[sf] < end[ef]) {
        set.miss_record(e, static_cast<int>(sf), static_cast<int>(ef)) = miss;
      }
    }
  }
  if (!hyp) {
    run.result.chosen.emplace_back();
  }
  return entity_id{hyp, static_cast<int32_t>(set.size() - 1)};
}

cost_record& miss_of(run_outcome& run, entity_id e, int sf, int ef) {
  return run.set_of(e).miss_record(run[e], sf, ef);
}

void choose(run_outcome& run, entity_id e, frontier_choice choice) {
  EXPECT_FALSE(e.hyp) << "only reference entities have chosen candidates";
  run.result.chosen[static_cast<size_t>(e.index)] = choice;
}

uint32_t add_record(run_outcome& run, double cost, const std::vector<std::string>& types) {
  run.costs.records.push_back(make_record(run, cost, types));
  return static_cast<uint32_t>(run.costs.records.size() - 1);
}

void add_segment(run_outcome& run, const std::vector<entity_id>& unmapped,
                 const std::vector<made_pairing>& pairs) {
  const uint32_t seg = run.next_segment++;
  for (entity_id e : unmapped) {
    run.result.unmapped.push_back(unmapped_entity{seg, e.hyp ? -1 - e.index : e.index});
  }
  for (const made_pairing& p : pairs) {
    EXPECT_TRUE(!p.ref.hyp && p.hyp.hyp) << "a pairing joins a reference and a hypothesis entity";
    run.result.pairs.push_back(pairing{seg, p.ref.index, p.hyp.index, p.record});
  }
}

void build_worked_example(run_outcome& run) {
  run.vocab.types = make_types({"pers", "loc"});
  const cost_record miss = make_record(run, 1, {"miss"});
  const entity_id r1 = add_entity(run, "pers", false, {0}, {4}, miss);
  const entity_id r2 = add_entity(run, "pers", false, {10}, {14}, miss);
  const entity_id r3 = add_entity(run, "pers", false, {20}, {24}, miss);
  const entity_id r4 = add_entity(run, "loc", false, {30}, {35}, miss);
  const entity_id h1 = add_entity(run, "pers", true, {0}, {4}, miss);
  const entity_id h2 = add_entity(run, "pers", true, {10}, {14}, miss);
  const entity_id h3 = add_entity(run, "loc", true, {20}, {24}, miss);
  add_segment(run, {}, {{r1, h1, add_record(run, 0, {})}});
  add_segment(run, {}, {{r2, h2, add_record(run, 0, {})}});
  add_segment(run, {}, {{r3, h3, add_record(run, 0.5, {"type"})}});
  add_segment(run, {r4});
}

void build_cross_type_example(run_outcome& run) {
  run.vocab.types = make_types({"pers", "loc", "org", "misc"});
  const cost_record miss = make_record(run, 1, {"miss"});
  const uint32_t correct = add_record(run, 0, {});
  auto pair = [&](const char* ref_type, const char* hyp_type, int32_t at) {
    const entity_id r = add_entity(run, ref_type, false, {at}, {at + 4}, miss);
    const entity_id h = add_entity(run, hyp_type, true, {at}, {at + 4}, miss);
    add_segment(run, {}, {{r, h, correct}});
  };
  pair("pers", "loc", 0);
  pair("pers", "pers", 5);
  pair("loc", "loc", 10);
  pair("org", "misc", 15);
  add_segment(run, {add_entity(run, "loc", false, {20}, {24}, miss)});
}

std::string summary_text(const run_outcome& run) {
  return capture([&](FILE* out) {
    print_summary(out, summarize(count_outcomes(run.pair("")), run.vocab.types));
  });
}

std::string agreement_text(const run_outcome& run, int expected_count, bool open) {
  return capture([&](FILE* out) {
    print_agreement(out, measure_agreement(count_outcomes(run.pair("")), open, expected_count));
  });
}

std::string details_text(const run_outcome& run, const std::string& data, bool with_corrects) {
  return capture([&](FILE* out) { print_details(out, run.pair(data.c_str()), with_corrects); });
}
