#include "cli/presets.h"

#include <sys/stat.h>

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool is_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string find_description(const std::string& name, const std::vector<std::string>& folders) {
  if (name.empty() || name.find('/') != std::string::npos || exists(name)) {
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
  return {ORVANE_INSTALLED_PRESETS, ORVANE_SOURCE_PRESETS};
}
