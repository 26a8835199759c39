// Several descriptions over the same documents, side by side: one row per
// scenario (nervaluate's strict, exact, ent_type and partial are the
// presets exact, boundary, type and partial), with orvane's pairing under
// each.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "model/vocabulary.h"
#include "reports/outcomes.h"
#include "reports/report_options.h"
#include "reports/report_plan.h"

struct scenario_result {
  std::string name;  // as given: a preset's name or a file's path
  std::string file;  // the description's file, as loaded
  outcome_counts counts;
  name_table types;
};

// The table of the scenarios (with the credited figures when
// `options.credit`), then with `options.table` each one's per-type table.
void print_scenarios(FILE* out, const std::vector<scenario_result>& scenarios,
                     const report_options& options);

// The same as one JSON document: the documents, then each scenario with its
// summary (support, averages and credits as `options` ask).
void write_scenarios_json(FILE* out, const run_header& header,
                          const std::vector<scenario_result>& scenarios,
                          const report_options& options);
