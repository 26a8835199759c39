// The visual report: one self-contained HTML page (styles and script
// inline, nothing fetched) with the summary, the agreement values, the
// confusion table as a heat map, and the reference text with every entity
// of both sides drawn over it, coloured and patterned by outcome, with
// filters and a "next error" key.
#pragma once

#include <cstdio>
#include <string>

#include "reports/evaluated_pair.h"
#include "reports/report_options.h"

struct html_context {
  std::string command;      // the command line, as typed
  std::string description;  // the task description's file
  std::string date;         // when the evaluation ran
};

void write_html_report(FILE* out, const evaluated_pair& pair, const report_options& options,
                       const html_context& context);

// Text as HTML text or attribute value: markup characters as references,
// control characters as their visible pictures (U+2400...), bytes that are
// not UTF-8 as U+FFFD.
std::string html_escaped(std::string_view text);
