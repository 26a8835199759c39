#include "readers/document_bytes.h"

#include <cstring>

#include "base/fatal.h"

namespace {

bool starts_with(const char* data, size_t size, const char* mark, size_t n) {
  return size >= n && std::memcmp(data, mark, n) == 0;
}

}  // namespace

cursor document_start(const char* data, size_t size, const char* fname) {
  // UTF-32 first: its little-endian mark begins with UTF-16's.
  if (starts_with(data, size, "\xFF\xFE\0\0", 4) || starts_with(data, size, "\0\0\xFE\xFF", 4)) {
    fatal(1, "%s: Error: UTF-32 text; convert the document to UTF-8.\n", fname);
  }
  if (starts_with(data, size, "\xFF\xFE", 2) || starts_with(data, size, "\xFE\xFF", 2)) {
    fatal(1, "%s: Error: UTF-16 text; convert the document to UTF-8.\n", fname);
  }
  if (const void* nul = std::memchr(data, '\0', size)) {
    cursor c{data};
    advance_to(c, static_cast<const char*>(nul));
    fatal_at(fname, line_of(c), c.col, "Error: NUL byte in the document.\n");
  }
  cursor start{data};
  if (starts_with(data, size, "\xEF\xBB\xBF", 3)) {
    start.p += 3;
    start.col = 3;
  }
  return start;
}
