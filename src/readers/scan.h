// Byte-level scanning shared by the two document readers: a read position
// that keeps the line and column of the file as it moves.
#pragma once

#include <string>

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

inline void skip_space(cursor& c) {
  while (is_space(*c.p)) {
    step(c);
  }
}

// Moves past the longest run of bytes other than NUL, whitespace and the
// bytes of `stops`, and returns that run.
inline std::string read_word(cursor& c, const char* stops) {
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
  return std::string(start, c.p);
}

// Moves past the opening '"' at the cursor and up to the next '"', and
// returns what lies between. Returns false, at the terminating NUL, when the
// text ends first.
inline bool read_quoted(cursor& c, std::string& value) {
  step(c);
  const char* start = c.p;
  while (*c.p && *c.p != '"') {
    step(c);
  }
  if (!*c.p) {
    return false;
  }
  value.assign(start, c.p);
  step(c);
  return true;
}
