#include "cli/options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

command usage(FILE* stream, int status) {
  command c;
  c.what = command::action::usage;
  c.usage_stream = stream;
  c.status = status;
  return c;
}

// Trailing junk is ignored and a non-number reads as 0; the value is
// truncated toward zero, clamped to what an int holds.
int expected_count_value(const char* text) {
  double v = strtod(text, nullptr);
  if (!(v == v)) {
    v = 0;
  }
  return v >= 2147483647.0    ? 2147483647
         : v <= -2147483648.0 ? -2147483647 - 1
                              : static_cast<int>(v);
}

}  // namespace

void print_usage(FILE* out, const char* progname) {
  fprintf(out,
          "Orvane\n"
          "\n"
          "Usage: %s [options] descr.lua ref-file hyp-file\n"
          "  -a                  reference is in \"aref\" format\n"
          "  -s                  show summary of results (default)\n"
          "  -d                  show detail of errors\n"
          "  -c                  show detail of errors and corrects\n"
          "  -i <expected_count> show IAG-type values\n"
          "  -o                  open - in IAG mode, there are no confusions\n"
          "  --search-limit <n>  give up past <n> partial solutions (default 200000)\n"
          "  --timeout <s>       give up after <s> seconds\n"
          "\n"
          "\n",
          progname);
  fflush(out);
}

command parse_command_line(int argc, char** argv) {
  command cmd;
  report_options& reports = cmd.options.reports;
  enum { search_limit_option = 1000, timeout_option };
  static const option optlist[] = {
      {"help", no_argument, nullptr, 'h'},
      {"search-limit", required_argument, nullptr, search_limit_option},
      {"timeout", required_argument, nullptr, timeout_option},
      {nullptr, 0, nullptr, 0}};
  optind = 0;  // a full reset of the parser's state: every parse starts from scratch
  int c;
  // A leading '-' hands back each file name in place, as option 1: options
  // may come after the names even where POSIXLY_CORRECT would stop the
  // parse at the first of them.
  std::vector<const char*> names;
  while ((c = getopt_long(argc, argv, "-hasdci:o", optlist, nullptr)) != -1) {
    switch (c) {
      case 1:
        names.push_back(optarg);
        break;
      case 'a':
        cmd.options.input.reference_is_aref = true;
        break;
      case 's':
        reports.summary = true;
        break;
      case 'd':
        reports.details = true;
        break;
      case 'c':
        reports.details_correct = true;
        reports.details = true;
        break;
      case 'i':
        reports.agreement = true;
        reports.expected_count = expected_count_value(optarg);
        break;
      case 'o':
        reports.open = true;
        break;
      case search_limit_option: {
        char* end = nullptr;
        errno = 0;
        const unsigned long long n = strtoull(optarg, &end, 10);
        if (!*optarg || *end || errno || n == 0 || optarg[0] == '-' ||
            n > std::numeric_limits<size_t>::max() / 4) {
          fprintf(stderr, "%s: --search-limit takes a positive whole number, not '%s'\n",
                  argv[0] ? argv[0] : "orvane", optarg);
          return usage(stderr, 1);
        }
        cmd.options.input.limits.max_partial_solutions = static_cast<size_t>(n);
        cmd.options.input.limits.max_alternatives = 4 * static_cast<size_t>(n);
        break;
      }
      case timeout_option: {
        char* end = nullptr;
        errno = 0;
        const unsigned long n = strtoul(optarg, &end, 10);
        // alarm() takes an unsigned int of seconds; a day is more than enough.
        if (!*optarg || *end || errno || n == 0 || optarg[0] == '-' || n > 86400) {
          fprintf(stderr,
                  "%s: --timeout takes a whole number of seconds from 1 to 86400, not '%s'\n",
                  argv[0] ? argv[0] : "orvane", optarg);
          return usage(stderr, 1);
        }
        cmd.options.timeout_seconds = static_cast<unsigned>(n);
        break;
      }
      case 'h':
        return usage(stdout, 0);
      default:
        return usage(stderr, 1);
    }
  }
  if (!reports.summary && !reports.details && !reports.agreement) {
    reports.summary = true;
  }
  for (int i = optind; i < argc; i++) {
    names.push_back(argv[i]);  // after "--"
  }
  if (names.size() != 3) {
    return usage(stderr, 1);
  }
  cmd.options.input.description = names[0];
  cmd.options.input.reference = names[1];
  cmd.options.input.hypothesis = names[2];
  return cmd;
}
