// Corpus runs: every document pair of a corpus evaluated on its own, on
// several threads, and the reports written for the whole corpus.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "evaluation/evaluation.h"
#include "reports/pooled.h"
#include "reports/report_options.h"

struct corpus_options {
  // The pairs: the files of two folders, or the lines of a pairs file.
  std::string reference_dir;
  std::string hypothesis_dir;
  bool one_folder = false;  // token-per-line files under reference_dir hold both sides
  std::string pairs_file;   // used when `from_list`
  bool from_list = false;
  bool missing_as_empty = false;  // a missing hypothesis is the reference without entities
  bool per_document = false;      // a table of each pair's figures before the summary
  unsigned jobs = 0;              // threads; 0: one per core
  bool progress = false;          // a progress line on `err` (a terminal)
  // The output is that terminal too: the line is erased before a listing
  // is written, and drawn again after it.
  bool progress_shares_output = false;
  unsigned bootstrap = 0;  // resamples for confidence intervals; 0: none
  uint64_t seed = 1;
  // A second system's folder over the same references: the two are
  // compared instead of reported (with bootstrap resamples, 1000 by default).
  std::string compare_dir;  // used when `compare`
  bool compare = false;
  // With `shards`: only the pairs whose place in the corpus (from 0) is
  // `shard` modulo `shards`, one part of the corpus for a later merge.
  size_t shard = 0;
  size_t shards = 0;
  // For the visual report's header (report_options::html_file).
  std::string command_line;
  std::string date;
};

// Evaluates every pair under `base` (whose document names are replaced by
// each pair's) and writes the reports `reports` ask for to `out`, warnings
// and the faults of pairs to `err`. Returns the exit status: 0, or that of
// the first pair (in corpus order) that failed, after which no result is
// printed. A fault of the corpus itself (its pairs, the page's name) is a
// fatal error (base/fatal.h).
int run_corpus(const evaluation_input& base, const report_options& reports,
               const corpus_options& corpus, FILE* out, FILE* err);

// The counts of every pair under `base`, pooled, without any report: for
// reports that set several runs over one corpus side by side. Faults as in
// run_corpus, all fatal errors.
pooled_results pool_corpus(const evaluation_input& base, const corpus_options& corpus, FILE* err);
