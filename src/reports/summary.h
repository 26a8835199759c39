// The summary: slot error rate, counts, precision, recall and F-measure,
// overall and per entity type, as values. Percentages are computed as the
// text report shows them.
#pragma once

#include <string>
#include <vector>

#include "model/vocabulary.h"
#include "reports/outcomes.h"

// A type's row. Precision counts the corrects whose hypothesis entity has
// the type, recall those whose reference entity has it: the two differ only
// where the description calls a pairing of two types correct.
struct type_row {
  std::string type;
  int hypothesis_count;
  int reference_count;
  int correct;                // of the reference entities of the type
  int correct_of_hypothesis;  // of its hypothesis entities
  double precision_pct;       // 0 when the type has no hypothesis entity
  double recall_pct;          // 0 when it has no reference entity
  double f_measure_pct;

  bool corrects_differ() const { return correct != correct_of_hypothesis; }
};

// The harmonic mean of a precision and a recall (on any one scale), 0 when
// both are 0: a type's F-measure where its two correct counts differ. Where
// they agree, the F-measure is computed from the counts, as it always was.
double harmonic_mean(double precision, double recall);

struct summary_report {
  int reference_entities;
  int hypothesis_entities;
  double slot_error_sum;
  // Divided by the reference entities: inf or nan when there are none.
  double slot_error_rate_pct;
  int corrects, insertions, deletions, substitutions, total_errors;
  double corrects_pct, insertions_pct, deletions_pct, substitutions_pct, total_errors_pct;
  bool precision_defined;  // false without hypothesis entities
  double precision_pct;    // 0 when not defined
  double recall_pct;
  double f_measure_pct;
  std::vector<type_row> rows;  // types seen on either side, in type order
};

summary_report summarize(const outcome_counts& counts, const name_table& types);
