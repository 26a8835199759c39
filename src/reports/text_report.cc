#include "reports/text_report.h"

#include "reports/details.h"

namespace {

void print_entity(FILE* out, char letter, const listed_entity& le) {
  fprintf(out, "%c: %s: %s - %s\n", letter, le.e->hyp ? "hyp" : "ref", le.label.c_str(),
          le.text.c_str());
}

void print_outcome(FILE* out, const listed_outcome& lo, const evaluated_pair& pair) {
  const double cost = lo.o.record->cost;
  if (!lo.ref.e || !lo.hyp.e) {
    const listed_entity& le = lo.ref.e ? lo.ref : lo.hyp;
    fprintf(out, "%c: %s (%g): %s:%d\n", lo.letter, lo.names.c_str(), cost,
            le.e->hyp ? pair.hypothesis_name : pair.reference_name, le.e->line);
    print_entity(out, lo.letter, le);
  } else {
    fprintf(out, "%c: %s (%g): %s:%d %s:%d\n", lo.letter, lo.names.c_str(), cost,
            pair.reference_name, lo.ref.e->line, pair.hypothesis_name, lo.hyp.e->line);
    print_entity(out, lo.letter, lo.ref);
    print_entity(out, lo.letter, lo.hyp);
  }
  fputc('\n', out);
}

}  // namespace

void print_summary(FILE* out, const summary_report& s) {
  fprintf(out, "Slot Error Rate: %5.1f%% (%g %d)\n\n", s.slot_error_rate_pct, s.slot_error_sum,
          s.reference_entities);
  fprintf(out, "%6d %5.1f%% corrects\n", s.corrects, s.corrects_pct);
  fprintf(out, "%6d %5.1f%% inserts\n", s.insertions, s.insertions_pct);
  fprintf(out, "%6d %5.1f%% deletes\n", s.deletions, s.deletions_pct);
  fprintf(out, "%6d %5.1f%% substitutions\n", s.substitutions, s.substitutions_pct);
  fprintf(out, "%6d %5.1f%% total errors\n\n", s.total_errors, s.total_errors_pct);
  if (s.precision_defined) {
    fprintf(out, "%5.1f%% overall precision (%d entities in hypothesis)\n", s.precision_pct,
            s.hypothesis_entities);
  } else {
    // One blank wider than the formatted line: the report has always read so.
    fputs("   0.0% overall precision (0 entities in hypothesis)\n", out);
  }
  fprintf(out, "%5.1f%% overall recall (%d entities in reference)\n", s.recall_pct,
          s.reference_entities);
  fprintf(out, "%5.1f%% overall F-measure\n\n", s.f_measure_pct);
  fputs("   P      R      F   tag\n", out);
  for (const type_row& row : s.rows) {
    fprintf(out, "%5.1f%% %5.1f%% %5.1f%% %s (hyp_count=%d, ref_count=%d, correct=%d)\n",
            row.precision_pct, row.recall_pct, row.f_measure_pct, row.type.c_str(),
            row.hypothesis_count, row.reference_count, row.correct);
  }
}

void print_agreement(FILE* out, const agreement_report& a) {
  fprintf(out, "Total entities: %d\n", a.total_items);
  fprintf(out, "Correct: %d\n", a.corrects);
  fprintf(out, "Added void/void corrects: %g\n", a.void_void_corrects);
  fprintf(out, "Tag types: %d\n", a.type_count);
  fputc('\n', out);
  fprintf(out, "S         = %7.5f\n", a.s);
  fprintf(out, "Pi        = %7.5f\n", a.pi);
  fprintf(out, "Kappa     = %7.5f\n", a.kappa);
  fprintf(out, "F-measure = %7.5f\n", a.f_measure);
}

void print_details(FILE* out, const evaluated_pair& pair, bool with_corrects) {
  for_each_listed_outcome(pair, with_corrects,
                          [&](const listed_outcome& lo) { print_outcome(out, lo, pair); });
}

void write_text_reports(FILE* out, const evaluated_pair& pair, const report_options& options) {
  if (options.details) {
    print_details(out, pair, options.details_correct);
  }
  if (!options.summary && !options.agreement) {
    return;
  }
  const outcome_counts counts = count_outcomes(pair);
  if (options.summary) {
    print_summary(out, summarize(counts, pair.vocab.types));
  }
  if (options.agreement) {
    print_agreement(out, measure_agreement(counts, options.open, options.expected_count));
  }
}
