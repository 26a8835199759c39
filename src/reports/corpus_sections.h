// The corpus's own reports, as text and as JSON members: the per-document
// table and the bootstrap intervals.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "reports/bootstrap.h"
#include "reports/document_table.h"
#include "reports/json_report.h"

// Counts, then the slot error rate, precision, recall and F-measure as the
// summary shows them, then the reference's path.
void print_document_table(FILE* out, const std::vector<document_row>& rows);
void print_bootstrap(FILE* out, const bootstrap_report& b, size_t documents);

// Two systems' figures side by side, then their paired bootstrap, with
// `per_type` each type's F-measures and their difference.
void print_comparison(FILE* out, const std::string& one_name, const outcome_counts& one,
                      const std::string& two_name, const outcome_counts& two,
                      const comparison_report& c, bool per_type);

// "per_document": [{reference, hypothesis, summary}...]
void write_document_table(json_report_writer& json, const std::vector<document_row>& rows);
// "bootstrap": {resamples, seed, confidence, and an interval per figure}
void write_bootstrap(json_report_writer& json, const bootstrap_report& b);
// "bootstrap": {resamples, seed, confidence, f_measure and slot_error_rate
// differences with their interval and share_better, with `per_type` a
// "per_type" array of {type, system_1, system_2, f_measure}}
void write_comparison(json_report_writer& json, const comparison_report& c, bool per_type);
