// The progress line of a long corpus run on a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

// Pairs done out of the total, their rate and the time left, on one
// rewritten line of `err`; at most ten times a second.
class progress_line {
 public:
  // `unit`: what is counted ("pairs", "shards").
  progress_line(FILE* err, size_t total, bool on, const char* unit = "pairs")
      : err_(err), total_(total), on_(on), unit_(unit) {}
  // A fault's message, on the way out, has the line to itself too.
  ~progress_line() { clear(); }
  progress_line(const progress_line&) = delete;
  progress_line& operator=(const progress_line&) = delete;

  // Draws the line, unless it is on show and was drawn less than a tenth of
  // a second ago.
  void update(size_t done);

  // Erases the line if it is on show, so that what comes next has the line
  // to itself.
  void clear();

 private:
  using clock = std::chrono::steady_clock;
  FILE* err_;
  size_t total_;
  bool on_;
  const char* unit_;
  bool shown_ = false;
  clock::time_point start_ = clock::now();
  clock::time_point last_{};
};
