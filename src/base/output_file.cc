#include "base/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/escape.h"
#include "base/fatal.h"

namespace {

// The temporary files not yet committed, where a signal handler can find
// them: fixed storage, no allocation, a flag set once the name is complete.
// Signals are the process's, so this list is too; only the thread that runs
// the program's reports creates and commits output files.
struct unfinished {
  std::atomic<int> used{0};
  char path[PATH_MAX];
};
constexpr int slot_count = 4;
unfinished slots[slot_count];

int take_slot(const std::string& path) {
  assert(path.size() < PATH_MAX);
  for (int i = 0; i < slot_count; i++) {
    if (slots[i].used.load() == 0) {
      std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
      slots[i].used.store(1);
      return i;
    }
  }
  assert(false && "more output files at once than there are slots");
  return -1;
}

void release_slot(int slot) {
  if (slot >= 0) {
    slots[slot].used.store(0);
  }
}

// The signals whose default is to end the program: each removes the
// unfinished files first, then ends it as it would have. Crashes too: a
// hidden temporary file left behind would puzzle a user.
constexpr int ending_signals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,   SIGPIPE, SIGALRM,
                                  SIGXCPU, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGABRT,
                                  SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};

extern "C" void on_ending_signal(int sig) {
  remove_unfinished_outputs();
  signal(sig, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(sig);
}

void remove_at_exit() {
  remove_unfinished_outputs();
}

// Once, before the first temporary file exists. Only signals at their
// default get the handler: one the program was started ignoring (nohup's
// SIGHUP) stays ignored, and one with a handler of its own (the timeout's
// alarm, a sanitizer's) keeps it. A file grown past the size limit gives a
// write error to report rather than an end without a word.
void install_cleanup() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  atexit(remove_at_exit);  // a description may call os.exit
  struct sigaction old;
  for (int sig : ending_signals) {
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) {
      continue;
    }
    struct sigaction action = {};
    action.sa_handler = on_ending_signal;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
  if (sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) {
    signal(SIGXFSZ, SIG_IGN);
  }
}

// Holds back the ending signals while a temporary file is made and listed,
// or renamed and struck off: a signal in between would leave the file, or
// remove a name that another may have taken since.
class signals_held {
 public:
  signals_held() {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : ending_signals) {
      sigaddset(&held, sig);
    }
    pthread_sigmask(SIG_BLOCK, &held, &old_);
  }
  ~signals_held() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  signals_held(const signals_held&) = delete;
  signals_held& operator=(const signals_held&) = delete;

 private:
  sigset_t old_;
};

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What tells two names of one file apart from two files: the file's device
// and inode when it exists, its folder's and its own name when it does not
// (yet): an input that does not exist must not be created either.
struct file_key {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string name;  // of a file that does not exist

  bool operator==(const file_key& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && name == o.name;
  }
};

bool new_name_key(const std::string& path, file_key& key) {
  struct stat folder;
  if (stat(folder_of(path).c_str(), &folder) != 0) {
    return false;
  }
  key = file_key{false, folder.st_dev, folder.st_ino, base_of(path)};
  return true;
}

// An input's key; false when there is none to compare (its folder is gone).
bool input_key(const std::string& path, file_key& key) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    key = file_key{true, st.st_dev, st.st_ino, std::string()};
    return true;
  }
  return !path.empty() && path.back() != '/' && new_name_key(path, key);
}

const char* kind_of(mode_t mode) {
  return S_ISLNK(mode)                    ? "a symbolic link"
         : S_ISDIR(mode)                  ? "a folder"
         : S_ISFIFO(mode)                 ? "a FIFO"
         : S_ISSOCK(mode)                 ? "a socket"
         : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                          : "not a regular file";
}

[[noreturn]] void not_writable(const char* option, const std::string& path, const char* kind) {
  fatal(1,
        "Error: %s %s is %s, not a regular file: give a new name, or that of a regular file to "
        "replace.\n",
        option, shown_name(path).c_str(), kind);
}

// A name that exists must be a regular file's: anything else (a link, a
// device, a folder) would be replaced by the rename, or is not ours to write.
void check_kind(const char* option, const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    not_writable(option, path, kind_of(st.st_mode));
  }
}

}  // namespace

void check_output_path(const char* option, const std::string& path,
                       const std::vector<std::string>& inputs) {
  if (path.empty()) {
    fatal(1, "Error: %s takes a file name.\n", option);
  }
  if (path.back() == '/') {
    not_writable(option, path, "a folder");
  }
  file_key key;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      not_writable(option, path, kind_of(st.st_mode));
    }
    key = file_key{true, st.st_dev, st.st_ino, std::string()};
  } else if (errno != ENOENT || !new_name_key(path, key)) {
    const int error = errno;
    fatal(1, "Write %s: %s\n", shown_name(path).c_str(), strerror(error));
  }
  for (const std::string& input : inputs) {
    file_key other;
    if (input_key(input, other) && other == key) {
      fatal(1, "Error: %s %s is %s, which the run reads: give another name.\n", option,
            shown_name(path).c_str(), shown_name(input).c_str());
    }
  }
  // Standard output or error sent to the same file would be replaced.
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    if (key.exists && fstat(fd, &st) == 0 && st.st_dev == key.dev && st.st_ino == key.ino) {
      fatal(1, "Error: %s %s is the file that standard %s goes to: give another name.\n", option,
            shown_name(path).c_str(), fd == STDOUT_FILENO ? "output" : "error");
    }
  }
}

