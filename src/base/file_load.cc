#include "base/file_load.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/escape.h"
#include "base/fatal.h"

namespace {

struct fd_closer {
  int fd;
  ~fd_closer() { close(fd); }
};

[[noreturn]] void read_failure(const char* fname, int err) {
  fatal(2, "Read %s: %s\n", shown_name(fname).c_str(), strerror(err));
}

[[noreturn]] void too_large(const char* fname) {
  fatal(1, "%s: Error: document too large (2147483648 bytes or more).\n",
        shown_name(fname).c_str());
}

// Reads a stream whose size is unknown (a pipe, a terminal) until its end.
std::vector<char> read_stream(int fd, const char* fname) {
  std::vector<char> bytes;
  char chunk[65536];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      read_failure(fname, errno);
    }
    if (n == 0) {
      return bytes;
    }
    if (bytes.size() + static_cast<size_t>(n) > static_cast<size_t>(INT_MAX)) {
      too_large(fname);
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
}

}  // namespace

void shrink_to_text(text_buffer& buffer) {
  // The pages past the text go back where they lie: a copy of the text
  // would be held beside the buffer, the largest of the run, at its peak.
  const size_t size = std::strlen(buffer.data());
  if (size < buffer.size) {
    give_back_pages(buffer.data() + size + 1, buffer.data() + buffer.size + 1);
    buffer.size = size;
  }
}

text_builder::text_builder(text_builder&& o) noexcept
    : buffer_(std::move(o.buffer_)), capacity_(o.capacity_) {
  o.buffer_ = text_buffer();
  o.capacity_ = 0;
}

text_builder& text_builder::operator=(text_builder&& o) noexcept {
  if (this != &o) {
    buffer_ = std::move(o.buffer_);
    capacity_ = o.capacity_;
    o.buffer_ = text_buffer();
    o.capacity_ = 0;
  }
  return *this;
}

std::unique_ptr<char[]> text_builder::grow(size_t capacity) {
  std::unique_ptr<char[]> bytes(new char[capacity + 1]);
  if (buffer_.size > 0) {
    std::memcpy(bytes.get(), buffer_.data(), buffer_.size);
  }
  bytes[buffer_.size] = '\0';
  std::swap(buffer_.bytes, bytes);
  capacity_ = capacity;
  return bytes;
}

void text_builder::reserve(size_t capacity) {
  if (capacity > capacity_) {
    grow(capacity);
  }
}

void text_builder::append(std::string_view s) {
  if (s.empty()) {
    return;
  }
  // The old buffer lives until the copy is made: `s` may lie in it.
  std::unique_ptr<char[]> old;
  if (buffer_.size + s.size() > capacity_) {
    old = grow(std::max(2 * capacity_, buffer_.size + s.size()));
  }
  std::memcpy(buffer_.data() + buffer_.size, s.data(), s.size());
  buffer_.size += s.size();
  buffer_.data()[buffer_.size] = '\0';
}

void text_builder::give_back_unused() const {
  if (buffer_.bytes) {
    give_back_pages(buffer_.data() + buffer_.size + 1, buffer_.data() + capacity_ + 1);
  }
}

void text_builder::truncate(size_t size) {
  assert(size <= buffer_.size);
  if (buffer_.bytes) {
    buffer_.size = size;
    buffer_.data()[size] = '\0';
  }
}

text_buffer text_builder::release() {
  if (!buffer_.bytes) {
    reserve(1);  // an empty text is its NUL
  }
  text_buffer out = std::move(buffer_);
  buffer_ = text_buffer();
  capacity_ = 0;
  return out;
}

void give_back_pages(const void* begin, const void* end) {
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
  const uintptr_t to = reinterpret_cast<uintptr_t>(end) & ~(page - 1);
  if (from < to) {
    // Only memory: a refusal leaves the pages where they were.
    const int saved = errno;
    madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    errno = saved;
  }
}

text_buffer text_copy(const char* data, size_t size) {
  text_buffer buffer;
  buffer.bytes.reset(new char[size + 1]);
  if (size > 0) {
    std::memcpy(buffer.data(), data, size);
  }
  buffer.data()[size] = '\0';
  buffer.size = size;
  return buffer;
}

text_buffer document_copy(const char* name, const char* data, size_t size) {
  if (size > INT_MAX) {
    too_large(name);
  }
  return text_copy(data, size);
}

text_buffer file_load(const char* fname) {
  int fd = open(fname, O_RDONLY);
  if (fd < 0) {
    const int error = errno;
    fatal(2, "Open %s: %s\n", shown_name(fname).c_str(), strerror(error));
  }
  fd_closer closer{fd};

  struct stat st;
  if (fstat(fd, &st) != 0) {
    read_failure(fname, errno);
  }
  if (S_ISDIR(st.st_mode)) {
    read_failure(fname, EISDIR);
  }

  off_t size = S_ISREG(st.st_mode) ? lseek(fd, 0, SEEK_END) : -1;
  text_buffer buffer;
  if (size < 0) {
    std::vector<char> bytes = read_stream(fd, fname);
    buffer.bytes.reset(new char[bytes.size() + 1]);
    if (!bytes.empty()) {  // an empty vector's data() may be null
      std::memcpy(buffer.data(), bytes.data(), bytes.size());
    }
    buffer.size = bytes.size();
    buffer.bytes[buffer.size] = '\0';
  } else {
    if (size > INT_MAX) {
      too_large(fname);
    }
    if (lseek(fd, 0, SEEK_SET) != 0) {
      read_failure(fname, errno);
    }
    buffer.bytes.reset(new char[static_cast<size_t>(size) + 1]);
    size_t done = 0;
    while (done < static_cast<size_t>(size)) {
      ssize_t n = read(fd, buffer.data() + done, static_cast<size_t>(size) - done);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0) {
        read_failure(fname, errno);
      }
      if (n == 0) {
        // The file shrank after its size was taken.
        read_failure(fname, EIO);
      }
      done += static_cast<size_t>(n);
    }
    buffer.size = done;
    buffer.bytes[done] = '\0';
  }
  return buffer;
}
