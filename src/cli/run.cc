#include "cli/run.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/fatal.h"
#include "reports/text_report.h"

namespace {

char timeout_message[128];
size_t timeout_message_size = 0;

// Whatever runs when time is up (the description in a loop, a finalizer,
// the search) is left where it is: the message goes out with the one call
// that is safe in a signal handler, and the process ends.
void on_timeout(int) {
  ssize_t written = write(STDERR_FILENO, timeout_message, timeout_message_size);
  (void)written;
  _exit(1);
}

void start_timeout(unsigned seconds) {
  if (seconds == 0) {
    return;
  }
  const int n = snprintf(timeout_message, sizeof timeout_message,
                         "Error: the evaluation took longer than %u second%s (--timeout).\n",
                         seconds, seconds == 1 ? "" : "s");
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

// The usage text, like a report, must be written in full.
int check_written(FILE* out, FILE* err) {
  if (fflush(out) != 0 || ferror(out)) {
    fprintf(err, "Write standard output: %s\n", strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int run_evaluation(const run_options& options, FILE* out, FILE* err) {
  // The evaluation outlives the handling of its faults: its interpreter
  // closes, and the description's finalizers run, only once the report or
  // the fault's message is out, so that a slow finalizer cannot hold either
  // back, nor change the errno of a failed write.
  std::unique_ptr<evaluation> ev;
  int write_error = 0;
  int status = run_reporting_faults(err, [&] {
    ev = std::make_unique<evaluation>(options.input);
    ev->run();
    write_text_reports(out, ev->result(), options.reports);
    if (fflush(out) != 0 || ferror(out)) {
      write_error = errno != 0 ? errno : EIO;
    }
  });
  if (status == 0 && write_error != 0) {
    // A report that could not be written in full is a failed run.
    fprintf(err, "Write standard output: %s\n", strerror(write_error));
    status = 1;
  }
  fflush(err);
  ev.reset();
  return status;
}

int orvane_main(int argc, char** argv) {
  const char* progname = argc > 0 && argv[0] ? argv[0] : "orvane";
  command cmd;
  // Even the command line's values may fail to be allocated.
  int status = run_reporting_faults(stderr, [&] { cmd = parse_command_line(argc, argv); });
  if (status != 0) {
    return status;
  }
  if (cmd.what == command::action::usage) {
    print_usage(cmd.usage_stream, progname);
    const int written = check_written(cmd.usage_stream, stderr);
    return written != 0 ? written : cmd.status;
  }
  start_timeout(cmd.options.timeout_seconds);
  return run_evaluation(cmd.options, stdout, stderr);
}
