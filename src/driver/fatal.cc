#include "driver/fatal.h"

#include <cstdarg>
#include <cstdio>

namespace {

std::string vformat(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  int n = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) {
    return std::string();
  }
  std::string text(static_cast<size_t>(n) + 1, '\0');
  vsnprintf(&text[0], text.size(), fmt, ap);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace

void fatal(int status, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat(fmt, ap);
  va_end(ap);
  throw fatal_error{status, text};
}

void fatal_at(const char* fname, int line, int col, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat(fmt, ap);
  va_end(ap);
  throw fatal_error{
      1, std::string(fname) + ":" + std::to_string(line) + ":" + std::to_string(col) + ": " + text};
}

void fatal_lua(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string text = vformat(fmt, ap);
  va_end(ap);
  throw fatal_error{1, "Error in lua description: " + text};
}
