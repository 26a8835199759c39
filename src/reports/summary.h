// The summary: slot error rate, counts, precision, recall and F-measure,
// overall and per entity type, as values. Percentages are computed as the
// text report shows them.
#pragma once

#include <string>
#include <vector>

#include "model/vocabulary.h"
#include "reports/outcomes.h"

struct type_row {
  std::string type;
  int hypothesis_count;
  int reference_count;
  int correct;
  double precision_pct;  // 0 when the type has no hypothesis entity
  double recall_pct;     // 0 when it has no reference entity
  double f_measure_pct;
};

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
