// Inter-annotator agreement: S, Scott's pi, Cohen's kappa and F-measure, with
// the reference and the hypothesis taken as two annotators.
#pragma once

#include "orvane/values.h"
#include "reports/outcomes.h"

using orvane::agreement_report;

// `open`: there are no confusions between types, a substitution is two void
// pairings. `expected_count`: the number of items the campaign expected.
// The type count T is the size of the per-type counters.
agreement_report measure_agreement(const outcome_counts& counts, bool open, int expected_count);
