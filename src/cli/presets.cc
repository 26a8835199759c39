#include "cli/presets.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "base/escape.h"

namespace {

// A folder of that name does not stand for a description.
bool names_file(const std::string& path, struct stat* st) {
  return stat(path.c_str(), st) == 0 && !S_ISDIR(st->st_mode);
}

bool is_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool same_folder(const std::string& a, const std::string& b) {
  struct stat x, y;
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

}  // namespace

description_choice find_description(const std::string& name,
                                    const std::vector<std::string>& folders) {
  if (name.empty() || name.find('/') != std::string::npos) {
    return description_choice{name, std::string()};
  }
  std::string preset;
  for (const std::string& folder : folders) {
    for (const std::string& file : {name, name + ".lua"}) {
      const std::string path = folder + "/" + file;
      if (preset.empty() && is_file(path)) {
        preset = path;
      }
    }
  }
  // The user's own file wins over a preset of its name, with a word unless
  // the name is plainly a file's (ends with ".lua"): a preset run in its
  // place would give other numbers without one.
  const bool plainly_a_file = name.size() > 4 && name.compare(name.size() - 4, 4, ".lua") == 0;
  for (const std::string& own : {name, name + ".lua"}) {
    struct stat mine, shipped;
    if (!names_file(own, &mine)) {
      continue;
    }
    std::string warning;
    if (!preset.empty() && !plainly_a_file &&
        !(stat(preset.c_str(), &shipped) == 0 && shipped.st_dev == mine.st_dev &&
          shipped.st_ino == mine.st_ino)) {
      warning = "Warning: " + shown_name(name) + " is the file " + shown_name(own) +
                " here, not the shipped preset " + shown_name(preset) +
                " (name the preset by its path to use it).\n";
    }
    return description_choice{own, warning};
  }
  return description_choice{preset.empty() ? name : preset, std::string()};
}

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
