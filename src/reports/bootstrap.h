// Confidence intervals for a corpus's figures: the documents resampled with
// replacement, the figures computed on each resample, and the middle 95% of
// them kept.
#pragma once

#include <cstdint>
#include <vector>

#include "reports/document_table.h"

struct interval {
  bool defined = false;  // false when no resample gives the figure a value
  double low = 0;        // as fractions, not percentages
  double high = 0;
};

struct bootstrap_report {
  unsigned resamples = 0;
  uint64_t seed = 0;
  interval slot_error_rate;
  interval precision;
  interval recall;
  interval f_measure;
};

// The same seed gives the same resamples, whatever the threads or the
// machine. A resample on which a figure divides by zero leaves it out of
// that figure's interval.
bootstrap_report bootstrap(const std::vector<document_row>& documents, unsigned resamples,
                           uint64_t seed);

// One figure of two systems: system 2's value less system 1's on the whole
// corpus, its 95% interval over paired resamples, and the share of the
// resamples (where both have a value) on which system 2 does better.
struct difference {
  double estimate = 0;  // NaN when either system's figure has no value
  interval range;
  double share_better = 0;  // NaN when no resample gives both a value
};

struct comparison_report {
  unsigned resamples = 0;
  uint64_t seed = 0;
  difference f_measure;        // higher is better
  difference slot_error_rate;  // lower is better
};

// The paired bootstrap: each resample draws the same documents for both
// systems. `one` and `two` hold the same documents in the same order.
comparison_report compare_systems(const std::vector<document_row>& one,
                                  const std::vector<document_row>& two, unsigned resamples,
                                  uint64_t seed);
