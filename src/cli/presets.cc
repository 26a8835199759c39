#include "cli/presets.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

// A folder of that name does not stand for a description.
bool names_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool is_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string find_description(const std::string& name, const std::vector<std::string>& folders) {
  if (name.empty() || name.find('/') != std::string::npos || names_file(name)) {
    return name;
  }
  for (const std::string& folder : folders) {
    for (const std::string& file : {name, name + ".lua"}) {
      const std::string path = folder + "/" + file;
      if (is_file(path)) {
        return path;
      }
    }
  }
  return name;
}

std::vector<std::string> preset_folders() {
  std::vector<std::string> folders;
  // Beside the program first, so that an installed tree moved elsewhere (or
  // installed with another prefix than it was built for) finds its own.
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string path(exe, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
      path.resize(slash);
      folders.push_back(path + "/../share/orvane/presets");
    }
  }
  folders.push_back(ORVANE_INSTALLED_PRESETS);
  folders.push_back(ORVANE_SOURCE_PRESETS);
  return folders;
}
