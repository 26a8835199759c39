// Cost presets shipped with the program: descriptions that may be named
// instead of given as a file.
#pragma once

#include <string>
#include <vector>

struct description_choice {
  std::string name;     // as given
  std::string path;     // the file to load
  std::string warning;  // when not empty, a line for standard error
  bool preset = false;  // the file is a shipped preset
  bool found = true;    // false: a name without a '/' that is no file and no preset
};

// The description file that the argument `name` stands for. A name with a
// '/' stands for itself. Otherwise a file (not a folder) named NAME, then
// NAME.lua, in the working folder wins, with a warning when a preset of
// that name exists (unless NAME ends with ".lua"); then NAME and NAME.lua are looked up in each of
// `folders` in turn. A name found nowhere stands for itself (and loading it
// then fails as any missing file does).
description_choice find_description(const std::string& name,
                                    const std::vector<std::string>& folders);

// The file of the preset `name` (NAME or NAME.lua in the first of `folders`
// that has one), or empty.
std::string shipped_preset_path(const std::string& name, const std::vector<std::string>& folders);

// Whether `name` is plainly a file's: it ends with ".lua".
bool lua_file_name(const std::string& name);

// The names of the shipped presets, in order, and as one line: "boundary,
// exact, ...".
const std::vector<std::string>& shipped_presets();
std::string preset_list();

// The preset whose name is closest to `name` (in any case, ".lua" left
// out), when it is close enough to be a slip; empty otherwise.
std::string closest_preset(const std::string& name);
