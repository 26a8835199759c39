#include "corpus/corpus_printers.h"

#include <cinttypes>
#include <cmath>

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
    fprintf(out, "  %s\n", r.reference.c_str());
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
