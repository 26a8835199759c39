#include "reports/corpus_sections.h"

#include <cinttypes>
#include <cmath>

#include "base/escape.h"

namespace {

outcome_counts counts_of(const document_row& r) {
  outcome_counts c;
  c.reference_entities = r.reference_entities;
  c.hypothesis_entities = r.hypothesis_entities;
  c.corrects = r.corrects;
  c.insertions = r.insertions;
  c.deletions = r.deletions;
  c.substitutions = r.substitutions;
  c.total_errors = r.insertions + r.deletions + r.substitutions;
  c.slot_error_sum = r.slot_error_sum;
  return c;
}

// A percentage as the summary shows it, or a dash where it divides by zero.
void print_rate(FILE* out, double num, double den) {
  const double pct = 100 * num / den;
  if (den == 0 || !std::isfinite(pct)) {
    fputs("      -", out);
  } else {
    fprintf(out, " %5.1f%%", pct);
  }
}

void print_interval(FILE* out, const char* name, const interval& i) {
  if (i.defined) {
    fprintf(out, "%15s %5.1f%% .. %5.1f%%\n", name, 100 * i.low, 100 * i.high);
  } else {
    fprintf(out, "%15s no value\n", name);
  }
}

void write_interval(json_report_writer& json, const char* name, const interval& i) {
  json.key(name);
  json.begin_object();
  json.number("low", i.defined ? i.low : NAN);
  json.number("high", i.defined ? i.high : NAN);
  json.end_object();
}

}  // namespace

void print_document_table(FILE* out, const std::vector<document_row>& rows) {
  fputs("   ref    hyp   corr    ins    del    sub    SER      P      R      F  document\n", out);
  for (const document_row& r : rows) {
    fprintf(out, "%6d %6d %6d %6d %6d %6d", r.reference_entities, r.hypothesis_entities, r.corrects,
            r.insertions, r.deletions, r.substitutions);
    const double ref = r.reference_entities, hyp = r.hypothesis_entities;
    print_rate(out, r.slot_error_sum, ref);
    print_rate(out, r.corrects, hyp);
    print_rate(out, r.corrects, ref);
    print_rate(out, 2.0 * r.corrects, ref + hyp);
    fprintf(out, "  %s\n", shown_name(r.reference).c_str());
  }
}

void print_bootstrap(FILE* out, const bootstrap_report& b, size_t documents) {
  fprintf(out, "95%% intervals, %u resamples of the %zu documents (seed %" PRIu64 "):\n",
          b.resamples, documents, b.seed);
  print_interval(out, "Slot Error Rate", b.slot_error_rate);
  print_interval(out, "precision", b.precision);
  print_interval(out, "recall", b.recall);
  print_interval(out, "F-measure", b.f_measure);
}

void write_document_table(json_report_writer& json, const std::vector<document_row>& rows) {
  json.key("per_document");
  json.begin_array();
  for (const document_row& r : rows) {
    json.begin_object();
    json.string("reference", r.reference);
    json.string("hypothesis", r.hypothesis);
    json.key("summary");
    json.counts(counts_of(r));
    json.end_object();
  }
  json.end_array();
}

void write_bootstrap(json_report_writer& json, const bootstrap_report& b) {
  json.key("bootstrap");
  json.begin_object();
  json.count("resamples", b.resamples);
  json.count("seed", b.seed);
  json.number("confidence", 0.95);
  write_interval(json, "slot_error_rate", b.slot_error_rate);
  write_interval(json, "precision", b.precision);
  write_interval(json, "recall", b.recall);
  write_interval(json, "f_measure", b.f_measure);
  json.end_object();
}

