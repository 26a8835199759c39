// The reports as text: each printer writes one report's values to a stream.
#pragma once

#include <cstdio>

#include "reports/agreement.h"
#include "reports/bootstrap.h"
#include "reports/confusion.h"
#include "reports/evaluated_pair.h"
#include "reports/report_options.h"
#include "reports/summary.h"

void print_summary(FILE* out, const summary_report& s);
void print_agreement(FILE* out, const agreement_report& a);
// Precision, recall and F-measure from the credits of `counts`.
void print_credit(FILE* out, const outcome_counts& counts);
// The confusion table: reference types by row, hypothesis types by column,
// "(none)" for insertions and deletions, totals last.
void print_confusion(FILE* out, const confusion_report& c, const name_table& types);
// Every error, and every correct pairing too when `with_corrects`.
void print_details(FILE* out, const evaluated_pair& pair, bool with_corrects);

// The reports drawn from counts that `options` ask for, in their fixed order:
// summary, the bootstrap `intervals` of a corpus's `documents` when given,
// confusion table (`confusion` is read only then), agreement values.
void print_totals(FILE* out, const outcome_counts& counts, const name_table& types,
                  const confusion_report& confusion, const report_options& options,
                  const bootstrap_report* intervals = nullptr, size_t documents = 0);
