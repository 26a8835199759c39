// One pair of a corpus run, evaluated where a worker thread runs it: its
// messages and its part of the reports gathered in memory until the
// writer's turn comes to them.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "base/memory_stream.h"
#include "description/description.h"
#include "evaluation/evaluation.h"
#include "reports/report_options.h"
#include "reports/report_plan.h"

// What one pair's evaluation leaves for the writer.
struct pair_result {
  int status = 0;
  std::string messages;  // warnings, and the fault's message, for standard error
  document_report report;
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