namespace {

// A difference of two rates in percentage points, with its sign, or a dash.
std::string signed_points(double v, const char* unit = " pt") {
  if (!std::isfinite(v)) {
    return "-";
  }
  char text[32];
  snprintf(text, sizeof text, "%+.1f%s", 100 * v, unit);
  return text;
}

std::string points_range(const interval& i) {
  return i.defined ? signed_points(i.low, "") + " .. " + signed_points(i.high) : "-";
}

std::string pct(double num, double den) {
  const double v = 100 * num / den;
  if (den == 0 || !std::isfinite(v)) {
    return "-";
  }
  char text[32];
  snprintf(text, sizeof text, "%.1f%%", v);
  return text;
}

void print_share(FILE* out, double share) {
  if (std::isnan(share)) {
    fputs("  -\n", out);
  } else {
    fprintf(out, "  %5.1f%%\n", 100 * share);
  }
}

void print_difference(FILE* out, const char* name, const difference& d) {
  fprintf(out, "%-15s %10s  %-20s", name, signed_points(d.estimate).c_str(),
          points_range(d.range).c_str());
  print_share(out, d.share_better);
}

std::string rate(double v) {
  return pct(v, 1);
}

// Nothing when no type has an entity. A long name takes its own row's
// room, not every row's, as in the per-type table.
void print_type_differences(FILE* out, const std::vector<type_difference>& types) {
  if (types.empty()) {
    return;
  }
  int width = 4;
  std::vector<std::string> names;
  for (const type_difference& t : types) {
    names.push_back(shown_name(t.type));
    width = std::max(width, std::min(30, static_cast<int>(names.back().size())));
  }
  fputs("\nF-measure per type, system 2 against system 1:\n", out);
  fprintf(out, "%-*s  %8s  %8s  %10s  %-20s  %s\n", width, "type", "system 1", "system 2",
          "difference", "95% interval", "system 2 better");
  for (size_t t = 0; t < types.size(); t++) {
    const type_difference& d = types[t];
    fprintf(out, "%-*s  %8s  %8s  %10s  %-20s", width, names[t].c_str(), rate(d.one).c_str(),
            rate(d.two).c_str(), signed_points(d.f_measure.estimate).c_str(),
            points_range(d.f_measure.range).c_str());
    print_share(out, d.f_measure.share_better);
  }
}

void write_difference(json_report_writer& json, const char* name, const difference& d) {
  json.key(name);
  json.begin_object();
  json.number("estimate", d.estimate);
  json.number("low", d.range.defined ? d.range.low : NAN);
  json.number("high", d.range.defined ? d.range.high : NAN);
  json.number("share_better", d.share_better);
  json.end_object();
}

}  // namespace

void print_comparison(FILE* out, const std::string& one_name, const outcome_counts& one,
                      const std::string& two_name, const outcome_counts& two,
                      const comparison_report& c, bool per_type) {
  fprintf(out, "system 1: %s\nsystem 2: %s\n\n", shown_name(one_name).c_str(),
          shown_name(two_name).c_str());
  fputs("                  system 1  system 2\n", out);
  const outcome_counts* s[2] = {&one, &two};
  auto rate_row = [&](const char* name, auto figure) {
    fprintf(out, "%-15s %10s %9s\n", name, figure(*s[0]).c_str(), figure(*s[1]).c_str());
  };
  auto count_row = [&](const char* name, int outcome_counts::*field) {
    fprintf(out, "%-15s %10d %9d\n", name, s[0]->*field, s[1]->*field);
  };
  rate_row("Slot Error Rate",
           [](const outcome_counts& k) { return pct(k.slot_error_sum, k.reference_entities); });
  count_row("corrects", &outcome_counts::corrects);
  count_row("inserts", &outcome_counts::insertions);
  count_row("deletes", &outcome_counts::deletions);
  count_row("substitutions", &outcome_counts::substitutions);
  count_row("total errors", &outcome_counts::total_errors);
  count_row("hypothesis", &outcome_counts::hypothesis_entities);
  count_row("reference", &outcome_counts::reference_entities);
  rate_row("precision",
           [](const outcome_counts& k) { return pct(k.corrects, k.hypothesis_entities); });
  rate_row("recall", [](const outcome_counts& k) { return pct(k.corrects, k.reference_entities); });
  rate_row("F-measure", [](const outcome_counts& k) {
    return pct(2.0 * k.corrects, static_cast<double>(k.reference_entities) + k.hypothesis_entities);
  });
  fprintf(out, "\nSystem 2 against system 1, paired bootstrap, %u resamples (seed %" PRIu64 "):\n",
          c.resamples, c.seed);
  fprintf(out, "%-15s %10s  %-20s  %s\n", "", "difference", "95% interval", "system 2 better");
  print_difference(out, "F-measure", c.f_measure);
  print_difference(out, "Slot Error Rate", c.slot_error_rate);
  if (per_type) {
    print_type_differences(out, c.per_type);
  }
}

void write_comparison(json_report_writer& json, const comparison_report& c, bool per_type) {
  json.key("bootstrap");
  json.begin_object();
  json.count("resamples", c.resamples);
  json.count("seed", c.seed);
  json.number("confidence", 0.95);
  write_difference(json, "f_measure", c.f_measure);
  write_difference(json, "slot_error_rate", c.slot_error_rate);
  if (per_type) {
    json.key("per_type");
    json.begin_array();
    for (const type_difference& t : c.per_type) {
      json.begin_object();
      json.string("type", t.type);
      json.number("system_1", t.one);
      json.number("system_2", t.two);
      write_difference(json, "f_measure", t.f_measure);
      json.end_object();
    }
    json.end_array();
  }
  json.end_object();
}
