// What a first-time user most likely meant, as a line after the reply to a
// mistake: a missing --conll or --corpus, a mistyped preset. The lines are
// worked out only once the run has failed, by a look at the files named;
// the replies before them stay as they are.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "library/presets.h"

// Whether the file begins as token-per-line files do: its first line that
// is not blank has two or more columns, the last "O" or a prefixed tag
// ("B-PER"). Reads at most its first 64 KiB, and only from a regular file.
bool looks_token_per_line(const std::string& path);

// A word as a shell takes it back: in single quotes unless it is plain.
std::string shell_quoted(const std::string& word);

// The same, with control bytes escaped first as messages show them.
std::string shell_word(const std::string& word);

// The lines after the usage text for a wrong count of file names (`names`,
// as given): empty, or one line that ends with a line feed.
std::string usage_hint(const run_options& options, const std::vector<std::string>& names,
                       const char* progname);

// The lines after the message of a run that ended with `status` (not 0),
// `chosen` being what the description's name was found to be.
std::string fault_hint(const run_options& options, const description_choice& chosen, int status,
                       const char* progname);

// A shipped preset declares no entity types: a run that takes them neither
// from --conll's tags nor from --types is a fault, whose message names both.
void check_preset_types(const run_options& options, const description_choice& chosen);
