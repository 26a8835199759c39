// Cost presets shipped with the program: descriptions that may be named
// instead of given as a file.
#pragma once

#include <string>
#include <vector>

// The description file that the argument `name` stands for. A name with no
// '/' that names no existing file (a folder is none) is looked up as NAME,
// then NAME.lua, in each of `folders` in turn; anything else, or a name
// found nowhere, stands for itself (and loading it then fails as any
// missing file does).
std::string find_description(const std::string& name, const std::vector<std::string>& folders);

// Where presets are looked for: share/orvane/presets beside the program's
// bin folder, the folder `make install` puts them in, then the source
// tree's, for a program run from its build folder.
std::vector<std::string> preset_folders();
