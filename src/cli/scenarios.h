// --scenarios: the same documents (or corpus) under several descriptions,
// their figures side by side.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"

struct scenario {
  std::string name;  // as given
  std::string file;  // the description's file to load
};

// Evaluates `options`' documents under each scenario in turn and writes
// the scenarios' report to `out`. Warnings of the documents are given once,
// under the first scenario. Returns the exit status; faults go to `err`.
int run_scenarios(const run_options& options, const std::vector<scenario>& scenarios, FILE* out,
                  FILE* err);
