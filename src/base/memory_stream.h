// Text printed to a stream and kept in memory.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A stream that writes into memory, for what an evaluation prints before
// its turn to be written comes.
class memory_stream {
 public:
  memory_stream() : file_(open_memstream(&data_, &size_)) {}
  ~memory_stream() {
    if (file_) {
      fclose(file_);
    }
    free(data_);
  }
  memory_stream(const memory_stream&) = delete;
  memory_stream& operator=(const memory_stream&) = delete;

  FILE* file() const { return file_; }
  // What was written since the last call, which empties the stream (its
  // buffer stays, for the next pair).
  std::string take() {
    if (!file_ || fflush(file_) != 0) {
      return std::string();
    }
    std::string text(data_, size_);
    fseeko(file_, 0, SEEK_SET);
    return text;
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};
