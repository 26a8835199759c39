// The plan of a run's reports: which are written, in which format and in
// which order. Every run hands it the same shape: each evaluated document's
// part in order, then the totals. A single pair is a corpus of one; the
// corpus's own sections (per-document table, bootstrap intervals) are
// optional parts of the totals. A new report is a writer here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "reports/bootstrap.h"
#include "reports/document_table.h"
#include "reports/evaluated_pair.h"
#include "reports/html_report.h"
#include "reports/pooled.h"
#include "reports/report_options.h"
#include "reports/shard_format.h"

// What the reports name: the two documents (or folders, or the pairs file)
// and the task description. A corpus's JSON document orders its members as
// a corpus's, not as one pair's.
struct run_header {
  bool corpus = false;
  std::string reference;
  std::string hypothesis;
  std::string description;
  std::string pairs_file;  // a corpus listed in a file: named instead of the two
  html_context page;
  // When set, the JSON report carries each pair's counts for a later merge.
  const shard_identity* shard = nullptr;
  // The reports of a merge of this many shards that named different
  // documents: named by their count instead.
  size_t merged_shards = 0;
  // A part of a corpus (--shard); by default the whole.
  shard_part part;
};

// What the asked reports take of one evaluated document, made while its
// evaluation lives (on a worker thread, in a corpus run).
struct document_report {
  pair_counts figures;
  std::string listing;  // the detail listing: text, or JSON outcomes separated by commas
  html_document page;
  // Set instead of `listing` where the evaluation lives until the plan
  // finishes (a single pair): the listing is written straight from it, and
  // a large document's is never held whole.
  const evaluated_pair* live = nullptr;
  std::string hypothesis_name;  // the pair's other name, for a shard's record of it
  size_t place = 0;             // its place in the corpus, from 0
};
// `scratch` holds the text listing while it is printed; its buffer is kept
// for the next document. Without it, the pair is `live`: its listing is
// left to the writers.
document_report report_document(const evaluated_pair& pair, const report_options& options,
                                memory_stream* scratch);

// The corpus's sections of the totals; null: not asked for.
struct corpus_sections {
  const std::vector<document_row>* table = nullptr;  // the per-document table
  const bootstrap_report* intervals = nullptr;
  size_t documents = 0;  // those the intervals resampled
};

// A run that failed before or between its pairs, not at one.
constexpr size_t no_pair = SIZE_MAX;

// One report in one format (text, JSON or the page).
class report_writer {
 public:
  virtual ~report_writer() = default;
  virtual void document(const std::string& name, document_report& d) = 0;
  // The run ended at `pair` (counted from 0, or no_pair) with `status`,
  // after its messages: a writer may say so rather than stop in the middle.
  virtual void failed(size_t pair, const std::string& reference, const std::string& hypothesis,
                      int status) = 0;
  virtual void finish(const pooled_results& totals, const confusion_report& confusion,
                      const corpus_sections& sections) = 0;
};

class report_plan {
 public:
  // The page's file, when one is asked for, is made now (a fault is fatal);
  // it takes its name only when finish() completes, and is removed if the
  // plan ends before.
  // `flush_listings`: each listing is flushed as it is written, for an
  // output that shares a terminal with a progress line.
  report_plan(const report_options& options, const run_header& header, FILE* out,
              bool flush_listings = false);
  ~report_plan();
  report_plan(const report_plan&) = delete;
  report_plan& operator=(const report_plan&) = delete;

  // `name`: the document as the page's index names it.
  void document(const std::string& name, document_report& d);
  void failed(size_t pair, const std::string& reference, const std::string& hypothesis, int status);
  void finish(const pooled_results& totals, const corpus_sections& sections = {});

 private:
  const report_options& options_;
  std::vector<std::unique_ptr<report_writer>> writers_;
};

// One evaluated pair as a corpus of one: its part, then the totals.
void report_pair(report_plan& plan, const evaluated_pair& pair, const report_options& options);
// The reports of one evaluated pair to `out`, in text or JSON as `options`
// ask (and the page with `options.html_file`); the JSON report with a merge
// member when `shard` is given.
void write_pair_reports(FILE* out, const evaluated_pair& pair, const report_options& options,
                        const html_context& page = html_context(),
                        const shard_identity* shard = nullptr);

// Two systems over the same references: their totals side by side and the
// paired bootstrap of their difference, as text or JSON.
void write_comparison_report(FILE* out, const report_options& options, const run_header& header,
                             const std::string& second_system, const pooled_results& one,
                             const pooled_results& two, const comparison_report& c);
