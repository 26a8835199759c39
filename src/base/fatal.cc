#include "base/fatal.h"

#include <cstdarg>
#include <new>
#include <stdexcept>

const char out_of_memory_text[] = "Error: out of memory.\n";

namespace {

__attribute__((format(printf, 1, 0))) std::string vformat(const char* fmt, va_list ap) {
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

void fatal_out_of_memory() {
  throw std::bad_alloc();
}

int run_reporting_faults(FILE* err, const std::function<void()>& body) {
  try {
    body();
    return 0;
  } catch (const fatal_error& e) {
    fputs(e.text.c_str(), err);
    return e.status;
  } catch (const std::bad_alloc&) {
    // Nothing may be allocated here: the fixed text goes out as it is.
    fputs(out_of_memory_text, err);
    return 1;
  } catch (const std::length_error&) {
    // A container asked for more than it can ever hold: the same fault.
    fputs(out_of_memory_text, err);
    return 1;
  }
}
