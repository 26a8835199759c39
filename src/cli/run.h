// The program as a function: the command line in, the reports and messages
// out, the exit status returned.
#pragma once

#include <cstdio>

#include "cli/options.h"

// Runs the evaluation that `options` describe and writes its reports to
// `out`; a fault goes to `err`. Returns the exit status.
int run_evaluation(const run_options& options, FILE* out, FILE* err);

// Runs the corpus run that `options` describe (options.corpus), with a
// progress line when `err` is a terminal and not options.quiet.
int run_corpus_command(const run_options& options, FILE* out, FILE* err);

// Merges the shards that `options` name (options.shards) into one corpus's
// reports, with a progress line when `err` is a terminal and not
// options.quiet.
int run_merge_command(const run_options& options, FILE* out, FILE* err);

// The whole program: parse, then usage text or evaluation. Returns the exit
// status.
int orvane_main(int argc, char** argv);
