#include "cli/run.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "base/memory_stream.h"
#include "base/output_file.h"
#include "cli/hints.h"
#include "cli/preset_folders.h"
#include "cli/scenarios.h"
#include "corpus/shards.h"
#include "library/presets.h"
#include "reports/report_plan.h"
#include "reports/summary.h"

namespace {

char timeout_message[128];
size_t timeout_message_size = 0;

// Whatever runs when time is up (the description in a loop, a finalizer,
// the search) is left where it is: the message goes out with the one call
// that is safe in a signal handler, and the process ends.
void on_timeout(int) {
  remove_unfinished_outputs();
  ssize_t written = write(STDERR_FILENO, timeout_message, timeout_message_size);
  (void)written;
  _exit(1);
}

// `erase_line`: a progress line may be on show on standard error, and the
// message must not follow it on the same line.
void start_timeout(unsigned seconds, bool erase_line) {
  if (seconds == 0) {
    return;
  }
  const int n = snprintf(timeout_message, sizeof timeout_message,
                         "%sError: the evaluation took longer than %u second%s (--timeout).\n",
                         erase_line ? "\r\033[K" : "", seconds, seconds == 1 ? "" : "s");
  timeout_message_size = static_cast<size_t>(n);
  struct sigaction action = {};
  action.sa_handler = on_timeout;
  sigemptyset(&action.sa_mask);
  sigaction(SIGALRM, &action, nullptr);
  // A parent may have left the signal blocked, and the mask is inherited.
  sigset_t alarm_only;
  sigemptyset(&alarm_only);
  sigaddset(&alarm_only, SIGALRM);
  sigprocmask(SIG_UNBLOCK, &alarm_only, nullptr);
  alarm(seconds);
}

bool same_terminal(FILE* a, FILE* b) {
  struct stat x, y;
  return isatty(fileno(a)) && isatty(fileno(b)) && fstat(fileno(a), &x) == 0 &&
         fstat(fileno(b), &y) == 0 && x.st_rdev == y.st_rdev;
}

// The command line as a shell would take it back.
std::string command_text(int argc, char** argv) {
  std::string text = "orvane";
  for (int i = 1; i < argc; i++) {
    text += ' ' + shell_quoted(argv[i]);
  }
  return text;
}

// "2026-12-08 01:02:03 UTC": now, or SOURCE_DATE_EPOCH's time when it is
// set, so that a page can be made again byte for byte.
std::string run_date() {
  time_t when = time(nullptr);
  if (const char* epoch = getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long v = strtoll(epoch, &end, 10);
    if (*epoch && !*end && v >= 0) {
      when = static_cast<time_t>(v);
    }
  }
  struct tm utc;
  char text[64];
  gmtime_r(&when, &utc);
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

// The files that the run writes, checked against those it reads before
// anything is read. A corpus's documents are known only once its folders
// are listed, and are checked then.
void check_outputs(const run_options& options) {
  if (options.reports.html_file.empty()) {
    return;
  }
  const evaluation_input& input = options.input;
  const corpus_options& corpus = options.corpus_run;
  const std::string& page = options.reports.html_file;
  std::vector<std::string> inputs = {input.description};
  if (!options.corpus) {
    inputs.push_back(input.reference);
    if (!input.one_file) {
      inputs.push_back(input.hypothesis);
    }
  } else if (corpus.from_list) {
    inputs.push_back(corpus.pairs_file);
  }
  check_output_path("--html", page, inputs);
  // A page among a corpus's documents would be one the next time.
  if (options.corpus && !corpus.from_list) {
    std::vector<std::string> folders = {corpus.reference_dir};
    if (!corpus.one_folder) {
      folders.push_back(corpus.hypothesis_dir);
    }
    check_output_outside("--html", page, folders);
  }
}

}  // namespace

int run_evaluation(const run_options& options, FILE* out, FILE* err) {
  // The evaluation outlives the handling of its faults: its interpreter
  // closes, and the description's finalizers run, only once the report or
  // the fault's message is out, so that a slow finalizer cannot hold either
  // back, nor change the errno of a failed write.
  std::unique_ptr<evaluation> ev;
  // The plan reads the header until it is gone.
  run_header header;
  shard_identity identity;
  std::unique_ptr<report_plan> plan;
  const evaluation_input& input = options.input;
  int status = run_reporting_faults(err, [&] {
    if (options.reports.json) {
      identity = identity_of(input);
      header.shard = &identity;
    }
    // The page's file is made before anything is read, so that one that
    // cannot be made costs no evaluation.
    header.reference = input.reference;
    header.hypothesis = input.one_file ? input.reference : input.hypothesis;
    header.description = input.description;
    header.page = html_context{options.command_line, header.description, header.reference,
                               header.hypothesis, run_date()};
    plan = std::make_unique<report_plan>(options.reports, header, out);
    ev = std::make_unique<evaluation>(input, err);
    ev->run();
    if (!input.only_types.empty()) {
      const evaluated_pair pair = ev->result();
      warn_types_without_entities(err, count_outcomes(pair), pair.vocab.types, input.only_types);
    }
    report_pair(*plan, ev->result(), options.reports);
    check_written(out);
  });
  plan.reset();  // removes the page unless it was completed
  fflush(err);
  ev.reset();
  return status;
}

namespace {

// Runs `body`, which returns the run's status, with the faults of the whole
// run (memory may run out outside any one evaluation too) and of writing
// its output reported to `err`.
int run_reporting_output(FILE* out, FILE* err, const std::function<int()>& body) {
  int status = 0;
  const int fault = run_reporting_faults(err, [&] {
    status = body();
    if (status == 0) {
      check_written(out);
    }
  });
  if (fault != 0) {
    status = fault;
  }
  fflush(err);
  return status;
}

}  // namespace

int run_corpus_command(const run_options& options, FILE* out, FILE* err) {
  corpus_options corpus = options.corpus_run;
  corpus.progress = !options.quiet && isatty(fileno(err));
  corpus.progress_shares_output = corpus.progress && same_terminal(out, err);
  corpus.command_line = options.command_line;
  corpus.date = run_date();
  return run_reporting_output(
      out, err, [&] { return run_corpus(options.input, options.reports, corpus, out, err); });
}

int run_merge_command(const run_options& options, FILE* out, FILE* err) {
  merge_options merge;
  merge.per_document = options.corpus_run.per_document;
  merge.bootstrap = options.corpus_run.bootstrap;
  merge.seed = options.corpus_run.seed;
  merge.progress = !options.quiet && isatty(fileno(err));
  return run_reporting_output(
      out, err, [&] { return run_merge(options.shards, options.reports, merge, out, err); });
}

int orvane_main(int argc, char** argv) {
  open_standard_streams();
  const char* progname = argc > 0 && argv[0] ? argv[0] : "orvane";
  command cmd;
  // Even the command line's values may fail to be allocated.
  int status = run_reporting_faults(stderr, [&] { cmd = parse_command_line(argc, argv); });
  if (status != 0) {
    return status;
  }
  if (cmd.what == command::action::version) {
    return run_reporting_faults(stderr, [&] {
      print_version(stdout);
      check_written(stdout);
    });
  }
  if (cmd.what == command::action::usage) {
    const int failed = run_reporting_faults(stderr, [&] {
      if (cmd.brief) {
        print_help_pointer(cmd.usage_stream, progname);
      } else {
        print_usage(cmd.usage_stream, progname, cmd.status == 0);
        fputs(usage_hint(cmd.options, cmd.names, progname).c_str(), cmd.usage_stream);
      }
      check_written(cmd.usage_stream);
    });
    return failed != 0 ? failed : cmd.status;
  }
  if (cmd.options.merge) {
    return run_merge_command(cmd.options, stdout, stderr);
  }
  description_choice chosen;
  std::vector<scenario> scenarios;
  // A later scenario that names no file and no preset fails to load: the
  // hint after the fault is about it.
  description_choice unfound;
  status = run_reporting_faults(stderr, [&] {
    chosen = find_description(cmd.options.input.description, preset_folders());
    cmd.options.input.description = chosen.path;
    fputs(chosen.warning.c_str(), stderr);
    check_preset_types(cmd.options, chosen);
    scenarios.push_back(
        {cmd.options.scenarios.empty() ? chosen.name : cmd.options.scenarios[0], chosen.path});
    for (size_t k = 1; k < cmd.options.scenarios.size(); k++) {
      const description_choice other = find_description(cmd.options.scenarios[k], preset_folders());
      fputs(other.warning.c_str(), stderr);
      check_preset_types(cmd.options, other);
      scenarios.push_back({cmd.options.scenarios[k], other.path});
      if (!other.found && unfound.found) {
        unfound = other;
      }
    }
    cmd.options.command_line = command_text(argc, argv);
    check_outputs(cmd.options);
  });
  if (status == 0) {
    start_timeout(cmd.options.timeout_seconds,
                  cmd.options.corpus && !cmd.options.quiet && isatty(STDERR_FILENO));
    status = !cmd.options.scenarios.empty() ? run_scenarios(cmd.options, scenarios, stdout, stderr)
             : cmd.options.corpus           ? run_corpus_command(cmd.options, stdout, stderr)
                                            : run_evaluation(cmd.options, stdout, stderr);
  }
  if (status != 0) {
    const description_choice& hinted = !chosen.found || unfound.found ? chosen : unfound;
    fputs(fault_hint(cmd.options, hinted, status, progname).c_str(), stderr);
  }
  return status;
}
