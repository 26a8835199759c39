#include "driver/options.h"

#include <getopt.h>

#include <cstdlib>

bool opt_summary;
bool opt_details;
bool opt_details_correct;
bool opt_iag;
bool opt_ref_aref;
bool opt_open;
int opt_expected_count;
const char* progname = "orvane";

void print_usage(FILE* out) {
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
          "\n"
          "\n",
          progname);
  fflush(out);
}

void options(int argc, char*** argv) {
  opt_summary = false;
  opt_details = false;
  opt_details_correct = false;
  opt_iag = false;
  opt_ref_aref = false;
  opt_open = false;
  opt_expected_count = 0;

  static const option optlist[] = {{"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
  int c;
  while ((c = getopt_long(argc, *argv, "hasdci:o", optlist, nullptr)) != -1) {
    switch (c) {
      case 'a':
        opt_ref_aref = true;
        break;
      case 's':
        opt_summary = true;
        break;
      case 'd':
        opt_details = true;
        break;
      case 'c':
        opt_details_correct = true;
        opt_details = true;
        break;
      case 'i': {
        opt_iag = true;
        // Trailing junk is ignored and a non-number reads as 0; the value is
        // truncated toward zero, clamped to what an int holds.
        double v = strtod(optarg, nullptr);
        if (!(v == v)) {
          v = 0;
        }
        opt_expected_count = v >= 2147483647.0    ? 2147483647
                             : v <= -2147483648.0 ? -2147483647 - 1
                                                  : static_cast<int>(v);
        break;
      }
      case 'o':
        opt_open = true;
        break;
      case 'h':
        print_usage(stdout);
        exit(0);
      default:
        print_usage(stderr);
        exit(1);
    }
  }
  if (!opt_summary && !opt_details && !opt_iag) {
    opt_summary = true;
  }
  *argv += optind;
}
