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

// A percentage with its sign, or a dash.
std::string signed_pct(double v) {
  if (!std::isfinite(v)) {
    return "-";
  }
  char text[32];
  snprintf(text, sizeof text, "%+.1f%%", 100 * v);
  return text;
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

void print_difference(FILE* out, const char* name, const difference& d) {
  const std::string range =
      d.range.defined ? signed_pct(d.range.low) + " .. " + signed_pct(d.range.high) : "-";
  fprintf(out, "%-15s %10s  %-20s", name, signed_pct(d.estimate).c_str(), range.c_str());
  if (std::isnan(d.share_better)) {
    fputs("  -\n", out);
  } else {
    fprintf(out, "  %5.1f%%\n", 100 * d.share_better);
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
                      const comparison_report& c) {
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
}

void write_comparison(json_report_writer& json, const comparison_report& c) {
  json.key("bootstrap");
  json.begin_object();
  json.count("resamples", c.resamples);
  json.count("seed", c.seed);
  json.number("confidence", 0.95);
  write_difference(json, "f_measure", c.f_measure);
  write_difference(json, "slot_error_rate", c.slot_error_rate);
  json.end_object();
}
