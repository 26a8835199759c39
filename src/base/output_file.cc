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

// A signal that ends the program removes the unfinished files first, then
// ends it as the signal would have.
extern "C" void on_ending_signal(int sig) {
  const int saved = errno;
  remove_unfinished_outputs();
  signal(sig, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(sig);
  errno = saved;
}

void remove_at_exit() {
  remove_unfinished_outputs();
}

// Once, before the first temporary file exists. A signal that the program
// was started ignoring (nohup's SIGHUP) stays ignored.
void install_cleanup() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  atexit(remove_at_exit);  // a description may call os.exit
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action = {};
    action.sa_handler = on_ending_signal;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
}

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
    fatal(1, "Write %s: %s\n", shown_name(path).c_str(), strerror(errno));
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

output_file::output_file(const char* option, std::string path)
    : option_(option), path_(std::move(path)) {
  check_kind(option_, path_);
  install_cleanup();
  // Hidden beside the target, so that the rename stays on one file system;
  // the name is cut so that the temporary's fits where the target's does.
  const std::string folder = folder_of(path_);
  const std::string base = base_of(path_).substr(0, 200);
  std::string name =
      (path_.find('/') == std::string::npos ? "" : folder + "/") + "." + base + ".XXXXXX";
  // A replaced file keeps its permissions; a new one gets those the umask
  // leaves, as any other file the user makes.
  mode_t mode;
  struct stat st;
  if (stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    mode = st.st_mode & 0777;
  } else {
    const mode_t mask = umask(022);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (name.size() >= PATH_MAX) {
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(ENAMETOOLONG));
  }
  const int fd = mkostemp(&name[0], O_CLOEXEC);
  if (fd < 0) {
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(errno));
  }
  temporary_ = name;
  slot_ = take_slot(temporary_);
  if (fchmod(fd, mode) != 0 || !(file_ = fdopen(fd, "w"))) {
    const int error = errno;
    if (!file_) {
      close(fd);
    }
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
    check_kind(option_, path_);  // what may have been put there since
  }
  if (error == 0 && rename(temporary_.c_str(), path_.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    discard();
    fatal(1, "Write %s: %s\n", shown_name(path_).c_str(), strerror(error));
  }
  release_slot(slot_);
  slot_ = -1;
  temporary_.clear();
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
