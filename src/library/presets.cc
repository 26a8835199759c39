#include "library/presets.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

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

}  // namespace

description_choice find_description(const std::string& name,
                                    const std::vector<std::string>& folders) {
  if (name.empty() || name.find('/') != std::string::npos) {
    return description_choice{name, name, std::string()};
  }
  const std::string preset = shipped_preset_path(name, folders);
  // The user's own file wins over a preset of its name, with a word unless
  // the name is plainly a file's (ends with ".lua"): a preset run in its
  // place would give other numbers without one.
  const bool plainly_a_file = lua_file_name(name);
  for (const std::string& own : {name, name + ".lua"}) {
    struct stat mine, shipped;
    if (!names_file(own, &mine)) {
      continue;
    }
    std::string warning;
    const bool the_preset = !preset.empty() && stat(preset.c_str(), &shipped) == 0 &&
                            shipped.st_dev == mine.st_dev && shipped.st_ino == mine.st_ino;
    if (!preset.empty() && !plainly_a_file && !the_preset) {
      warning = "Warning: " + shown_name(name) + " is the file " + shown_name(own) +
                " here, not the shipped preset " + shown_name(preset) +
                " (name the preset by its path to use it).\n";
    }
    return description_choice{name, own, warning, the_preset};
  }
  if (preset.empty()) {
    return description_choice{name, name, std::string(), false, false};
  }
  return description_choice{name, preset, std::string(), true, true};
}

std::string shipped_preset_path(const std::string& name, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    for (const std::string& file : {name, name + ".lua"}) {
      const std::string path = folder + "/" + file;
      if (is_file(path)) {
        return path;
      }
    }
  }
  return std::string();
}

bool lua_file_name(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".lua") == 0;
}

const std::vector<std::string>& shipped_presets() {
  // As the presets folder holds them; a test holds the two together.
  static const std::vector<std::string> names = {"boundary", "exact", "partial", "ser", "type"};
  return names;
}

std::string preset_list() {
  std::string list;
  for (const std::string& name : shipped_presets()) {
    list += (list.empty() ? "" : ", ") + name;
  }
  return list;
}

std::string closest_preset(const std::string& name) {
  std::string typed;
  for (char c : name) {
    typed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (lua_file_name(typed)) {
    typed.resize(typed.size() - 4);
  }
  // Edit distance, one row at a time.
  auto distance = [&](const std::string& preset) {
    std::vector<size_t> row(preset.size() + 1);
    for (size_t j = 0; j <= preset.size(); j++) {
      row[j] = j;
    }
    for (size_t i = 1; i <= typed.size(); i++) {
      size_t diagonal = row[0];
      row[0] = i;
      for (size_t j = 1; j <= preset.size(); j++) {
        const size_t above = row[j];
        row[j] = std::min(
            {row[j] + 1, row[j - 1] + 1, diagonal + (typed[i - 1] == preset[j - 1] ? 0 : 1)});
        diagonal = above;
      }
    }
    return row[preset.size()];
  };
  std::string best;
  size_t best_distance = SIZE_MAX;
  for (const std::string& preset : shipped_presets()) {
    const size_t d = distance(preset);
    if (d < best_distance) {
      best = preset;
      best_distance = d;
    }
  }
  // Two slips, or a third of the name: "exakt", "Exact", "halfboundary"; a
  // name of one's own ("mytask") is no slip.
  return best_distance <= std::max<size_t>(2, typed.size() / 3) ? best : std::string();
}
