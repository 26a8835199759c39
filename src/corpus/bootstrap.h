// Confidence intervals for a corpus's figures: the documents resampled with
// replacement, the figures computed on each resample, and the middle 95% of
// them kept.
#pragma once

#include <cstdint>
#include <vector>

#include "corpus/document_table.h"

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
