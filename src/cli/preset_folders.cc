#include "cli/preset_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

namespace {

bool same_folder(const std::string& a, const std::string& b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

}  // namespace

std::vector<std::string> preset_folders() {
  std::vector<std::string> folders;
  // Beside the program, so that an installed tree moved elsewhere (or
  // installed with another prefix than it was built for) finds its own, and
  // nothing outside it: a folder named when the program was built may be
  // gone, and anybody's by now.
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) {
    return folders;
  }
  std::string dir(exe, static_cast<size_t>(n));
  const size_t slash = dir.rfind('/');
  if (slash == std::string::npos) {
    return folders;
  }
  dir.resize(slash == 0 ? 1 : slash);
  // The program's own path has its links resolved, so ".." may be folded
  // away: the description's path, as reports name it, reads plainly.
  folders.push_back(
      std::filesystem::path(dir + "/" + ORVANE_PRESETS_FROM_BIN).lexically_normal().string());
  // A program run from its build folder, not installed yet, takes the
  // source tree's.
  if (same_folder(dir, ORVANE_BUILD_DIR)) {
    folders.push_back(ORVANE_SOURCE_PRESETS);
  }
  return folders;
}
