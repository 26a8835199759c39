// Helpers shared by the unit tests of every layer.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/fatal.h"
#include "model/vocabulary.h"

// Runs `stmt`, which must end the run with a fatal_error of the given exit
// status and exactly the given message.
#define EXPECT_FATAL(stmt, expected_status, expected_text)                      \
  do {                                                                          \
    try {                                                                       \
      stmt;                                                                     \
      ADD_FAILURE() << "no fatal error from: " #stmt;                           \
    } catch (const fatal_error& fatal_caught_) {                                \
      EXPECT_EQ((expected_status), fatal_caught_.status) << fatal_caught_.text; \
      EXPECT_EQ(std::string(expected_text), fatal_caught_.text);                \
    }                                                                           \
  } while (0)

// A writable, NUL-terminated copy of a document text, for the in-place readers.
std::vector<char> doc_buffer(const std::string& text);

// Writes `content` to a new temporary file and returns its name; the caller
// removes it.
std::string temp_file(const std::string& content);

// The whole content of a file; empty when it cannot be read.
std::string file_text(const std::string& path);

// A type vocabulary declaring the given names, in order.
name_table make_types(const std::vector<std::string>& names);

// The type's name, or "?<id>" for an id outside the vocabulary.
std::string shown_type(int tagid, const name_table& types);

// What `print` writes to the stream it is given.
std::string capture(const std::function<void(FILE*)>& print);

// The scale tests run small by default, so that the whole suite stays quick
// under the sanitizers; ORVANE_FULL_TESTS=1 in the environment gives them
// their full size. Returns `full` or `small` accordingly.
long test_size(long small, long full);
