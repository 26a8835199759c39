// The command line: option globals, their parsing and the usage text.
#pragma once

#include <cstdio>

extern bool opt_summary;          // print the summary (the default report)
extern bool opt_details;          // print the detail report of errors
extern bool opt_details_correct;  // list correct pairings in the detail report too
extern bool opt_iag;              // print the agreement report
extern bool opt_ref_aref;         // the reference is in the aref format
extern bool opt_open;             // agreement report: no confusions between types
extern int opt_expected_count;    // agreement report: expected number of items
extern const char* progname;      // the invocation name, for the usage text

// Parses the options, sets the globals and advances argv past the options.
// Ends the process on -h / --help (status 0) and on a usage error (status 1).
void options(int argc, char*** argv);

// Writes the usage text to `out` and flushes it.
void print_usage(FILE* out);
