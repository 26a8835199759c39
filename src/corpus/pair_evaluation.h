// One pair of a corpus run, evaluated where a worker thread runs it: its
// messages, listing, figures and page part gathered in memory until the
// writer's turn comes to them.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "corpus/pooled.h"
#include "description/description.h"
#include "evaluation/evaluation.h"
#include "reports/html_report.h"
#include "reports/report_options.h"

// A stream that writes into memory, for what a pair's evaluation prints
// before its turn to be written comes.
class memory_stream {
 public:
  memory_stream() : file_(open_memstream(&data_, &size_)) {}
  ~memory_stream() {
    if (file_) {
      fclose(file_);
    }
    free(data_);
  }
  memory_stream(const memory_stream&) = delete;
  memory_stream& operator=(const memory_stream&) = delete;

  FILE* file() const { return file_; }
  // What was written since the last call, which empties the stream (its
  // buffer stays, for the next pair).
  std::string take() {
    if (!file_ || fflush(file_) != 0) {
      return std::string();
    }
    std::string text(data_, size_);
    fseeko(file_, 0, SEEK_SET);
    return text;
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

// What one pair's evaluation leaves for the writer.
struct pair_result {
  int status = 0;
  std::string messages;  // warnings, and the fault's message, for standard error
  std::string listing;   // the detail listing
  pair_counts figures;
  html_document page;  // its part of the visual report
};

// What a worker thread keeps from pair to pair: the description's
// interpreter, which runs the script once (the first pair loads it), and the
// streams that gather a pair's messages and listing.
struct worker_state {
  std::unique_ptr<task_description> description;
  const std::atomic<bool>* stop = nullptr;  // set when the run has stopped
  memory_stream messages;
  memory_stream listing;
};

// Evaluates one pair with the worker's interpreter (made, and the script
// run, for its first pair; dropped after a fault).
pair_result evaluate_pair(evaluation_input input, const report_options& reports,
                          worker_state& worker);
