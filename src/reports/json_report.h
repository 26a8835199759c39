// The reports as one JSON document: the summary, the agreement values when
// asked for, the outcomes the detail listing would show, and the confusion
// counts. Ratios are fractions, and null where they divide by zero.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "model/vocabulary.h"
#include "reports/confusion.h"
#include "reports/evaluated_pair.h"
#include "reports/outcomes.h"
#include "reports/report_options.h"

// The outcomes of `pair` (the errors, and the corrects too when
// `with_corrects`) as JSON objects separated by commas, for a report that
// gathers them from several evaluations.
std::string json_outcomes(const evaluated_pair& pair, bool with_corrects);

// One JSON object written member by member to a stream, for reports made of
// several evaluations. Members are written in call order; finish() closes
// the object.
class json_report_writer {
 public:
  explicit json_report_writer(FILE* out);
  ~json_report_writer();
  json_report_writer(const json_report_writer&) = delete;
  json_report_writer& operator=(const json_report_writer&) = delete;

  // The two documents (or folders) and the task description's file.
  void documents(const char* reference, const char* hypothesis, const char* description);
  // With the type table's support and averages, and the credited figures,
  // when `options` ask for them.
  void summary(const outcome_counts& counts, const name_table& types,
               const report_options& options = report_options());
  void agreement(const outcome_counts& counts, const report_options& options);
  void begin_outcomes();
  void outcomes(const evaluated_pair& pair, bool with_corrects);
  void outcomes(const std::string& gathered);  // from json_outcomes
  void end_outcomes();
  void confusion(const confusion_report& confusion, const name_table& types);

  // Building blocks for other members.
  void key(const char* name);
  void begin_object();
  void end_object();
  void begin_array();
  void end_array();
  void string(const char* key, std::string_view value);
  void text(std::string_view value);  // a string in an array
  // Values written already, separated by commas, into an open array.
  void raw_values(const std::string& gathered);
  void number(const char* key, double value);  // null unless finite
  void count(const char* key, uint64_t value);
  // The summary's overall fields, without its per-type rows, as an object.
  void counts(const outcome_counts& counts);
  void finish();

 private:
  struct impl;
  std::unique_ptr<impl> impl_;
};
