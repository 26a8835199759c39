// Runs one command and reports its wall time, peak resident memory, exit
// status and page faults (minor and major: each a page the kernel mapped in)
// on the last line of standard error: "measure: SECONDS KIB STATUS FAULTS".
// A small process of its own, so that the memory of whatever started it does
// not count as the command's (a forked child starts from its parent's peak).
//
//   measure TIMEOUT_SECONDS COMMAND [ARGS...]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: measure TIMEOUT_SECONDS COMMAND [ARGS...]\n");
    return 2;
  }
  const unsigned timeout = static_cast<unsigned>(strtoul(argv[1], nullptr, 10));
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(timeout);  // the default action ends the command
    execv(argv[2], argv + 2);
    perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    perror("measure");
    return 2;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  fprintf(stderr, "measure: %.4f %ld %d %ld\n", seconds, usage.ru_maxrss, code,
          usage.ru_minflt + usage.ru_majflt);
  return 0;
}
