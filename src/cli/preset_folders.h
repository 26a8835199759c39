// Where the program looks for the presets it ships.
#pragma once

#include <string>
#include <vector>

// Where the installation puts them relative to the program
// (share/orvane/presets beside its bin folder), then, for a program run from
// its build folder, the source tree's.
std::vector<std::string> preset_folders();
