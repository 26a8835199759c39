// Finding a description named by a preset's name.
#include "library/presets.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class Presets : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane-presets-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    root = pattern;
    first = root + "/installed";
    second = root + "/source";
    mkdir(first.c_str(), 0700);
    mkdir(second.c_str(), 0700);
    write(second + "/exact.lua");
    write(second + "/plain");
    write(first + "/plain.lua");
    mkdir((first + "/folder.lua").c_str(), 0700);
    write(second + "/folder.lua");
    // The working folder holds a file named like a preset, and a folder.
    char here[4096];
    ASSERT_NE(nullptr, getcwd(here, sizeof here));
    home = here;
    ASSERT_EQ(0, chdir(root.c_str()));
    write("local.lua");
    mkdir("exact", 0700);
  }
  void TearDown() override {
    ASSERT_EQ(0, chdir(home.c_str()));
    for (const char* f : {"/source/exact.lua", "/source/plain", "/installed/plain.lua",
                          "/source/folder.lua", "/local.lua"}) {
      remove((root + f).c_str());
    }
    for (const char* d : {"/installed/folder.lua", "/installed", "/source", "/exact", ""}) {
      rmdir((root + d).c_str());
    }
  }
  static void write(const std::string& path) {
    FILE* f = fopen(path.c_str(), "w");
    ASSERT_NE(nullptr, f);
    fclose(f);
  }
  std::string find(const std::string& name) {
    const description_choice c = find_description(name, {first, second});
    EXPECT_EQ("", c.warning) << name;
    return c.path;
  }

  std::string home, root, first, second;
};

TEST_F(Presets, NamesLookedUpInTurn) {
  // A folder named like the preset in the working folder does not hide it.
  EXPECT_EQ(second + "/exact.lua", find("exact"));
  EXPECT_EQ(second + "/exact.lua", find("exact.lua"));
  // NAME before NAME.lua, but folder by folder: the first folder wins.
  EXPECT_EQ(first + "/plain.lua", find("plain"));
  // A folder is no description.
  EXPECT_EQ(second + "/folder.lua", find("folder.lua"));
}

TEST_F(Presets, FilesAndPathsStandForThemselves) {
  EXPECT_EQ("local.lua", find("local.lua"));
  EXPECT_EQ("./exact", find("./exact"));
  EXPECT_EQ("sub/exact.lua", find("sub/exact.lua"));
  EXPECT_EQ("missing", find("missing"));
  EXPECT_EQ("", find(""));
  EXPECT_EQ("exact", find_description("exact", {}).path);
}

// The user's own file in the working folder wins over a preset of its name,
// NAME.lua too, and says so.
TEST_F(Presets, OwnFilesWinAndSaySo) {
  write("plain.lua");
  description_choice c = find_description("plain", {first, second});
  EXPECT_EQ("plain.lua", c.path);
  EXPECT_EQ("Warning: plain is the file plain.lua here, not the shipped preset " + first +
                "/plain.lua (name the preset by its path to use it).\n",
            c.warning);
  write("plain");
  c = find_description("plain", {first, second});
  EXPECT_EQ("plain", c.path);
  EXPECT_NE("", c.warning);
  remove("plain");
  // A name that ends with ".lua" is plainly a file's.
  c = find_description("plain.lua", {first, second});
  EXPECT_EQ("plain.lua", c.path);
  EXPECT_EQ("", c.warning);
  remove("plain.lua");
  // No preset of the name: no word.
  c = find_description("local", {first, second});
  EXPECT_EQ("local.lua", c.path);
  EXPECT_EQ("", c.warning);
  // The preset itself, from its own folder, shadows nothing.
  ASSERT_EQ(0, chdir(second.c_str()));
  c = find_description("exact", {first, second});
  EXPECT_EQ("exact.lua", c.path);
  EXPECT_EQ("", c.warning);
  EXPECT_TRUE(c.preset);
}

// What later hints read: whether the name stood for a preset, or for
// nothing at all.
TEST_F(Presets, FoundAndPresetFlags) {
  struct {
    const char* name;
    bool preset;
    bool found;
  } cases[] = {{"exact", true, true},     {"exact.lua", true, true},  {"local", false, true},
               {"missing", false, false}, {"./missing", false, true}, {"", false, true}};
  for (const auto& c : cases) {
    const description_choice chosen = find_description(c.name, {first, second});
    EXPECT_EQ(c.name, chosen.name);
    EXPECT_EQ(c.preset, chosen.preset) << c.name;
    EXPECT_EQ(c.found, chosen.found) << c.name;
  }
}

// The list that messages and the help give is the presets folder's.
TEST(PresetNames, AreThoseShipped) {
  std::vector<std::string> in_folder;
  for (const auto& entry : std::filesystem::directory_iterator(ORVANE_SOURCE_DIR "/presets")) {
    if (entry.path().extension() == ".lua") {
      in_folder.push_back(entry.path().stem().string());
    }
  }
  std::sort(in_folder.begin(), in_folder.end());
  EXPECT_EQ(in_folder, shipped_presets());
  EXPECT_EQ("boundary, exact, partial, ser, type", preset_list());
}

TEST(PresetNames, ClosestIsASlipAway) {
  struct {
    const char* typed;
    const char* closest;
  } cases[] = {{"exakt", "exact"},
               {"Exact", "exact"},
               {"EXACT.lua", "exact"},
               {"boundry", "boundary"},
               {"types", "type"},
               {"halfboundary", "boundary"},
               {"partial.lu", "partial"},
               {"mytask", ""},
               {"task.lua", ""},
               {"", ""},
               {"x", ""},
               {"conlleval", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.closest, closest_preset(c.typed)) << c.typed;
  }
}

}  // namespace
