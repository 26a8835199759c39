// Which reports to print, and the values they take from the command line.
#pragma once

#include <string>

struct report_options {
  bool summary = false;          // the summary (the default report)
  bool details = false;          // the detail listing of errors
  bool details_correct = false;  // the detail listing lists correct pairings too
  bool agreement = false;        // the agreement values
  bool open = false;             // agreement: no confusions between types
  int expected_count = 0;        // agreement: expected number of items
  bool confusion = false;        // the confusion table of types (always in JSON)
  bool table = false;            // the per-type table with averages
  bool credit = false;           // precision and recall from partial credits
  bool json = false;             // one JSON document instead of the text reports
  std::string html_file;         // the visual report's page, when not empty
};
