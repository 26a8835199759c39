// Files the program writes besides its standard output (the visual page).
// A user's file must never be lost: each is written under a temporary name
// in its own folder and renamed into place only once it is complete, so that
// a failed, interrupted or timed-out run leaves the old file, or none, and
// never half of one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Refuses, with a fatal error of status 1, an output path that is empty or
// ends with '/', that names anything but a regular file or a new name (a
// link, a folder, a device), that is one of `inputs` (the same file, links
// resolved, or the same new name) or the file that standard output or
// standard error goes to. `option` names the option in messages. Reads
// nothing but the file system's entries.
void check_output_path(const char* option, const std::string& path,
                       const std::vector<std::string>& inputs);

// Refuses, with a fatal error of status 1, an output path in one of
// `folders` or below it (links resolved): folders whose every file is read
// as a document, so that the next run would read the output as one.
void check_output_outside(const char* option, const std::string& path,
                          const std::vector<std::string>& folders);

// The temporary file of one output: created by the constructor in the
// target's folder, renamed over the target by commit(), removed otherwise
// (by the destructor, at exit, and on SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE or remove_unfinished_outputs()).
class output_file {
 public:
  // A file that cannot be created, or a target that exists and is not a
  // regular file, is a fatal error (status 1); `option` names the option in
  // messages.
  output_file(const char* option, std::string path);
  ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  FILE* file() const { return file_; }
  const std::string& path() const { return path_; }

  // Flushes, closes and renames the file into place. A write that failed on
  // the way, or a failed rename, is a fatal error (status 1); the temporary
  // file is removed then too.
  void commit();

 private:
  void discard();

  const char* option_;
  std::string path_;       // the target
  std::string temporary_;  // where it is written until commit()
  FILE* file_ = nullptr;
  int slot_ = -1;  // its place among the files that a signal removes
};

// Flushes `out`; a write to it that failed, on the way or now, is a fatal
// error of status 1: a report written in part is a failed run. Messages
// call it standard output, where reports and usage texts go.
void check_written(FILE* out);

// Removes every output file not yet committed. Safe in a signal handler:
// for handlers of the program's own (a timeout) that end the process.
void remove_unfinished_outputs();

// Opens /dev/null on whichever of the descriptors 0, 1 and 2 is closed, so
// that no file the program opens later takes the place of a standard
// stream (and gets its reports or warnings). Call it before opening
// anything.
void open_standard_streams();
