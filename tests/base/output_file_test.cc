// Output files: written aside and renamed into place, never over an input
// or anything but a regular file.
#include "base/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

class OutputFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/orvane-output-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(name));
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Every name in the folder, hidden ones included.
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  std::string dir_;
};

TEST_F(OutputFile, CommitReplacesTheFileWholeAndKeepsItsMode) {
  write("page.html", "old");
  chmod(path("page.html").c_str(), 0640);
  {
    output_file out("--html", path("page.html"));
    fputs("new", out.file());
    EXPECT_EQ("old", read("page.html"));  // nothing shows before the end
    EXPECT_EQ(2u, entries());
    out.commit();
  }
  EXPECT_EQ("new", read("page.html"));
  EXPECT_EQ(1u, entries());
  struct stat st;
  ASSERT_EQ(0, stat(path("page.html").c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST_F(OutputFile, AnUnfinishedFileLeavesNothingBehind) {
  write("page.html", "old");
  {
    output_file out("--html", path("page.html"));
    fputs("half", out.file());
  }
  EXPECT_EQ("old", read("page.html"));
  EXPECT_EQ(1u, entries());
  {
    output_file out("--html", path("new.html"));
    remove_unfinished_outputs();  // as a signal would
    EXPECT_EQ(1u, entries());
  }
  EXPECT_FALSE(fs::exists(path("new.html")));
}

TEST_F(OutputFile, WhatIsNotARegularFileIsNeverReplaced) {
  write("target", "kept");
  fs::create_symlink("target", path("link"));
  fs::create_directory(path("folder"));
  const std::string link = path("link");
  EXPECT_FATAL(output_file("--html", link), 1,
               "Error: --html " + link +
                   " is a symbolic link, not a regular file: give a new name, or that of a "
                   "regular file to replace.\n");
  EXPECT_FATAL(output_file("-o", path("folder")), 1,
               "Error: -o " + path("folder") +
                   " is a folder, not a regular file: give a new name, or that of a regular "
                   "file to replace.\n");
  // A link put in the file's place while it was written is not replaced.
  {
    output_file out("--html", path("late"));
    fs::create_symlink("target", path("late"));
    EXPECT_FATAL(out.commit(), 1,
                 "Error: --html " + path("late") +
                     " is a symbolic link, not a regular file: give a new name, or that of a "
                     "regular file to replace.\n");
  }
  EXPECT_EQ("kept", read("target"));
  EXPECT_EQ(4u, entries());
}

TEST_F(OutputFile, AnInputIsRefusedByAnyOfItsNames) {
  write("ref.txt", "text");
  fs::create_hard_link(path("ref.txt"), path("hard.txt"));
  fs::create_directory(path("sub"));
  const std::string ref = path("ref.txt");
  const std::vector<std::string> inputs = {path("task.lua"), ref, path("missing.txt")};
  EXPECT_FATAL(
      check_output_path("--html", ref, inputs), 1,
      "Error: --html " + ref + " is " + ref + ", which the run reads: give another name.\n");
  EXPECT_FATAL(check_output_path("--html", path("hard.txt"), inputs), 1,
               "Error: --html " + path("hard.txt") + " is " + ref +
                   ", which the run reads: give another name.\n");
  EXPECT_FATAL(check_output_path("--html", path("sub/../ref.txt"), inputs), 1,
               "Error: --html " + path("sub/../ref.txt") + " is " + ref +
                   ", which the run reads: give another name.\n");
  // An input that does not exist must not be made either.
  EXPECT_FATAL(check_output_path("--html", path("sub/../missing.txt"), inputs), 1,
               "Error: --html " + path("sub/../missing.txt") + " is " + path("missing.txt") +
                   ", which the run reads: give another name.\n");
  EXPECT_FATAL(check_output_path("--html", "", inputs), 1, "Error: --html takes a file name.\n");
  EXPECT_FATAL(check_output_path("--html", path("no/page.html"), inputs), 1,
               "Write " + path("no/page.html") + ": No such file or directory\n");
  // Names from the file system reach the terminal escaped.
  EXPECT_FATAL(check_output_path("--html", path("a\x1b[2J/p"), inputs), 1,
               "Write " + path("a\\0x1b[2J/p") + ": No such file or directory\n");
  check_output_path("--html", path("page.html"), inputs);
  check_output_path("--html", path("sub/ref.txt"), inputs);
}

}  // namespace
