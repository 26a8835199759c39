// Byte-level scanning shared by the two document readers: a read position
// that keeps the line and column of the file as it moves.
#pragma once

#include <cstring>
#include <string_view>

#include "base/whitespace.h"

// A read position in a NUL-terminated document. The line is counted wide
// because a document of 2^31 - 1 line feeds would take an int past its range;
// any place that reaches a record or a message lies after a '<', so its line
// fits in an int (see `line_of`).
struct cursor {
  const char* p;
  long long line = 1;  // from 1
  int col = 0;         // from 0, in bytes
};

inline int line_of(const cursor& c) {
  return static_cast<int>(c.line);
}

// Moves past one byte, which must not be the terminating NUL.
inline void step(cursor& c) {
  if (*c.p == '\n') {
    c.line++;
    c.col = 0;
  } else {
    c.col++;
  }
  c.p++;
}

// Moves to `to`, which lies at or after the cursor and not past the text's
// end, counting the line feeds on the way.
inline void advance_to(cursor& c, const char* to) {
  const char* p = c.p;
  const char* last_line_feed = nullptr;
  while (const void* found = std::memchr(p, '\n', static_cast<size_t>(to - p))) {
    last_line_feed = static_cast<const char*>(found);
    c.line++;
    p = last_line_feed + 1;
  }
  c.col = last_line_feed ? static_cast<int>(to - last_line_feed - 1)
                         : c.col + static_cast<int>(to - c.p);
  c.p = to;
}

// Copies the text from the cursor up to the next '<' (or the end) to `q`,
// which lies at or before the cursor, and moves both past it.
inline void copy_text(cursor& c, const char* end, char*& q) {
  const char* from = c.p;
  const void* found = std::memchr(from, '<', static_cast<size_t>(end - from));
  const char* to = found ? static_cast<const char*>(found) : end;
  const size_t n = static_cast<size_t>(to - from);
  // Counted before the move, which may overwrite the text it reads.
  advance_to(c, to);
  if (q != from) {
    std::memmove(q, from, n);
  }
  q += n;
}

inline void skip_space(cursor& c) {
  while (is_space(*c.p)) {
    step(c);
  }
}

// Moves past the longest run of bytes other than NUL, whitespace and the
// bytes of `stops`, and returns that run (a view into the document).
inline std::string_view read_word(cursor& c, const char* stops) {
  const char* start = c.p;
  for (;;) {
    char b = *c.p;
    if (b == '\0' || is_space(b)) {
      break;
    }
    const char* s = stops;
    while (*s && *s != b) {
      s++;
    }
    if (*s) {
      break;
    }
    step(c);
  }
  return std::string_view(start, static_cast<size_t>(c.p - start));
}

// Moves past the opening '"' at the cursor and up to the next '"', and
// returns what lies between. Returns false, at the terminating NUL, when the
// text ends first.
inline bool read_quoted(cursor& c, std::string_view& value) {
  step(c);
  const char* start = c.p;
  while (*c.p && *c.p != '"') {
    step(c);
  }
  if (!*c.p) {
    return false;
  }
  value = std::string_view(start, static_cast<size_t>(c.p - start));
  step(c);
  return true;
}
