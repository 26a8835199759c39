// The command line: what the options ask for, and the usage text.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "corpus/corpus.h"
#include "evaluation/evaluation.h"
#include "reports/report_options.h"

struct run_options {
  evaluation_input input;
  report_options reports;
  unsigned timeout_seconds = 0;  // 0: no limit on the run's time
  bool corpus = false;           // many document pairs: `corpus_run` says which
  corpus_options corpus_run;
  bool quiet = false;  // no progress line
  // The descriptions to evaluate the documents under, side by side; the
  // file names are then the documents' only.
  std::vector<std::string> scenarios;
  std::string command_line;  // as typed, for the visual report's header
  // The file names are JSON reports of runs over parts of a corpus, to be
  // reported as one run over all their pairs.
  bool merge = false;
  std::vector<std::string> shards;
};

// What the command line asks the program to do: run an evaluation, print
// the version, or print the usage text to a stream and end with a status
// (help, usage errors). A fault of one of the newer options has its reason
// written already and wants only a pointer to the help (`brief`): the whole
// usage text would push the reason off the screen.
struct command {
  enum class action { run, usage, version } what = action::run;
  run_options options;
  FILE* usage_stream = nullptr;    // where the usage text goes
  int status = 0;                  // the exit status after the usage text
  bool brief = false;              // "Try ... --help" instead of the usage text
  std::vector<std::string> names;  // the file names given, for hints after a fault
};

// Parses the options and checks that exactly three file names remain (or
// two, for one token-per-line file with --conll; or one, the description,
// with a pairs file). The
// option parser writes its own diagnostic for an unknown option or a missing
// value to standard error. It is the C library's, whose state is the
// process's: parse on one thread at a time.
command parse_command_line(int argc, char** argv);

// Writes the usage text, naming the program `progname`, and flushes it;
// with `help`, the presets and the one-file form too.
void print_usage(FILE* out, const char* progname, bool help = false);

// Writes the line that follows the reason for a fault of a newer option,
// and flushes it.
void print_help_pointer(FILE* out, const char* progname);

// Writes the program's name and version, and flushes it.
void print_version(FILE* out);
