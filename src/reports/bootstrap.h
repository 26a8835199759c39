// Confidence intervals for a corpus's figures: the documents resampled with
// replacement, the figures computed on each resample, and the middle 95% of
// them kept.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "orvane/values.h"
#include "reports/document_table.h"

using orvane::bootstrap_report;
using orvane::interval;

// The same seed gives the same resamples, whatever the threads or the
// machine. A resample on which a figure divides by zero leaves it out of
// that figure's interval. Once `*stop` is set, the resampling ends with a
// fatal error (base/fatal.h): a caller's way to end a long one.
bootstrap_report bootstrap(const std::vector<document_row>& documents, unsigned resamples,
                           uint64_t seed, const std::atomic<bool>* stop = nullptr);

using orvane::comparison_report;
using orvane::difference;
using orvane::type_difference;

// The paired bootstrap: each resample draws the same documents for both
// systems. `one` and `two` hold the same documents in the same order. With
// `per_type`, the rows' type tallies give each type's F-measure difference
// too, on the same draws, a block of types at a time that holds at most
// `most_values` values (the seed replayed for each block).
comparison_report compare_systems(const std::vector<document_row>& one,
                                  const std::vector<document_row>& two, unsigned resamples,
                                  uint64_t seed, const std::atomic<bool>* stop = nullptr,
                                  bool per_type = false, size_t most_values = size_t(1) << 22);
