// The one way a fault of the input ends the run: the message is formatted
// here, carried up to main in a fatal_error, written to standard error there,
// and the process exits with the error's status.
#pragma once

#include <string>

struct fatal_error {
  int status;        // exit status: 1 for faulty input, 2 for a document that cannot be read
  std::string text;  // the whole message, as written to standard error
};

// Formats the message and throws a fatal_error. Never call it from inside a
// function that Lua calls: raise only after the protected call has returned.
[[noreturn]] void fatal(int status, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Same, with "file:line:col: " before the message; status 1.
[[noreturn]] void fatal_at(const char* fname, int line, int col, const char* fmt, ...)
    __attribute__((format(printf, 4, 5)));

// Same, with "Error in lua description: " before the message; status 1.
[[noreturn]] void fatal_lua(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
