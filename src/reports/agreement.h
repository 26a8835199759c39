// Inter-annotator agreement: S, Scott's pi, Cohen's kappa and F-measure, with
// the reference and the hypothesis taken as two annotators.
#pragma once

#include "reports/outcomes.h"

struct agreement_report {
  int total_items;            // items compared
  int corrects;               // items on which both annotators agree
  double void_void_corrects;  // items added to reach the expected count, never negative
  int type_count;
  // With no item, no type or no entity these are inf or nan.
  double s;
  double pi;
  double kappa;
  double f_measure;
};

// `open`: there are no confusions between types, a substitution is two void
// pairings. `expected_count`: the number of items the campaign expected.
// The type count T is the size of the per-type counters.
agreement_report measure_agreement(const outcome_counts& counts, bool open, int expected_count);
