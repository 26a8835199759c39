#include "reports/scenarios.h"

#include <algorithm>

#include "base/escape.h"
#include "reports/json_report.h"
#include "reports/type_table.h"

namespace {

void print_ratio(FILE* out, double num, double den) {
  if (den == 0) {
    fputs("       -", out);
  } else {
    fprintf(out, " %7.2f", 100 * num / den);
  }
}

}  // namespace

void print_scenarios(FILE* out, const std::vector<scenario_result>& scenarios,
                     const report_options& options) {
  int width = 8;  // "scenario"
  for (const scenario_result& s : scenarios) {
    width = std::max(width, std::min(40, static_cast<int>(shown_name(s.name).size())));
  }
  fprintf(out, "%-*s %6s %6s %6s %6s %7s %7s %7s %7s", width, "scenario", "corr", "sub", "del",
          "ins", "P", "R", "F1", "SER");
  if (options.credit) {
    fprintf(out, " %7s %7s %7s", "cred.P", "cred.R", "cred.F1");
  }
  fputc('\n', out);
  for (const scenario_result& s : scenarios) {
    const outcome_counts& c = s.counts;
    const double both = static_cast<double>(c.reference_entities) + c.hypothesis_entities;
    fprintf(out, "%-*s %6d %6d %6d %6d", width, shown_name(s.name).c_str(), c.corrects,
            c.substitutions, c.deletions, c.insertions);
    print_ratio(out, c.corrects, c.hypothesis_entities);
    print_ratio(out, c.corrects, c.reference_entities);
    print_ratio(out, 2.0 * c.corrects, both);
    print_ratio(out, c.slot_error_sum, c.reference_entities);
    if (options.credit) {
      print_ratio(out, c.credits, c.hypothesis_entities);
      print_ratio(out, c.credits, c.reference_entities);
      print_ratio(out, 2 * c.credits, both);
    }
    fputc('\n', out);
  }
  if (!options.table) {
    return;
  }
  for (const scenario_result& s : scenarios) {
    fprintf(out, "\n%s:\n", shown_name(s.name).c_str());
    print_type_table(out, make_type_table(s.counts, s.types));
  }
}

void write_scenarios_json(FILE* out, const run_header& header,
                          const std::vector<scenario_result>& scenarios,
                          const report_options& options) {
  json_report_writer json(out);
  json.key("documents");
  json.begin_object();
  if (header.pairs_file.empty()) {
    json.string("reference", header.reference);
    json.string("hypothesis", header.hypothesis);
  } else {
    json.string("pairs", header.pairs_file);
  }
  json.end_object();
  json.key("scenarios");
  json.begin_array();
  for (const scenario_result& s : scenarios) {
    json.begin_object();
    json.string("scenario", s.name);
    json.string("description", s.file);
    json.summary(s.counts, s.types, options);
    json.end_object();
  }
  json.end_array();
  json.finish();
}
