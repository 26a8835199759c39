// The one way a fault of the input ends an evaluation: the message is
// formatted here and carried up in a fatal_error to the caller that runs the
// evaluation (run_reporting_faults), which writes it and ends with its status.
#pragma once

#include <cstdio>
#include <functional>
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

// The message of an allocation that failed, wherever it failed, and the
// fault that carries it.
extern const char out_of_memory_text[];
[[noreturn]] void fatal_out_of_memory();

// Runs `body` and returns 0, or the status of the fault that ended it after
// writing its message to `err`. An allocation failure anywhere in `body` is
// such a fault: "Error: out of memory." and status 1.
int run_reporting_faults(FILE* err, const std::function<void()>& body);
