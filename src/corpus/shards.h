// Shards: a corpus evaluated in parts, anywhere, and the parts' JSON
// reports merged into the reports of one run over the whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "evaluation/evaluation.h"
#include "reports/report_options.h"
#include "reports/shard_format.h"

// What a run of `input` must share with the runs it is merged with: the
// program's version, the description's bytes, the options that change the
// counts, and `declared_types` (a corpus's types known before its pairs).
shard_identity identity_of(const evaluation_input& input,
                           const std::vector<std::string>& declared_types = {});

struct merge_options {
  bool per_document = false;  // the per-document table
  unsigned bootstrap = 0;     // resamples for confidence intervals; 0: none
  uint64_t seed = 1;
  bool progress = false;  // a progress line on `err` (a terminal) while shards are read
};

// Reads the JSON reports in `shards` (a folder: the .json files under it, in
// byte order of their paths) and writes to `out` the reports that
// `reports` ask for, as one corpus run over all their pairs would: the
// parts of one split (--shard) in their corpus's order, other shards' pairs
// in order of their names. Shards that differ in what they share
// (identity_of), or that hold the same pair, are a fatal error naming them
// (base/fatal.h). Returns the exit status.
int run_merge(const std::vector<std::string>& shards, const report_options& reports,
              const merge_options& merge, FILE* out, FILE* err);
