// The reports as one JSON document: the summary, the agreement values when
// asked for, the outcomes the detail listing would show, and the confusion
// counts. Ratios are fractions, and null where they divide by zero.
#pragma once

#include <cstdio>

#include "reports/evaluated_pair.h"
#include "reports/report_options.h"

// Writes the document to `out` as it is produced: the outcomes are never
// held whole.
void write_json_report(FILE* out, const evaluated_pair& pair, const report_options& options);
