// The visual report: one self-contained HTML page (styles and script
// inline, nothing fetched) with the summary, the agreement values, the
// confusion table as a heat map, and the reference text with every entity
// of both sides drawn over it, coloured and patterned by outcome, with
// filters and a "next error" key.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "model/vocabulary.h"
#include "reports/confusion.h"
#include "reports/evaluated_pair.h"
#include "reports/outcomes.h"
#include "reports/report_options.h"

struct html_context {
  std::string command;      // the command line, as typed
  std::string description;  // the task description's file
  std::string reference;    // the reference document, or folder
  std::string hypothesis;
  std::string date;  // when the evaluation ran
};

// The most types the confusion heat map gives a row and a column of their
// own; past it, the rest are summed in one row and one column.
constexpr size_t heat_map_types = 32;

// The page of one evaluation.
void write_html_report(FILE* out, const evaluated_pair& pair, const report_options& options,
                       const html_context& context);

// What the filters show beside each choice: outcomes by kind, error name
// and type (an outcome counts once for each type it involves).
struct filter_counts {
  int kinds[4] = {};  // insertions, deletions, substitutions, corrects
  name_table errors;  // in use: a document's in order of their names (error_order.h),
                      // a page's in order of first appearance
  std::vector<int> per_error;
  name_table types;
  std::vector<int> per_type;
  void add(const filter_counts& other);
};

// One document's part of a page: what its view draws (JSON, safe inside a
// script element) and its filters' counts. Made while its evaluation lives.
struct html_document {
  std::string data;
  filter_counts filters;
};
html_document html_document_of(const evaluated_pair& pair);

// A document's line in a page's index.
struct html_index_entry {
  std::string name;
  int reference, hypothesis, corrects, errors;
  double slot_error_sum;
};

// A page of many documents, written as they come: its header, each
// document, then the totals, the index of documents and the filters.
class html_page_writer {
 public:
  html_page_writer(FILE* out, const html_context& context);
  void document(const html_document& d, const std::string& name, const outcome_counts& counts);
  void finish(const outcome_counts& counts, const name_table& types,
              const confusion_report& confusion, const report_options& options);

 private:
  FILE* out_;
  filter_counts filters_;
  std::vector<html_index_entry> index_;
};

// Text as HTML text or attribute value: markup characters as references,
// control characters as their visible pictures (U+2400...), bytes that are
// not UTF-8 as U+FFFD.
std::string html_escaped(std::string_view text);