namespace {

// A name for the temporary file that nobody is likely to have taken.
std::string temporary_suffix(unsigned attempt) {
  static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  unsigned long long v = static_cast<unsigned long long>(now.tv_nsec) ^
                         (static_cast<unsigned long long>(getpid()) << 20) ^ (attempt * 7919ull);
  std::string suffix;
  for (int i = 0; i < 6; i++) {
    suffix += digits[v % 36];
    v /= 36;
  }
  return suffix;
}

}  // namespace

void check_output_outside(const char* option, const std::string& path,
                          const std::vector<std::string>& folders) {
  char resolved[PATH_MAX];
  if (!realpath(folder_of(path).c_str(), resolved)) {
    return;  // the file cannot be made there either, and says so
  }
  const std::string page_folder = resolved;
  for (const std::string& folder : folders) {
    if (!realpath(folder.c_str(), resolved)) {
      continue;  // reading it fails, and says so
    }
    const std::string f = resolved;
    if (page_folder == f ||
        (page_folder.compare(0, f.size(), f) == 0 && (f == "/" || page_folder[f.size()] == '/'))) {
      fatal(1,
            "Error: %s %s is in the folder %s, whose every file is a document: give another "
            "name.\n",
            option, shown_name(path).c_str(), shown_name(folder).c_str());
    }
  }
}

output_file::output_file(const char* option, std::string path)
    : option_(option), path_(std::move(path)) {
  check_kind(option_, path_);
  // A file the user may not write is not replaced either, though its
  // folder would allow it.
  struct stat old;
  const bool replaces = stat(path_.c_str(), &old) == 0;
  if (replaces && faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) != 0) {
    const int error = errno;
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(error));
  }
  install_cleanup();
  // Hidden beside the target, so that the rename stays on one file system;
  // the name is cut so that the temporary's fits where the target's does.
  const std::string folder = folder_of(path_);
  const std::string stem = (path_.find('/') == std::string::npos ? "" : folder + "/") + "." +
                           base_of(path_).substr(0, 200) + ".";
  if (stem.size() + 6 >= PATH_MAX) {
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(ENAMETOOLONG));
  }
  int fd = -1;
  {
    const signals_held held;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; attempt++) {
      temporary_ = stem + temporary_suffix(attempt);
      // A new file gets the permissions the umask leaves, as any other.
      fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) {
        break;
      }
    }
    if (fd >= 0) {
      slot_ = take_slot(temporary_);
    }
  }
  if (fd < 0) {
    const int error = errno;
    temporary_.clear();
    // Most often a folder that may not be written: the page is made there.
    fatal(1, "Write %s: %s%s\n", shown_name(path_).c_str(), strerror(error),
          error == EACCES || error == EROFS
              ? (" (it is written in its folder " + shown_name(folder) + " and renamed)").c_str()
              : "");
  }
  // A replaced file keeps its owner (where the system allows) and its
  // permissions.
  if (replaces) {
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not allowed to anyone but its owner's peers: the file is then ours.
    }
    if (fchmod(fd, old.st_mode & 0777) != 0) {
      const int error = errno;
      close(fd);
      discard();
      fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(error));
    }
  }
  file_ = fdopen(fd, "w");
  if (!file_) {
    const int error = errno;
    close(fd);
    discard();
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(error));
  }
}

output_file::~output_file() {
  discard();
}

void output_file::commit() {
  assert(file_ && "an output is committed once");
  int error = 0;
  if (fflush(file_) != 0 || ferror(file_)) {
    error = errno != 0 ? errno : EIO;
  }
  // On disk before it replaces the old file: after a crash, the old file or
  // the whole new one, never an empty one.
  if (error == 0 && fsync(fileno(file_)) != 0 && errno != EINVAL && errno != EROFS) {
    error = errno;
  }
  if (fclose(file_) != 0 && error == 0) {
    error = errno;
  }
  file_ = nullptr;
  if (error == 0) {
    struct stat st;
    if (lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      discard();
      check_kind(option_, path_);  // what has been put there since
    }
    const signals_held held;
    if (rename(temporary_.c_str(), path_.c_str()) != 0) {
      error = errno;
    } else {
      release_slot(slot_);
      slot_ = -1;
      temporary_.clear();
    }
  }
  if (error != 0) {
    discard();
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(error));
  }
}

void output_file::discard() {
  if (file_) {
    fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
  release_slot(slot_);
  slot_ = -1;
}

void remove_unfinished_outputs() {
  for (unfinished& s : slots) {
    if (s.used.load() != 0) {
      unlink(s.path);
    }
  }
}

void open_standard_streams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; fd++) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
      continue;
    }
    // The lowest free descriptor: this one, as those below it are open.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

void check_written(FILE* out) {
  if (fflush(out) != 0 || ferror(out)) {
    fatal(1, "Write standard output: %s\n", strerror(errno != 0 ? errno : EIO));
  }
}
